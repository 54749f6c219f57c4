#pragma once
// Where everything on the editor surface sits. The skin generator paints the background
// around these places and the drawing section draws knobs, value texts, lit switches and
// meters onto them, so both read this one table and cannot drift apart.

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

constexpr ControlPlace SliderPlace(int slider, double y, double minimum, double maximum, double step,
                                   double defaultValue, int unitString, const char* unit, int captionString,
                                   const char* caption)
{
    return {slider, ControlKind::Slider, X0,         y,    kSliderWidth,  kSliderHeight, minimum, maximum,
            step,   defaultValue,        unitString, unit, captionString, caption};
}

constexpr ControlPlace SwitchPlace(int slider, ControlKind kind, double x, double y, double size, double defaultValue,
                                   int captionString, const char* caption)
{
    return {slider, kind, x, y, size, size, 0, 1, 1, defaultValue, 0, "", captionString, caption};
}

// In the order the drawing section runs them.
constexpr ControlPlace kControls[] = {
    SliderPlace(1, Y0, 0, 40, 1, 15, 10025, "dB", 10026, "LO"),
    SliderPlace(2, Y0 + 20, 0, 40, 1, 15, 10027, "dB", 10028, "LM"),
    SliderPlace(3, Y0 + 40, 0, 40, 1, 15, 10029, "dB", 10030, "HM"),
    SliderPlace(4, Y0 + 60, 0, 40, 1, 15, 10031, "dB", 10032, "HI"),
    SwitchPlace(5, ControlKind::Switch, X0 - 61, Y0, 10, 1, 10033, "ON"),
    SliderPlace(6, Y0 + 110, -10, 10, 0.1, 0, 10034, "", 10035, "LO"),
    SliderPlace(7, Y0 + 130, -10, 10, 0.1, 0, 10036, "", 10037, "LM"),
    SliderPlace(8, Y0 + 150, -10, 10, 0.1, 0, 10038, "", 10039, "HM"),
    SliderPlace(9, Y0 + 170, -10, 10, 0.1, 0, 10040, "", 10041, "HI"),
    SwitchPlace(10, ControlKind::Switch, X0 - 61, Y0 + 110, 10, 1, 10042, "ON"),
    SliderPlace(11, Y0 + 220, -20, 20, 0.1, 0, 10043, "dB", 10044, "LO"),
    SliderPlace(12, Y0 + 240, -20, 20, 0.1, 0, 10045, "dB", 10046, "LM"),
    SliderPlace(13, Y0 + 260, -20, 20, 0.1, 0, 10047, "dB", 10048, "HM"),
    SliderPlace(14, Y0 + 280, -20, 20, 0.1, 0, 10049, "dB", 10050, "HI"),
    SwitchPlace(15, ControlKind::Switch, X0 - 61, Y0 + 220, 10, 1, 10051, "ON"),
    SwitchPlace(16, ControlKind::Switch, X0 + 459, Y0 + 391, 13, 0, 10052, "LO Solo"),
    SwitchPlace(17, ControlKind::Switch, X0 + 539, Y0 + 391, 13, 0, 10053, "LM Solo"),
    SwitchPlace(18, ControlKind::Switch, X0 + 619, Y0 + 391, 13, 0, 10054, "HM Solo"),
    SwitchPlace(19, ControlKind::Switch, X0 + 699, Y0 + 391, 13, 0, 10055, "HI Solo"),
    SwitchPlace(20, ControlKind::BypassSwitch, X0 + 459, Y0 + 418, 13, 0, 10056, "LO Bypass"),
    SwitchPlace(21, ControlKind::BypassSwitch, X0 + 539, Y0 + 418, 13, 0, 10057, "LM Bypass"),
    SwitchPlace(22, ControlKind::BypassSwitch, X0 + 619, Y0 + 418, 13, 0, 10058, "HM Bypass"),
    SwitchPlace(23, ControlKind::BypassSwitch, X0 + 699, Y0 + 418, 13, 0, 10059, "HI Bypass"),
    SliderPlace(30, Y0 + 330, 0, 1, 0.1, 0.5, 10060, "", 10061, "Inertia"),
    // The balance caption changes with the stereo mode (10017 or 10020); the background
    // shows the part common to both.
    SliderPlace(32, Y0 + 350, -3, 3, 0.1, 0, 10062, "dB", 0, "Balance"),
    SwitchPlace(31, ControlKind::Switch, X0 + 56, Y0 + 381, 13, 0, 10063, "Punch"),
    SwitchPlace(33, ControlKind::Switch, X0 + 156, Y0 + 381, 13, 1, 10064, "Stereo / M-S"),
    SwitchPlace(34, ControlKind::Switch, X0 + 266, Y0 + 381, 13, 0, 10065, "K-20"),
    SliderPlace(40, Y0 + 410, -20, 20, 0.1, 0, 10066, "dB", 10067, "Input"),
    SliderPlace(41, Y0 + 430, -20, 20, 0.1, 0, 10068, "dB", 10069, "Output"),
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
