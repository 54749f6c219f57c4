#pragma once
// What the cairo back end keeps behind the toolkit's classes. For the back end's own
// files (and the X11 frame, which paints through it) only.

#include <cairo.h>

#include <string>

#include "gui/bitmap.h"
#include "gui/draw_context.h"
#include "gui/font.h"

namespace gui {

// A context draws through its own cairo_t, which keeps the surface referenced; its transform
// is the scale, from units to the surface's pixels.
struct DrawContext::Native {
    explicit Native(cairo_surface_t* surface, double pixelsPerUnit = 1.0)
        : cr(cairo_create(surface)), scale(pixelsPerUnit)
    {
    }
    ~Native()
    {
        cairo_surface_flush(cairo_get_target(cr));
        cairo_destroy(cr);
    }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    cairo_surface_t* Surface() const { return cairo_get_target(cr); }

    cairo_t* cr;
    double scale;
};

// A decoded image: one cairo image surface, owned.
struct Bitmap::Native {
    explicit Native(cairo_surface_t* s) : surface(s) {}
    ~Native() { cairo_surface_destroy(surface); }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    cairo_surface_t* surface;
};

// A font as fontconfig resolved it: whether the family exists and as what, the scaled font
// of the description's size on a surface of scale 1 (null when not usable; it keeps its face
// referenced) and the underline's offset below the baseline and thickness, in pixels.
struct Font::Native {
    Native() = default;
    ~Native()
    {
        if (scaled != nullptr) cairo_scaled_font_destroy(scaled);
    }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    bool exists = false;
    std::string resolvedFamily;
    cairo_scaled_font_t* scaled = nullptr;
    double underlineOffset = 0;
    double underlineThickness = 1;
};

namespace cairo {

// The font laid out for a surface of `scale`: the description's size times the scale in
// pixels, with the metrics hinted there. A new reference, for cairo_scaled_font_destroy;
// cairo keeps recently used ones, so asking again for each text costs little.
cairo_scaled_font_t* ScaledFont(const Font& font, double scale);

} // namespace cairo

} // namespace gui
