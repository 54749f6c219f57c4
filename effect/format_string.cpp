#include "effect/format_string.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

enum class Conversion { None, Double, Signed, Unsigned, Character, Text };

struct ConversionRule {
    Conversion kind;
    // The flags C defines for the letter; anything else is refused.
    std::string_view flags;
    bool takesPrecision;
};

ConversionRule RuleFor(char letter)
{
    switch (letter) {
    case 'e':
    case 'f':
    case 'g':
    case 'E':
    case 'G':
        return {Conversion::Double, "-+ #0", true};
    case 'd':
    case 'i':
        return {Conversion::Signed, "-+ 0", true};
    case 'o':
    case 'x':
    case 'X':
        return {Conversion::Unsigned, "-#0", true};
    case 'u':
        return {Conversion::Unsigned, "-0", true};
    case 'c':
        return {Conversion::Character, "-", false};
    case 's':
        return {Conversion::Text, "-", true};
    default:
        return {Conversion::None, "", false};
    }
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr size_t kMaxDigits = 3;

// "%", flags, a width, "." and a precision, the letter; the numbers at most three digits,
// so one conversion never needs more than a small buffer.
bool IsValid(std::string_view spec, const ConversionRule& rule)
{
    const size_t letter = spec.size() - 1;
    size_t i = 1;
    while (i < letter && rule.flags.find(spec[i]) != std::string_view::npos)
        ++i;
    // A leading 0 of the width would be read as the 0 flag.
    if (i < letter && spec[i] == '0') return false;
    for (size_t digits = 0; i < letter && IsDigit(spec[i]); ++i)
        if (++digits > kMaxDigits) return false;
    if (i < letter && spec[i] == '.') {
        if (!rule.takesPrecision) return false;
        ++i;
        for (size_t digits = 0; i < letter && IsDigit(spec[i]); ++i)
            if (++digits > kMaxDigits) return false;
    }
    return i == letter;
}

// A width and a precision of 999 each on the largest double still fit.
constexpr size_t kNumberBuffer = 2048;

template <typename Argument> void AppendNumber(std::string& out, const std::string& spec, Argument argument)
{
    std::array<char, kNumberBuffer> buffer;
    const int written = std::snprintf(buffer.data(), buffer.size(), spec.c_str(), argument);
    if (written > 0) out.append(buffer.data(), std::min(static_cast<size_t>(written), buffer.size() - 1));
}

void AppendText(std::string& out, const std::string& spec, const std::string& text)
{
    std::string buffer(text.size() + kNumberBuffer, '\0');
    const int written = std::snprintf(buffer.data(), buffer.size(), spec.c_str(), text.c_str());
    if (written > 0) out.append(buffer.data(), std::min(static_cast<size_t>(written), buffer.size() - 1));
}

} // namespace

double FormatString(CVexlStrings& strings, double target, double format, std::span<const double> values)
{
    // A copy: the target may be the format's own entry.
    const std::string pattern = strings.String(format);
    std::string out;
    size_t nextValue = 0;
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] != '%') {
            out += pattern[i++];
            continue;
        }
        size_t end = i + 1;
        while (end < pattern.size() && !IsLetter(pattern[end]))
            ++end;
        if (end == pattern.size()) break;
        const std::string spec = pattern.substr(i, end - i + 1);
        i = end + 1;

        const ConversionRule rule = RuleFor(spec.back());
        if (rule.kind == Conversion::None || nextValue >= values.size()) continue;
        const double value = values[nextValue++];
        if (!IsValid(spec, rule)) continue;
        switch (rule.kind) {
        case Conversion::Double:
            AppendNumber(out, spec, value);
            break;
        case Conversion::Signed:
        case Conversion::Character:
            AppendNumber(out, spec, static_cast<int>(ToIndex(value)));
            break;
        case Conversion::Unsigned:
            AppendNumber(out, spec, static_cast<unsigned>(ToIndex(value)));
            break;
        case Conversion::Text:
            AppendText(out, spec, strings.String(value));
            break;
        case Conversion::None:
            break;
        }
    }
    strings.SetString(ToIndex(target), out);
    return target;
}
