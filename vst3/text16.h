#pragma once
// Texts between the effect (UTF-8) and VST 3 (UTF-16 in fixed arrays, NUL-terminated).

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vst3_plugin {

// Cut to fit, always terminated.
template <size_t N> void CopyText(char (&to)[N], std::string_view from) noexcept
{
    const size_t n = from.size() < N - 1 ? from.size() : N - 1;
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

// UTF-8 into UTF-16, cut to fit and terminated. A byte that starts no valid sequence is
// taken as Latin-1, so no text turns into nothing.
void CopyText16(char16_t* to, size_t capacity, std::string_view from) noexcept;
template <size_t N> void CopyText16(char16_t (&to)[N], std::string_view from) noexcept { CopyText16(to, N, from); }

// UTF-16 up to its terminator (at most `capacity` units) into UTF-8.
std::string FromText16(const char16_t* from, size_t capacity);

} // namespace vst3_plugin
