#include "tools/skin/paint.h"

#include <initializer_list>
#include <numbers>

#include "effect/editor_layout.h"

namespace skin {

namespace {

// The handle covers the 26 columns the widget counts as the knob and the 13 rows centred
// on a 15-pixel slider row (the picture is drawn one row below the row's top).
constexpr double kHandleWidth = kKnobHandleWidth;
constexpr double kHandleHeight = 13;
constexpr double kRadius = 2.5;
constexpr double kPi = std::numbers::pi;

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

} // namespace

void PaintKnob(cairo_t* cr)
{
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);

    // A soft shadow one pixel right and down lifts the handle off the track.
    RoundedRect(cr, 1, 1.5, kHandleWidth + 0.5, kHandleHeight, kRadius + 0.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_fill(cr);

    RoundedRect(cr, 0.5, 0.5, kHandleWidth - 1, kHandleHeight - 1, kRadius);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, kHandleHeight);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.90, 0.91, 0.92);
    cairo_pattern_add_color_stop_rgb(face, 0.5, 0.74, 0.75, 0.77);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.56, 0.57, 0.60);
    cairo_set_source(cr, face);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(face);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 0.13, 0.14, 0.16);
    cairo_stroke(cr);

    // Grip lines either side of the centre mark.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    for (double x : {6.0, 8.0, 17.0, 19.0}) {
        cairo_rectangle(cr, x, 4, 1, 5);
        cairo_set_source_rgba(cr, 0.3, 0.31, 0.34, 0.55);
        cairo_fill(cr);
    }
    // The centre mark spans columns 12 and 13, so it is centred on the handle's middle,
    // where the widget puts the pointer during a drag.
    cairo_rectangle(cr, kKnobHalfWidth - 1, 2, 2, kHandleHeight - 4);
    cairo_set_source_rgb(cr, 0.08, 0.09, 0.10);
    cairo_fill(cr);
}

} // namespace skin
