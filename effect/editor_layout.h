#pragma once
// Where everything on the editor surface sits. The skin generator paints the background
// around these places and the drawing section draws knobs, value texts, lit switches and
// meters onto them, so both read this one table and cannot drift apart. The controls' ranges,
// steps, defaults and units come from the parameter table.

#include "effect/parameter_table.h"

constexpr int kEditorWidth = 890;
constexpr int kEditorHeight = 550;

// Top-left corner of the first slider track, and the meter panel's reference point.
constexpr double X0 = 110;
constexpr double Y0 = 59;
constexpr double MX0 = 523;
constexpr double MY0 = 93;

constexpr double kSliderWidth = 300;
constexpr double kSliderHeight = 15;
// The knob picture; the widget treats it as a 26-pixel handle whose centre is 13 pixels
// in, and moves its left edge over w - 28 pixels.
constexpr int kKnobWidth = 32;
constexpr int kKnobHeight = 15;
constexpr double kKnobHandleWidth = 26;
constexpr double kKnobHalfWidth = 13;
constexpr double kKnobTrackLength = kSliderWidth - 28;
// The value text starts this far right of the slider's end (415 for every slider).
constexpr double kValueTextGap = 5;

enum class ControlKind { Slider, Switch, BypassSwitch };

struct ControlPlace {
    int slider;
    ControlKind kind;
    double x, y;
    // Sliders are width by height; switches are squares of side width (= height).
    double width, height;
    double minimum, maximum, step, defaultValue;
    int unitString; // string number of the unit appended to the value text; 0 for switches
    const char* unit;
    int captionString;
    const char* caption; // the caption as the background shows it
};

// A slider or switch showing parameter p, with the range, step, default and unit of the
// parameter table.
constexpr ControlPlace SliderPlace(Param p, double y, int unitString, int captionString, const char* caption)
{
    const ParameterRow& r = Row(p);
    return {r.slider,       ControlKind::Slider, X0,        y,        kSliderWidth,  kSliderHeight, r.minimum, r.maximum,
            r.step,         r.defaultValue,      unitString, r.unit, captionString, caption};
}

constexpr ControlPlace SwitchPlace(Param p, ControlKind kind, double x, double y, double size, int captionString,
                                   const char* caption)
{
    const ParameterRow& r = Row(p);
    return {r.slider, kind, x, y, size, size, r.minimum, r.maximum, r.step, r.defaultValue, 0, "", captionString, caption};
}

// In the order the drawing section runs them.
constexpr ControlPlace kControls[] = {
    SliderPlace(Param::LoCompress, Y0, 10025, 10026, "LO"),
    SliderPlace(Param::LmCompress, Y0 + 20, 10027, 10028, "LM"),
    SliderPlace(Param::HmCompress, Y0 + 40, 10029, 10030, "HM"),
    SliderPlace(Param::HiCompress, Y0 + 60, 10031, 10032, "HI"),
    SwitchPlace(Param::Compressor, ControlKind::Switch, X0 - 61, Y0, 10, 10033, "ON"),
    SliderPlace(Param::LoTransient, Y0 + 110, 10034, 10035, "LO"),
    SliderPlace(Param::LmTransient, Y0 + 130, 10036, 10037, "LM"),
    SliderPlace(Param::HmTransient, Y0 + 150, 10038, 10039, "HM"),
    SliderPlace(Param::HiTransient, Y0 + 170, 10040, 10041, "HI"),
    SwitchPlace(Param::Transient, ControlKind::Switch, X0 - 61, Y0 + 110, 10, 10042, "ON"),
    SliderPlace(Param::LoGain, Y0 + 220, 10043, 10044, "LO"),
    SliderPlace(Param::LmGain, Y0 + 240, 10045, 10046, "LM"),
    SliderPlace(Param::HmGain, Y0 + 260, 10047, 10048, "HM"),
    SliderPlace(Param::HiGain, Y0 + 280, 10049, 10050, "HI"),
    SwitchPlace(Param::Eq, ControlKind::Switch, X0 - 61, Y0 + 220, 10, 10051, "ON"),
    SwitchPlace(Param::LoSolo, ControlKind::Switch, X0 + 459, Y0 + 391, 13, 10052, "LO Solo"),
    SwitchPlace(Param::LmSolo, ControlKind::Switch, X0 + 539, Y0 + 391, 13, 10053, "LM Solo"),
    SwitchPlace(Param::HmSolo, ControlKind::Switch, X0 + 619, Y0 + 391, 13, 10054, "HM Solo"),
    SwitchPlace(Param::HiSolo, ControlKind::Switch, X0 + 699, Y0 + 391, 13, 10055, "HI Solo"),
    SwitchPlace(Param::LoBypass, ControlKind::BypassSwitch, X0 + 459, Y0 + 418, 13, 10056, "LO Bypass"),
    SwitchPlace(Param::LmBypass, ControlKind::BypassSwitch, X0 + 539, Y0 + 418, 13, 10057, "LM Bypass"),
    SwitchPlace(Param::HmBypass, ControlKind::BypassSwitch, X0 + 619, Y0 + 418, 13, 10058, "HM Bypass"),
    SwitchPlace(Param::HiBypass, ControlKind::BypassSwitch, X0 + 699, Y0 + 418, 13, 10059, "HI Bypass"),
    SliderPlace(Param::Inertia, Y0 + 330, 10060, 10061, "Inertia"),
    // The balance caption changes with the stereo mode (10017 or 10020); the background
    // shows the part common to both.
    SliderPlace(Param::Balance, Y0 + 350, 10062, 0, "Balance"),
    SwitchPlace(Param::Punch, ControlKind::Switch, X0 + 56, Y0 + 381, 13, 10063, "Punch"),
    SwitchPlace(Param::StereoMode, ControlKind::Switch, X0 + 156, Y0 + 381, 13, 10064, "Stereo / M-S"),
    SwitchPlace(Param::MixLevel, ControlKind::Switch, X0 + 266, Y0 + 381, 13, 10065, "K-20"),
    SliderPlace(Param::Input, Y0 + 410, 10066, 10067, "Input"),
    SliderPlace(Param::Output, Y0 + 430, 10068, 10069, "Output"),
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

// Meters: band LO first; per band channel 1, channel 2, transient. Each hangs down from
// kMeterTop and is kMeterWidth wide; a bar of length L covers rows kMeterTop to
// kMeterTop + L, and its peak line the row kMeterTop + peak.
constexpr int kMeterCount = 12;
constexpr double kMeterX[kMeterCount] = {533, 548, 563, 613, 628, 643, 693, 708, 723, 773, 788, 803};
constexpr double kMeterTop = 134;
constexpr double kMeterWidth = 10;
constexpr double kMeterHeight = 300;
constexpr double kMeterExponent = 1.25;

// Channel letters and the band's "T" over the meters (MX0 + 11 + d, MX0 + 26 + d, MX0 + x3);
// the third band's channel 2 letter sits two pixels right of the regular spacing.
constexpr double kMeterLetterX[kMeterCount] = {534, 549, 565, 614, 629, 645, 694, 711, 725, 774, 789, 805};
constexpr double kMeterLetterY = MY0 + 25;

struct EditorColour {
    double red, green, blue;
};

constexpr EditorColour kSwitchColour = {0.9, 0.9, 0.6};
constexpr EditorColour kBypassColour = {1.0, 0.4, 0.3};
constexpr EditorColour kChannel1MeterColour = {1.0, 1.0, 0.5};
constexpr EditorColour kChannel2MeterColour = {0.5, 1.0, 0.4};
constexpr EditorColour kTransientMeterColour = {0.6, 1.0, 1.0};
constexpr EditorColour kValueTextColour = {0.8, 0.8, 0.8};

constexpr double kBuildLabelX = 15;
constexpr double kBuildLabelY = 525;
