#include "gui/bitmap.h"

#include <cairo.h>

#include <cstring>

#include "gui/cairo/native.h"
#include "resources/embedded.h"

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

std::shared_ptr<const Bitmap> Adopt(cairo_surface_t* surface)
{
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(surface) <= 0 ||
        cairo_image_surface_get_height(surface) <= 0) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const bool hasAlpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    return std::make_shared<const Bitmap>(std::make_unique<Bitmap::Native>(surface), width, height, hasAlpha);
}

} // namespace

Bitmap::Bitmap(std::unique_ptr<Native> native, int width, int height, bool hasAlpha)
    : native_(std::move(native)), width_(width), height_(height), hasAlpha_(hasAlpha)
{
}

Bitmap::~Bitmap() = default;

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

// The pictures are compiled into the library as byte arrays.
std::shared_ptr<const Bitmap> Bitmap::FromResource(int number)
{
    const EmbeddedResource* resource = FindEmbeddedResource(number);
    if (resource == nullptr) return nullptr;
    return FromPng(std::span<const std::uint8_t>(resource->data, resource->size));
}

} // namespace gui
