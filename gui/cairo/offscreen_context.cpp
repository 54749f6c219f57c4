#include "gui/offscreen_context.h"

#include <cairo.h>

#include <algorithm>

#include "gui/cairo/native.h"
#include "gui/scale.h"

namespace gui {

namespace {

std::unique_ptr<DrawContext::Native> ImageOfSize(int width, int height, double scale)
{
    scale = ValidScale(scale);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, PixelSize(std::max(width, 0), scale),
                                                          PixelSize(std::max(height, 0), scale));
    auto native = std::make_unique<DrawContext::Native>(surface, scale);
    cairo_surface_destroy(surface); // the context's cairo_t keeps it
    return native;
}

} // namespace

OffscreenContext::OffscreenContext(int width, int height, double scale)
    : DrawContext(ImageOfSize(width, height, scale))
{
}

bool OffscreenContext::SavePng(const std::string& path) const
{
    cairo_surface_t* surface = GetNative().Surface();
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace gui
