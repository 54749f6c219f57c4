#include "vst3/text16.h"

namespace vst3_plugin {

void CopyText16(char16_t* to, size_t capacity, std::string_view from) noexcept
{
    if (!to || capacity == 0) return;
    size_t out = 0;
    size_t at = 0;
    while (at < from.size() && out + 1 < capacity) {
        const auto lead = static_cast<unsigned char>(from[at]);
        const size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
        char32_t code = lead;
        bool valid = length > 0 && at + length <= from.size();
        if (valid && length > 1) {
            code = lead & (length == 2 ? 0x1F : 0x0F);
            for (size_t i = 1; i < length; ++i) {
                const auto next = static_cast<unsigned char>(from[at + i]);
                valid = valid && (next & 0xC0) == 0x80;
                code = (code << 6) | (next & 0x3F);
            }
        }
        if (!valid) {
            code = lead;
            at += 1;
        } else {
            at += length;
        }
        to[out++] = static_cast<char16_t>(code);
    }
    to[out] = u'\0';
}

std::string FromText16(const char16_t* from, size_t capacity)
{
    std::string text;
    if (!from) return text;
    for (size_t i = 0; i < capacity && from[i]; ++i) {
        const char16_t c = from[i];
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

} // namespace vst3_plugin
