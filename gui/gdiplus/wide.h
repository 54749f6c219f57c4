#pragma once

#include <string>
#include <string_view>

namespace gui::gdiplus {

// A UTF-8 text as GDI+ takes it: UTF-16, cut at the first NUL byte, every ill-formed byte
// turned into U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);
// A narrow text in the system code page (a file name) as UTF-16.
std::wstring WideFromAnsi(std::string_view text);
// UTF-16 back to UTF-8.
std::string Utf8FromWide(std::wstring_view wide);

} // namespace gui::gdiplus
