#pragma once
// Texts handed to a host buffer are cut to the size the host was promised, so a long
// text can never overrun it. Every text of this plug-in fits whole.

#include <cstddef>
#include <cstring>
#include <string>

namespace text_limit {
constexpr std::size_t kEffectName = 32;
constexpr std::size_t kVendorString = 64;
constexpr std::size_t kProductString = 64;
constexpr std::size_t kProgramName = 24;
constexpr std::size_t kParameterText = 32;
} // namespace text_limit

// Copies at most maxChars characters and a terminator; a null destination gets nothing.
inline void CopyText(char* destination, const std::string& text, std::size_t maxChars)
{
    if (!destination) return;
    const std::size_t n = text.size() < maxChars ? text.size() : maxChars;
    std::memcpy(destination, text.data(), n);
    destination[n] = 0;
}
