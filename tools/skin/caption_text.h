#pragma once
// The fonts of the background texts and where a text's ink lands in its box. The
// generator draws with these and the skin test measures with them, so both see the same
// pixels.

#include <cairo.h>

#include <cmath>

#include "tools/skin/skin_layout.h"

namespace skin {

struct FontSpec {
    double size;
    bool bold;
};

inline FontSpec FontOf(TextStyle style)
{
    switch (style) {
    case TextStyle::Product:
        return {20, true};
    case TextStyle::Vendor:
        return {11, true};
    case TextStyle::Tagline:
        return {10, false};
    case TextStyle::Title:
        return {10, true};
    case TextStyle::Caption:
        return {10, true};
    case TextStyle::BandName:
        return {11, true};
    case TextStyle::Scale:
        return {9, false};
    }
    return {10, false};
}

// Fixed font options, so the pictures do not depend on the desktop's font settings.
inline void SelectFont(cairo_t* cr, TextStyle style)
{
    const FontSpec spec = FontOf(style);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           spec.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, spec.size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

struct PlacedText {
    double originX, baselineY;
    Box ink;
};

// Baseline on a whole pixel with the capital height centred in the box.
inline PlacedText Place(cairo_t* cr, const Caption& caption)
{
    SelectFont(cr, caption.style);
    cairo_text_extents_t text;
    cairo_text_extents(cr, caption.text, &text);
    cairo_text_extents_t capital;
    cairo_text_extents(cr, "H", &capital);
    const Box& box = caption.box;
    const double baseline = std::floor(box.y + (box.height - capital.y_bearing) / 2 + 0.5);
    double inkLeft = box.x;
    if (caption.align == Align::Right) inkLeft = box.Right() - text.width;
    if (caption.align == Align::Centre) inkLeft = std::floor(box.x + (box.width - text.width) / 2 + 0.5);
    return {inkLeft - text.x_bearing, baseline, {inkLeft, baseline + text.y_bearing, text.width, text.height}};
}

} // namespace skin
