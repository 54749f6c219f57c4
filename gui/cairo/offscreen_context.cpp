#include "gui/offscreen_context.h"

#include <cairo.h>

#include <algorithm>

namespace gui {

OffscreenContext::OffscreenContext(int width, int height)
    : DrawContext(cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 0), std::max(height, 0)),
                  AdoptSurface{})
{
}

std::uint32_t OffscreenContext::ReadArgb(int x, int y) const
{
    const Colour c = ReadPixel(x, y);
    return static_cast<std::uint32_t>(c.a) << 24 | static_cast<std::uint32_t>(c.r) << 16 |
           static_cast<std::uint32_t>(c.g) << 8 | c.b;
}

bool OffscreenContext::SavePng(const std::string& path) const
{
    cairo_surface_t* surface = Surface();
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace gui
