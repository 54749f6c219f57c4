// The gestures over the drawing section's own, driven as the editor's view drives them, with
// the clock given: the tooltip's delay, the burst of wheel steps, the typed value's rules.
// (Through a real window: editor_x11_drag_test.cpp.)

#include <gtest/gtest.h>

#include <chrono>

#include "core/editor_gestures.h"
#include "core/plugin.h"
#include "effect/editor_layout.h"
#include "gui/input.h"
#include "tests/quiet_host.h"

namespace {

using namespace std::chrono_literals;
using testing_support::QuietHost;

constexpr double kLoGainRow = 286; // the middle of LO Gain's track
constexpr int kLoGain = ParameterIndex(Param::LoGain);

gui::Key Typed(char c)
{
    gui::Key key;
    key.character = static_cast<unsigned char>(c);
    key.text = true;
    return key;
}

gui::Key Named(gui::KeyName name)
{
    gui::Key key;
    key.name = name;
    return key;
}

TEST(EditorGestures, ATooltipShowsAnAbbreviatedControlsFullNameAfterHalfASecondAtRest)
{
    QuietHost host;
    Plugin plugin(host);
    EditorGestures gestures(plugin);
    const auto t0 = EditorGestures::Clock::now();
    gestures.MouseMove(200, kLoGainRow, t0); // captioned "LO"
    gestures.Idle(t0 + 400ms);
    EXPECT_FALSE(gestures.TooltipShown());
    gestures.Idle(t0 + 600ms);
    EXPECT_EQ(gestures.Tooltip(), "LO Gain: 0.00 dB");
    gestures.MouseMove(201, kLoGainRow, t0 + 700ms);
    EXPECT_TRUE(gestures.TooltipShown()) << "a tremor is rest";
    gestures.MouseMove(240, kLoGainRow, t0 + 800ms);
    EXPECT_FALSE(gestures.TooltipShown());
    // Inertia's caption is its whole name: no tooltip.
    const ControlPlace& inertia = kControls[23];
    ASSERT_EQ(inertia.slider, SliderOf(Param::Inertia));
    gestures.MouseMove(200, inertia.y + 7, t0 + 900ms);
    gestures.Idle(t0 + 2s);
    EXPECT_FALSE(gestures.TooltipShown());
}

TEST(EditorGestures, TypedValuesTakeTheHostsFormsAndEndInOneGesture)
{
    QuietHost host;
    Plugin plugin(host);
    EditorGestures gestures(plugin);
    auto type = [&](const std::string& text, gui::KeyName last) {
        gestures.MouseDown(430, kLoGainRow, gui::kLeftButton);
        EXPECT_TRUE(gestures.FieldOpen());
        for (char c : text)
            gestures.KeyDown(Typed(c));
        gestures.KeyDown(Named(last));
        EXPECT_FALSE(gestures.FieldOpen());
    };
    gestures.MouseDown(430, kLoGainRow, gui::kLeftButton);
    EXPECT_EQ(gestures.FieldText(), "0.0dB") << "opened with the value shown, all of it selected";
    gestures.KeyDown(Named(gui::KeyName::kEscape));
    type("+2 dB", gui::KeyName::kEnter);
    EXPECT_EQ(plugin.GetValue(kLoGain), 2.0);
    EXPECT_EQ(host.edits, "BAE");
    plugin.SetValue(kLoGain, 0.0);
    host.edits.clear();
    type("-3.47", gui::KeyName::kEnter);
    EXPECT_DOUBLE_EQ(plugin.GetValue(kLoGain), plugin.Quantize(kLoGain, -3.5)) << "on the step, as a host's set";
    type("1", gui::KeyName::kEscape);
    type("dB", gui::KeyName::kEnter);
    EXPECT_DOUBLE_EQ(plugin.GetValue(kLoGain), plugin.Quantize(kLoGain, -3.5));
    EXPECT_EQ(host.edits, "BAE");
    // A click elsewhere leaves the field as it was.
    gestures.MouseDown(430, kLoGainRow, gui::kLeftButton);
    gestures.KeyDown(Typed('5'));
    gestures.MouseDown(700, 20, gui::kLeftButton);
    EXPECT_FALSE(gestures.FieldOpen());
    EXPECT_DOUBLE_EQ(plugin.GetValue(kLoGain), plugin.Quantize(kLoGain, -3.5));
}

TEST(EditorGestures, ABurstOfWheelStepsIsOneGestureEndedByAPause)
{
    QuietHost host;
    Plugin plugin(host);
    EditorGestures gestures(plugin);
    const auto t0 = EditorGestures::Clock::now();
    for (int notch = 0; notch < 5; ++notch)
        EXPECT_TRUE(gestures.Wheel(200, kLoGainRow, 1.0, 0, t0 + notch * 50ms));
    gestures.Idle(t0 + 300ms);
    EXPECT_EQ(host.edits, "BAAAAA");
    gestures.Idle(t0 + 700ms);
    EXPECT_EQ(host.edits, "BAAAAAE");
    EXPECT_NEAR(plugin.GetValue(kLoGain), 0.5, 1e-12);
    // Down past the end: clamped, and no value sent twice.
    for (int notch = 0; notch < 300; ++notch)
        gestures.Wheel(200, kLoGainRow, -1.0, 0, t0 + 1s);
    EXPECT_EQ(plugin.GetValue(kLoGain), -20.0);
    // Not over a slider: the host may scroll.
    EXPECT_FALSE(gestures.Wheel(700, 20, 1.0, 0, t0 + 2s));
}

} // namespace
