#include "gui/gdiplus/wide.h"

#include <windows.h>

namespace gui::gdiplus {

namespace {

std::wstring Widen(UINT codePage, std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    if (text.empty()) return {};
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

} // namespace

std::wstring WideFromUtf8(std::string_view utf8) { return Widen(CP_UTF8, utf8); }

std::wstring WideFromAnsi(std::string_view text) { return Widen(CP_ACP, text); }

std::string Utf8FromWide(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string text(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

} // namespace gui::gdiplus
