#include "gui/bitmap.h"

#include <cairo.h>

#include <cstring>

namespace gui {

namespace {

struct PngReader {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->bytes.size() - reader->position < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes.data() + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

Bitmap::Bitmap(_cairo_surface* surface)
    : surface_(surface), width_(cairo_image_surface_get_width(surface)),
      height_(cairo_image_surface_get_height(surface)),
      hasAlpha_(cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32)
{
}

Bitmap::~Bitmap() { cairo_surface_destroy(surface_); }

std::shared_ptr<const Bitmap> Bitmap::Adopt(_cairo_surface* surface)
{
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(surface) <= 0 ||
        cairo_image_surface_get_height(surface) <= 0) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::shared_ptr<const Bitmap>(new Bitmap(surface));
}

std::shared_ptr<const Bitmap> Bitmap::FromPng(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) return nullptr;
    PngReader reader{bytes};
    return Adopt(cairo_image_surface_create_from_png_stream(&ReadPng, &reader));
}

std::shared_ptr<const Bitmap> Bitmap::FromPngFile(const std::string& path)
{
    return Adopt(cairo_image_surface_create_from_png(path.c_str()));
}

} // namespace gui
