#include "tools/skin/paint.h"

#include <cmath>
#include <numbers>

#include "tools/skin/caption_text.h"
#include "tools/skin/skin_layout.h"

namespace skin {

namespace {

struct Rgb {
    double red, green, blue;
};

constexpr Rgb kGround = {0.067, 0.071, 0.082};
constexpr Rgb kHeader = {0.098, 0.104, 0.120};
constexpr Rgb kHeaderRule = {0.62, 0.52, 0.30};
constexpr Rgb kPanelFace = {0.118, 0.124, 0.140};
constexpr Rgb kPanelEdge = {0.215, 0.225, 0.250};
constexpr Rgb kGroove = {0.035, 0.038, 0.044};
constexpr Rgb kGrooveShade = {0.015, 0.016, 0.020};
constexpr Rgb kGrooveLight = {0.200, 0.208, 0.230};
constexpr Rgb kTick = {0.290, 0.300, 0.330};
constexpr Rgb kTickStrong = {0.460, 0.475, 0.510};
constexpr Rgb kBoxFace = {0.040, 0.043, 0.050};
constexpr Rgb kBoxEdge = {0.480, 0.495, 0.530};
constexpr Rgb kWell = {0.028, 0.030, 0.035};
constexpr Rgb kWellRim = {0.230, 0.240, 0.265};
constexpr Rgb kGridLine = {0.175, 0.183, 0.205};

Rgb TextColour(TextStyle style)
{
    switch (style) {
    case TextStyle::Product:
        return {0.93, 0.94, 0.95};
    case TextStyle::Vendor:
        return {0.66, 0.68, 0.72};
    case TextStyle::Tagline:
        return {0.50, 0.52, 0.56};
    case TextStyle::Title:
        return {0.56, 0.66, 0.78};
    case TextStyle::Caption:
        return {0.74, 0.76, 0.80};
    case TextStyle::BandName:
        return {0.86, 0.87, 0.89};
    case TextStyle::Scale:
        return {0.55, 0.57, 0.61};
    }
    return {1, 1, 1};
}

void SetColour(cairo_t* cr, const Rgb& c) { cairo_set_source_rgb(cr, c.red, c.green, c.blue); }

// Whole-pixel rectangles are filled without antialiasing so their edges stay crisp.
void Fill(cairo_t* cr, const Box& b, const Rgb& c)
{
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(cr, b.x, b.y, b.width, b.height);
    SetColour(cr, c);
    cairo_fill(cr);
    cairo_restore(cr);
}

// A one-pixel frame on the outermost pixels of the box.
void Frame(cairo_t* cr, const Box& b, const Rgb& c)
{
    Fill(cr, {b.x, b.y, b.width, 1}, c);
    Fill(cr, {b.x, b.Bottom() - 1, b.width, 1}, c);
    Fill(cr, {b.x, b.y, 1, b.height}, c);
    Fill(cr, {b.Right() - 1, b.y, 1, b.height}, c);
}

void RoundedRect(cairo_t* cr, const Box& b, double r)
{
    constexpr double pi = std::numbers::pi;
    cairo_new_sub_path(cr);
    cairo_arc(cr, b.Right() - r, b.y + r, r, -pi / 2, 0);
    cairo_arc(cr, b.Right() - r, b.Bottom() - r, r, 0, pi / 2);
    cairo_arc(cr, b.x + r, b.Bottom() - r, r, pi / 2, pi);
    cairo_arc(cr, b.x + r, b.y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void PaintHeader(cairo_t* cr)
{
    Fill(cr, {0, 0, kEditorWidth, kHeaderHeight}, kHeader);
    Fill(cr, {0, kHeaderHeight, kEditorWidth, 1}, kHeaderRule);
}

void PaintPanel(cairo_t* cr, const Panel& p)
{
    RoundedRect(cr, {p.box.x + 0.5, p.box.y + 0.5, p.box.width - 1, p.box.height - 1}, 4);
    SetColour(cr, kPanelFace);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, kPanelEdge);
    cairo_stroke(cr);
}

// The groove runs the full slider width under the knob's path; ticks mark the knob
// centre at the ends, the quarters and the middle of the range, which is zero for the
// sliders that go both ways.
void PaintTrack(cairo_t* cr, const ControlPlace& c)
{
    const double grooveTop = c.y + 5;
    Fill(cr, {c.x, grooveTop, c.width, 5}, kGroove);
    Fill(cr, {c.x, grooveTop, c.width, 1}, kGrooveShade);
    Fill(cr, {c.x, grooveTop + 5, c.width, 1}, kGrooveLight);

    for (int quarter = 0; quarter <= 4; ++quarter) {
        const double centre = c.x + 1 + kKnobHalfWidth + kKnobTrackLength * quarter / 4;
        const bool strong = quarter == 0 || quarter == 4 || (quarter == 2 && c.minimum < 0);
        const double length = strong ? 3 : 2;
        const Rgb& colour = strong ? kTickStrong : kTick;
        Fill(cr, {centre - 1, grooveTop - 1 - length, 2, length}, colour);
        Fill(cr, {centre - 1, grooveTop + 7, 2, length}, colour);
    }
}

// The editor lights a square two pixels inside the box; the box itself stays dark.
void PaintSwitchBox(cairo_t* cr, const ControlPlace& c)
{
    const Box box = SwitchBox(c);
    Fill(cr, box, kBoxFace);
    Frame(cr, box, kBoxEdge);
}

void PaintMeters(cairo_t* cr)
{
    for (int meter = 0; meter < kMeterCount; ++meter) {
        const Box rim = MeterWell(meter);
        Fill(cr, rim, kWellRim);
        Fill(cr, {kMeterX[meter], kMeterTop, kMeterWidth, kMeterHeight}, kWell);
    }

    // Each mark is the row of the peak line for that reduction: short ticks outside the
    // outer wells, faint lines across the gaps between the bands.
    const double firstRim = MeterWell(0).x;
    const double lastRim = MeterWell(kMeterCount - 1).Right();
    for (int i = 0; i < kScaleMarkCount; ++i) {
        const double y = MeterMarkY(kScaleMarks[i]);
        Fill(cr, {firstRim - 4, y, 4, 1}, kTickStrong);
        Fill(cr, {lastRim, y, 4, 1}, kTickStrong);
        for (int band = 0; band < 3; ++band) {
            const double from = MeterWell(3 * band + 2).Right() + 2;
            const double to = MeterWell(3 * band + 3).x - 2;
            Fill(cr, {from, y, to - from, 1}, kGridLine);
        }
    }

    for (const LegendEntry& entry : kLegend) {
        Fill(cr, entry.swatch, {entry.colour.red * 0.85, entry.colour.green * 0.85, entry.colour.blue * 0.85});
        Frame(cr, entry.swatch, kWellRim);
    }

    // A rule under each band name, spanning the band's three meters.
    for (int band = 0; band < 4; ++band) {
        const double left = kMeterX[3 * band];
        const double right = kMeterX[3 * band + 2] + kMeterWidth;
        Fill(cr, {left, MY0 + 21, right - left, 1}, kTick);
    }
}

void PaintCaption(cairo_t* cr, const Caption& caption)
{
    const PlacedText placed = Place(cr, caption);
    SetColour(cr, TextColour(caption.style));
    cairo_move_to(cr, placed.originX, placed.baselineY);
    cairo_show_text(cr, caption.text);
}

} // namespace

void PaintBackground(cairo_t* cr)
{
    SetColour(cr, kGround);
    cairo_paint(cr);
    PaintHeader(cr);
    for (const Panel& p : Panels())
        PaintPanel(cr, p);
    for (const ControlPlace& c : kControls) {
        if (IsSlider(c))
            PaintTrack(cr, c);
        else
            PaintSwitchBox(cr, c);
    }
    PaintMeters(cr);
    for (const Caption& caption : Captions())
        PaintCaption(cr, caption);
}

} // namespace skin
