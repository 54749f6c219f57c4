#include "gui/bitmap.h"

#include <cairo.h>

#include <cmath>
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

std::shared_ptr<const Bitmap> Adopt(cairo_surface_t* surface, double density)
{
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(surface) <= 0 ||
        cairo_image_surface_get_height(surface) <= 0) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const bool hasAlpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    return std::make_shared<const Bitmap>(std::make_unique<Bitmap::Native>(surface), width, height, hasAlpha, density);
}

} // namespace

Bitmap::Bitmap(std::unique_ptr<Native> native, int width, int height, bool hasAlpha, double density)
    : native_(std::move(native)), width_(width), height_(height), hasAlpha_(hasAlpha),
      density_(density > 0 && std::isfinite(density) ? density : 1.0)
{
}

Bitmap::~Bitmap() = default;

std::shared_ptr<const Bitmap> Bitmap::FromPng(std::span<const std::uint8_t> bytes, double density)
{
    if (bytes.empty()) return nullptr;
    PngReader reader{bytes};
    return Adopt(cairo_image_surface_create_from_png_stream(&ReadPng, &reader), density);
}

std::shared_ptr<const Bitmap> Bitmap::FromPngFile(const std::string& path, double density)
{
    return Adopt(cairo_image_surface_create_from_png(path.c_str()), density);
}

// The pictures are compiled into the library as byte arrays.
std::shared_ptr<const Bitmap> Bitmap::FromResource(int number, double density)
{
    const EmbeddedResource* resource = FindEmbeddedResource(number);
    if (resource == nullptr) return nullptr;
    return FromPng(std::span<const std::uint8_t>(resource->data, resource->size), density);
}

} // namespace gui

namespace gui {

// Drawn once into an image of the new size; the reduction filter looks at every source pixel
// under each new one, so fine lines thin out evenly instead of dropping out.
std::shared_ptr<const Bitmap> Bitmap::Resampled(const std::shared_ptr<const Bitmap>& bitmap, double density)
{
    if (!bitmap || !(density > 0) || !std::isfinite(density)) return nullptr;
    if (density == bitmap->Density()) return bitmap;
    const double factor = density / bitmap->Density();
    const int width = static_cast<int>(std::lround(bitmap->PixelWidth() * factor));
    const int height = static_cast<int>(std::lround(bitmap->PixelHeight() * factor));
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) return nullptr;
    cairo_surface_t* surface =
        cairo_image_surface_create(bitmap->HasAlpha() ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, static_cast<double>(width) / bitmap->PixelWidth(),
                static_cast<double>(height) / bitmap->PixelHeight());
    cairo_set_source_surface(cr, bitmap->GetNative().surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BEST);
    // The edge pixels repeat outwards, so the border does not fade towards transparent.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_shared<const Bitmap>(std::make_unique<Native>(surface), width, height, bitmap->HasAlpha(),
                                          density);
}

} // namespace gui
