#include "gui/draw_context.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "gui/cairo/native.h"
#include "gui/cairo/utf8.h"
#include "gui/coordinates.h"

namespace gui {

namespace {

using coordinates::Finite;
using coordinates::Limit;

void SetSource(cairo_t* cr, Colour colour)
{
    cairo_set_source_rgba(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0, colour.a / 255.0);
}

} // namespace

DrawContext::DrawContext(std::unique_ptr<Native> native) : native_(std::move(native)) { ResetState(); }

DrawContext::~DrawContext() = default;

void DrawContext::ResetState()
{
    cairo_t* cr = native_->cr;
    cairo_reset_clip(cr);
    cairo_identity_matrix(cr);
    if (native_->scale != 1.0) cairo_scale(cr, native_->scale, native_->scale);
    cairo_new_path(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    SetAntialias(false);
    fontColour_ = fillColour_ = frameColour_ = kOpaqueBlack;
    font_.reset();
}

void DrawContext::SetAntialias(bool on)
{
    cairo_set_antialias(native_->cr, on ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
}

double DrawContext::MeasureText(std::string_view utf8) const
{
    if (!font_) return -1;
    if (native_->scale == 1.0) return font_->MeasureText(utf8);
    cairo_scaled_font_t* scaled = cairo::ScaledFont(*font_, native_->scale);
    if (scaled == nullptr) return -1;
    const std::string text = cairo::ValidUtf8(utf8);
    cairo_text_extents_t extents{};
    if (!text.empty()) cairo_scaled_font_text_extents(scaled, text.c_str(), &extents);
    cairo_scaled_font_destroy(scaled);
    return extents.x_advance;
}

double DrawContext::Scale() const { return native_->scale; }

void DrawContext::DrawRectangle(double x1, double y1, double x2, double y2, int style)
{
    cairo_t* cr = native_->cr;
    if (style != kOutline && style != kFilled && style != kFilledAndOutline) return;
    if (!Finite({x1, y1, x2, y2})) return;
    const auto [left, top, width, height] = coordinates::SortedBox(x1, y1, x2, y2);
    if (style != kOutline) {
        cairo_rectangle(cr, left, top, width, height);
        SetSource(cr, fillColour_);
        cairo_fill(cr);
    }
    if (style != kFilled && width >= 1 && height >= 1) {
        // The pen is a whole number of surface pixels, one unit or the nearest to it; its
        // centre runs half a pen inside the fill's edge, so the line covers exactly the fill's
        // outermost pixels.
        const double scale = native_->scale;
        const double pen = std::max(1.0, std::round(scale)) / scale;
        cairo_save(cr);
        cairo_set_line_width(cr, pen);
        cairo_rectangle(cr, left + 0.5 * pen, top + 0.5 * pen, width - pen, height - pen);
        SetSource(cr, frameColour_);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
}

void DrawContext::DrawTextInRect(std::string_view utf8, double x1, double y1, double x2, double y2, int align)
{
    cairo_t* cr = native_->cr;
    if (!font_ || !font_->IsUsable() || !Finite({x1, y1, x2, y2}) || x2 < x1 || y2 < y1) return;
    x1 = Limit(x1), y1 = Limit(y1), x2 = Limit(x2), y2 = Limit(y2);
    const double scale = native_->scale;
    cairo_scaled_font_t* scaled = cairo::ScaledFont(*font_, scale);
    if (scaled == nullptr) return;
    const std::string text = cairo::ValidUtf8(utf8);
    const double width = MeasureText(text);
    const double size = font_->PixelSize();
    double baseline = y2 - ((y2 - y1) * 0.5 - size * 0.5 + 1);
    // Glyphs are hinted to whole pixels of the surface; so is the baseline they sit on.
    if (scale != 1.0) baseline = std::round(baseline * scale) / scale;
    double x = x1;
    if (align == kAlignCentre) x = x1 + 0.5 * (x2 - x1) - 0.5 * width;
    if (align == kAlignRight) x = x2 - width;

    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE); // the box clips on whole pixels
    cairo_rectangle(cr, x1, y1, x2 - x1, y2 - y1);
    cairo_clip(cr);
    SetSource(cr, fontColour_);
    cairo_set_scaled_font(cr, scaled);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
    if (font_->IsUnderlined() && width > 0) {
        // Placed in surface pixels, a whole number of them thick.
        const Font::Native& face = font_->GetNative();
        const double thickness = std::max(1.0, std::round(face.underlineThickness * scale));
        const double top = std::round((baseline + face.underlineOffset) * scale - thickness * 0.5);
        cairo_identity_matrix(cr);
        cairo_rectangle(cr, std::round(x * scale), top, std::round(width * scale), thickness);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_scaled_font_destroy(scaled);
}

bool DrawContext::DrawBitmap(const Bitmap* bitmap, double x1, double y1, double x2, double y2, double sourceX,
                             double sourceY)
{
    if (bitmap == nullptr) return false;
    cairo_t* cr = native_->cr;
    if (!Finite({x1, y1, x2, y2, sourceX, sourceY})) return true;
    const int left = static_cast<int>(Limit(x1));
    const int top = static_cast<int>(Limit(y1));
    const int width = static_cast<int>(Limit(x2)) - left;
    const int height = static_cast<int>(Limit(y2)) - top;
    if (width <= 0 || height <= 0) return true;
    cairo_save(cr);
    cairo_rectangle(cr, left, top, width, height);
    cairo_clip(cr);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(bitmap->GetNative().surface);
    // From units to the picture's pixels: the box's corner shows the source point.
    cairo_matrix_t placement;
    cairo_matrix_init_scale(&placement, bitmap->Density(), bitmap->Density());
    cairo_matrix_translate(&placement, static_cast<int>(Limit(sourceX)) - left, static_cast<int>(Limit(sourceY)) - top);
    cairo_pattern_set_matrix(pattern, &placement);
    // A picture of the surface's density is copied pixel for pixel; another one is smoothed.
    const bool exact = bitmap->Density() == native_->scale;
    cairo_pattern_set_filter(pattern, exact ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
    cairo_set_source(cr, pattern);
    cairo_paint(cr);
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
    return true;
}

int DrawContext::Width() const
{
    cairo_surface_t* surface = native_->Surface();
    return cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE ? cairo_image_surface_get_width(surface) : 0;
}

int DrawContext::Height() const
{
    cairo_surface_t* surface = native_->Surface();
    return cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE ? cairo_image_surface_get_height(surface) : 0;
}

Colour DrawContext::ReadPixel(int x, int y) const
{
    cairo_surface_t* surface = native_->Surface();
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return Colour{0, 0, 0, 0};
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return Colour{0, 0, 0, 0};
    cairo_surface_flush(surface);
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return Colour{0, 0, 0, 0};
    const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    std::uint32_t pixel;
    std::memcpy(&pixel, row + 4 * x, sizeof pixel);
    const auto channel = [&](int shift) { return static_cast<int>((pixel >> shift) & 0xFF); };
    const int alpha = format == CAIRO_FORMAT_RGB24 ? 255 : channel(24);
    if (alpha == 0) return Colour{0, 0, 0, 0};
    // Cairo stores colour premultiplied by alpha.
    const auto undo = [&](int c) { return static_cast<std::uint8_t>((c * 255 + alpha / 2) / alpha); };
    return Colour{undo(channel(16)), undo(channel(8)), undo(channel(0)), static_cast<std::uint8_t>(alpha)};
}

} // namespace gui
