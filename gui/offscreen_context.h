#pragma once

#include <cstdint>
#include <string>

#include "gui/draw_context.h"

namespace gui {

// A draw context over an image in memory, opaque and black at first, the same kind of buffer
// a frame paints its window through, so drawing here gives the pixels the window would show.
// Needs no display. Thread: as DrawContext.
class OffscreenContext : public DrawContext {
public:
    // Sizes in units, below 0 counting as 0; the image has round(size * scale) pixels.
    OffscreenContext(int width, int height, double scale = 1.0);

    // The pixel at (x, y) as 0xAARRGGBB (alpha always 255 in this opaque image); 0 outside.
    std::uint32_t ReadArgb(int x, int y) const;
    // Writes the image as a PNG file; false when it cannot be written.
    [[nodiscard]] bool SavePng(const std::string& path) const;
};

} // namespace gui
