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
    // Sizes below 0 count as 0.
    OffscreenContext(int width, int height);

    // The pixel at (x, y) as 0xAARRGGBB (alpha always 255 in this opaque image); 0 outside.
    std::uint32_t ReadArgb(int x, int y) const;
    // Writes the image as a PNG file; false when it cannot be written.
    [[nodiscard]] bool SavePng(const std::string& path) const;
};

} // namespace gui
