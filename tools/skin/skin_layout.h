#pragma once
// What the background picture shows and where: panels, texts and the places the editor
// draws on (knob paths, value texts, switch boxes, meter wells, letters, build label).
// Every position follows from the editor's own layout table, so moving a control there
// moves its track, box and caption here.

#include <cmath>
#include <vector>

#include "effect/editor_layout.h"

namespace skin {

struct Box {
    double x, y, width, height;
    double Right() const { return x + width; }
    double Bottom() const { return y + height; }
};

// Touching edges do not count as overlap.
inline bool Overlaps(const Box& a, const Box& b)
{
    return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

inline bool Contains(const Box& outer, const Box& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.Right() <= outer.Right() &&
           inner.Bottom() <= outer.Bottom();
}

enum class TextStyle { Product, Vendor, Tagline, Title, Caption, BandName, Scale };
enum class Align { Left, Centre, Right };

// A text of the background, drawn inside its box: aligned horizontally as given and
// centred vertically on its capital height. Its ink must stay inside the box.
struct Caption {
    const char* text;
    Box box;
    Align align;
    TextStyle style;
};

struct Panel {
    Box box;
    const char* title;
};

constexpr double kPanelLeft = 8;
constexpr double kPanelRight = 480;
constexpr double kMeterPanelLeft = 490;
constexpr double kMeterPanelRight = 882;
constexpr double kHeaderHeight = 30;
// A panel begins this far above its first slider row and ends this far below its last.
constexpr double kPanelTopMargin = 23;
constexpr double kPanelBottomMargin = 22;

// The value text is at most "-20.0dB" in 11-pixel bold; this leaves room to spare.
constexpr double kValueTextWidth = 60;

// Slider captions end just left of the track; the section switches sit left of them.
constexpr double kSliderCaptionLeft = X0 - 48;
constexpr double kSliderCaptionRight = X0 - 6;
constexpr double kSwitchCaptionGap = 4;

inline const ControlPlace& ControlOf(int slider)
{
    for (const ControlPlace& c : kControls)
        if (c.slider == slider) return c;
    return kControls[0];
}

inline bool IsSlider(const ControlPlace& c) { return c.kind == ControlKind::Slider; }

inline std::vector<Panel> Panels()
{
    const auto panel = [](double top, double bottom, const char* title) {
        return Panel{{kPanelLeft, top - kPanelTopMargin, kPanelRight - kPanelLeft,
                      bottom - top + kPanelTopMargin + kPanelBottomMargin},
                     title};
    };
    const Panel meters{{kMeterPanelLeft, ControlOf(1).y - kPanelTopMargin, kMeterPanelRight - kMeterPanelLeft,
                        ControlOf(41).y - ControlOf(1).y + kPanelTopMargin + kPanelBottomMargin},
                       "GAIN REDUCTION"};
    return {panel(ControlOf(1).y, ControlOf(4).y, "COMPRESSOR"),
            panel(ControlOf(6).y, ControlOf(9).y, "TRANSIENT SHAPER"),
            panel(ControlOf(11).y, ControlOf(14).y, "BAND GAIN"), panel(ControlOf(30).y, ControlOf(41).y, "GLOBAL"),
            meters};
}

// The row of the peak line that a meter shows for a reduction of r dB: the meter draws
// the gain 10^(-r/20) raised to its exponent over its 300-pixel scale.
inline double MeterMarkY(double reductionDb)
{
    const double m = std::pow(std::pow(10.0, -reductionDb / 20.0), kMeterExponent);
    return std::floor(kMeterTop + kMeterHeight - std::fmin(m * kMeterHeight, kMeterHeight - 1) - 1);
}

constexpr double kScaleMarks[] = {0, 1, 3, 6, 10, 15, 20};
constexpr const char* kScaleTexts[] = {"0", "1", "3", "6", "10", "15", "20"};
constexpr int kScaleMarkCount = 7;

// Scale labels sit outside the first and the last meter group.
constexpr double kScaleLeftRight = kMeterX[0] - 7;
constexpr double kScaleRightLeft = kMeterX[kMeterCount - 1] + kMeterWidth + 7;
constexpr double kScaleLabelWidth = 20;

constexpr const char* kBandNames[] = {"LO", "LM", "HM", "HI"};

// A key to the three meters of each band, in the free space under the panel's title.
struct LegendEntry {
    const char* text;
    EditorColour colour;
    Box swatch;
};

constexpr double kLegendY = MY0 - 26;
constexpr LegendEntry kLegend[] = {
    {"channel 1", kChannel1MeterColour, {kMeterX[0], kLegendY, 8, 8}},
    {"channel 2", kChannel2MeterColour, {kMeterX[3], kLegendY, 8, 8}},
    {"transient", kTransientMeterColour, {kMeterX[6], kLegendY, 8, 8}},
};

// Centre of a band's three meters.
inline double BandCentre(int band) { return (kMeterX[3 * band] + kMeterX[3 * band + 2] + kMeterWidth) / 2; }

inline std::vector<Caption> Captions()
{
    std::vector<Caption> out;
    out.push_back({"Tolvanger", {14, 4, 110, 24}, Align::Left, TextStyle::Product});
    out.push_back({"four-band mastering processor", {128, 8, 180, 18}, Align::Left, TextStyle::Tagline});
    out.push_back({"Calder Forges", {kMeterPanelRight - 140, 8, 140, 18}, Align::Right, TextStyle::Vendor});

    for (const Panel& p : Panels())
        out.push_back({p.title, {p.box.x + 10, p.box.y + 6, 200, 12}, Align::Left, TextStyle::Title});

    for (const ControlPlace& c : kControls) {
        if (IsSlider(c)) {
            // One row lower than the slider, like the value text, so both share a baseline.
            out.push_back({c.caption,
                           {kSliderCaptionLeft, c.y + 1, kSliderCaptionRight - kSliderCaptionLeft, c.height},
                           Align::Right,
                           TextStyle::Caption});
        } else {
            const double width = c.width > 10 ? 62 : 26;
            out.push_back({c.caption,
                           {c.x - kSwitchCaptionGap - width, c.y - 1, width, c.height + 2},
                           Align::Right,
                           TextStyle::Caption});
        }
    }

    for (const LegendEntry& entry : kLegend)
        out.push_back({entry.text,
                       {entry.swatch.Right() + 5, entry.swatch.y - 2, 60, entry.swatch.height + 4},
                       Align::Left,
                       TextStyle::Tagline});

    for (int band = 0; band < 4; ++band)
        out.push_back({kBandNames[band], {BandCentre(band) - 20, MY0 + 6, 40, 14}, Align::Centre, TextStyle::BandName});

    out.push_back(
        {"dB", {kScaleLeftRight - kScaleLabelWidth, MY0 + 8, kScaleLabelWidth, 12}, Align::Right, TextStyle::Scale});
    out.push_back({"dB", {kScaleRightLeft, MY0 + 8, kScaleLabelWidth, 12}, Align::Left, TextStyle::Scale});
    for (int i = 0; i < kScaleMarkCount; ++i) {
        const double y = MeterMarkY(kScaleMarks[i]);
        out.push_back({kScaleTexts[i],
                       {kScaleLeftRight - kScaleLabelWidth, y - 6, kScaleLabelWidth, 13},
                       Align::Right,
                       TextStyle::Scale});
        out.push_back({kScaleTexts[i], {kScaleRightLeft, y - 6, kScaleLabelWidth, 13}, Align::Left, TextStyle::Scale});
    }
    return out;
}

// The places the editor draws on each frame; the background keeps its texts off them.
inline Box KnobPath(const ControlPlace& c) { return {c.x + 1, c.y + 1, kKnobTrackLength + kKnobWidth, kKnobHeight}; }

inline Box ValueTextColumn(const ControlPlace& c)
{
    return {c.x + c.width + kValueTextGap, c.y, kValueTextWidth, c.height + 1};
}

inline Box SwitchBox(const ControlPlace& c) { return {c.x, c.y, c.width, c.width}; }

// A well with its one-pixel rim.
inline Box MeterWell(int meter) { return {kMeterX[meter] - 1, kMeterTop - 1, kMeterWidth + 2, kMeterHeight + 2}; }

// An 11-pixel bold letter drawn at its drawing position, in its 15-pixel text box.
inline Box MeterLetter(int meter) { return {kMeterLetterX[meter], kMeterLetterY, 11, 15}; }

// "Build 170206" in 10-pixel Arial with a 12-pixel text height.
inline Box BuildLabel() { return {kBuildLabelX, kBuildLabelY, 80, 14}; }

} // namespace skin
