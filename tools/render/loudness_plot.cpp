#include "tools/render/loudness_plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "tools/render/render_error.h"

namespace render {
namespace {

// One scale for loudness (LUFS) and level (dBFS), so that peaks and loudness read together.
constexpr double kTop = 3.0, kBottom = -60.0;
constexpr double kLeft = 80, kRight = 30, kAbove = 50, kBelow = 60;

struct Colour {
    double r, g, b;
};
// Input in blue, output in orange; short-term solid, momentary thin, peaks dashed.
constexpr Colour kInput{0.12, 0.47, 0.71}, kOutput{1.0, 0.5, 0.05};
constexpr Colour kTarget{0.17, 0.63, 0.17}, kCeiling{0.84, 0.15, 0.16};

class Plot {
public:
    Plot(cairo_t* cr, double seconds) : cr_(cr), seconds_(std::max(seconds, 0.1)) {}

    double X(double t) const { return kLeft + (kPlotWidth - kLeft - kRight) * t / seconds_; }
    double Y(double db) const
    {
        const double clamped = std::clamp(db, kBottom, kTop);
        return kAbove + (kPlotHeight - kAbove - kBelow) * (kTop - clamped) / (kTop - kBottom);
    }

    void Curve(const std::vector<LoudnessPoint>& points, double LoudnessPoint::*value, Colour colour, double width,
               bool dashed)
    {
        cairo_save(cr_);
        cairo_rectangle(cr_, kLeft, kAbove, kPlotWidth - kLeft - kRight, kPlotHeight - kAbove - kBelow);
        cairo_clip(cr_);
        cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
        cairo_set_line_width(cr_, width);
        if (dashed) {
            const double dash[] = {4.0, 3.0};
            cairo_set_dash(cr_, dash, 2, 0.0);
        }
        bool drawing = false;
        for (const LoudnessPoint& point : points) {
            // Stretches below the scale (silence) break the line rather than drop to its floor.
            if (!std::isfinite(point.*value) || point.*value < kBottom) {
                drawing = false;
                continue;
            }
            (drawing ? cairo_line_to : cairo_move_to)(cr_, X(point.seconds), Y(point.*value));
            drawing = true;
        }
        cairo_stroke(cr_);
        cairo_restore(cr_);
    }

    void Level(double db, Colour colour, const std::string& label)
    {
        cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
        cairo_set_line_width(cr_, 1.5);
        const double dash[] = {10.0, 5.0};
        cairo_set_dash(cr_, dash, 2, 0.0);
        cairo_move_to(cr_, kLeft, Y(db));
        cairo_line_to(cr_, kPlotWidth - kRight, Y(db));
        cairo_stroke(cr_);
        cairo_set_dash(cr_, nullptr, 0, 0.0);
        cairo_move_to(cr_, kPlotWidth - kRight - 8 - Width(label), Y(db) - 5);
        cairo_show_text(cr_, label.c_str());
    }

    double Width(const std::string& text)
    {
        cairo_text_extents_t extents;
        cairo_text_extents(cr_, text.c_str(), &extents);
        return extents.x_advance;
    }

private:
    cairo_t* cr_;
    double seconds_;
};

std::string Text(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

void DrawLoudnessPlot(const FileReport& file, std::optional<double> target, std::optional<double> ceiling,
                      const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlotWidth, kPlotHeight);
    cairo_t* cr = cairo_create(surface);
    const double seconds = file.sampleRate ? static_cast<double>(file.frames) / file.sampleRate : 0.0;
    Plot plot(cr, seconds);

    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 13);

    // Grid and axes: every 6 dB, and about ten steps of time in round seconds.
    cairo_set_line_width(cr, 1);
    for (double db = -60.0; db <= 0.0; db += 6.0) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, kLeft, std::round(plot.Y(db)) + 0.5);
        cairo_line_to(cr, kPlotWidth - kRight, std::round(plot.Y(db)) + 0.5);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        const std::string label = Text("%.0f", db);
        cairo_move_to(cr, kLeft - 8 - plot.Width(label), plot.Y(db) + 4);
        cairo_show_text(cr, label.c_str());
    }
    double step = 1.0;
    for (double candidate : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0})
        if (seconds / candidate <= 12.0) {
            step = candidate;
            break;
        }
    for (double t = 0.0; t <= seconds + 1e-9; t += step) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, std::round(plot.X(t)) + 0.5, kAbove);
        cairo_line_to(cr, std::round(plot.X(t)) + 0.5, kPlotHeight - kBelow);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        const std::string label = Text("%.0f", t);
        cairo_move_to(cr, plot.X(t) - plot.Width(label) / 2, kPlotHeight - kBelow + 18);
        cairo_show_text(cr, label.c_str());
    }
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    cairo_rectangle(cr, kLeft + 0.5, kAbove + 0.5, kPlotWidth - kLeft - kRight, kPlotHeight - kAbove - kBelow);
    cairo_stroke(cr);
    cairo_move_to(cr, (kPlotWidth + kLeft - kRight) / 2 - 30, kPlotHeight - 18);
    cairo_show_text(cr, "time (s)");
    cairo_save(cr);
    cairo_move_to(cr, 24, (kPlotHeight + kAbove - kBelow) / 2 + 70);
    cairo_rotate(cr, -M_PI / 2);
    cairo_show_text(cr, "loudness (LUFS), level (dBFS)");
    cairo_restore(cr);

    // What the picture is of, and its key.
    cairo_set_font_size(cr, 15);
    cairo_move_to(cr, kLeft, 22);
    const std::string title = std::filesystem::path(file.plan.input).filename().string() + " -> " +
                              std::filesystem::path(file.plan.output).filename().string();
    cairo_show_text(cr, title.c_str());
    cairo_set_font_size(cr, 12);
    double keyX = kLeft;
    auto key = [&](Colour colour, bool dashed, double width, const std::string& label) {
        cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
        cairo_set_line_width(cr, width);
        const double dash[] = {4.0, 3.0};
        cairo_set_dash(cr, dash, dashed ? 2 : 0, 0.0);
        cairo_move_to(cr, keyX, 38);
        cairo_line_to(cr, keyX + 24, 38);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0.0);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_move_to(cr, keyX + 30, 42);
        cairo_show_text(cr, label.c_str());
        keyX += 44 + plot.Width(label);
    };
    key(kInput, false, 2.5, "input short-term");
    key(kInput, false, 1.0, "input momentary");
    key(kInput, true, 1.0, "input peak");
    key(kOutput, false, 2.5, "output short-term");
    key(kOutput, false, 1.0, "output momentary");
    key(kOutput, true, 1.0, "output peak");

    cairo_set_font_size(cr, 13);
    if (target) plot.Level(*target, kTarget, Text("target %.1f LUFS", *target));
    if (ceiling) plot.Level(*ceiling, kCeiling, Text("ceiling %.1f dBTP", *ceiling));
    plot.Curve(file.inputTrace, &LoudnessPoint::peak, kInput, 1.0, true);
    plot.Curve(file.outputTrace, &LoudnessPoint::peak, kOutput, 1.0, true);
    plot.Curve(file.inputTrace, &LoudnessPoint::momentary, kInput, 1.0, false);
    plot.Curve(file.outputTrace, &LoudnessPoint::momentary, kOutput, 1.0, false);
    plot.Curve(file.inputTrace, &LoudnessPoint::shortTerm, kInput, 2.5, false);
    plot.Curve(file.outputTrace, &LoudnessPoint::shortTerm, kOutput, 2.5, false);

    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw RenderError("cannot write " + path + ": " + cairo_status_to_string(status));
}

} // namespace render
