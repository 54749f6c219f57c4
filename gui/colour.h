#pragma once

#include <cstdint>

namespace gui {

// A colour as four bytes; alpha 255 is opaque. A plain value: any thread.
struct Colour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kOpaqueBlack{0, 0, 0, 255};

} // namespace gui
