// What the editor's drawing section puts on the surface: knobs and value texts at their
// places, the lit switches, the letters over the meters, the faint muted bands, the hidden
// balance slider of mono input, the build label, and the meters at rest under the host's
// bypass.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/editor_frames.h"

using testing_support::DrawKnobAt;
using testing_support::DrawTextAt;
using testing_support::EditorFrames;

namespace {

constexpr DrawColour kValueGrey{0.8, 0.8, 0.8, 1};
constexpr DrawColour kWhite{1, 1, 1, 1};

// Slider rows: y of the track's top; the value text box is centred on its 15 rows, so
// with a text height of 13 it starts one row below.
constexpr double kRow1 = 59, kRow6 = 169, kRow32 = 409;
constexpr double kValueTextX = 415;
constexpr double kValueTextY1 = kRow1 + 7.5 - 12.999999999999998 / 2;

TEST(EditorDrawing, DefaultSliderShowsItsKnobAt213AndItsTextFrom415)
{
    EditorFrames f;
    f.Frame(0, 0);
    // 111 + 272 * 15/40 = 213
    f.DrawReference([](TVexlEffect& e) {
        DrawKnobAt(e, 213, 60);
        DrawTextAt(e, "15.0dB", kValueTextX, kValueTextY1, kValueGrey);
    });
    EXPECT_EQ(f.DifferingPixels(100, 59, 400, 16), 0);

    f.DrawReference();
    EXPECT_GT(f.DifferingPixels(213, 60, 32, 15), 0) << "the knob is seen";
    EXPECT_GT(f.DifferingPixels(415, 60, 40, 14), 0) << "the text is seen";
    f.DrawReference([](TVexlEffect& e) {
        DrawKnobAt(e, 214, 60);
        DrawTextAt(e, "15.0dB", kValueTextX, kValueTextY1, kValueGrey);
    });
    EXPECT_GT(f.DifferingPixels(100, 59, 400, 16), 0) << "one pixel off is seen";
}

TEST(EditorDrawing, TransientSliderShowsABareNumber)
{
    EditorFrames f;
    f.SetSlider(6, -2.5);
    f.Frame(0, 0);
    // 111 + 272 * 7.5/20 = 213
    f.DrawReference([](TVexlEffect& e) {
        DrawKnobAt(e, 213, kRow6 + 1);
        DrawTextAt(e, "-2.5", kValueTextX, kRow6 + 7.5 - 12.999999999999998 / 2, kValueGrey);
    });
    EXPECT_EQ(f.DifferingPixels(100, kRow6, 400, 16), 0);
}

TEST(EditorDrawing, SwitchesLightInTheirColours)
{
    EditorFrames f;
    f.SetSlider(16, 1); // LO Solo at (569, 450), 13 pixels
    f.SetSlider(20, 1); // LO Bypass at (569, 477)
    f.SetSlider(31, 0); // Punch at (166, 440), off
    f.Frame(0, 0);
    // A 13-pixel switch lights 9 by 9 pixels two in from its corner; a 10-pixel one 6 by 6.
    for (int y = 452; y < 461; ++y)
        for (int x = 571; x < 580; ++x)
            EXPECT_EQ(f.screen.ReadArgb(x, y), 0xFFE5E599u) << x << "," << y;
    for (int y = 479; y < 488; ++y)
        for (int x = 571; x < 580; ++x)
            EXPECT_EQ(f.screen.ReadArgb(x, y), 0xFFFF664Cu) << x << "," << y;
    for (int y = 61; y < 67; ++y)
        for (int x = 51; x < 57; ++x)
            EXPECT_EQ(f.screen.ReadArgb(x, y), 0xFFE5E599u) << x << "," << y; // Comp On
    f.DrawReference();
    EXPECT_EQ(f.DifferingPixels(569, 450, 2, 14), 0);
    EXPECT_EQ(f.DifferingPixels(580, 450, 3, 14), 0);
    EXPECT_EQ(f.DifferingPixels(49, 59, 2, 11), 0);
    EXPECT_EQ(f.DifferingPixels(57, 59, 3, 11), 0);
    EXPECT_EQ(f.DifferingPixels(166, 440, 14, 14), 0) << "an unlit switch draws nothing";
}

TEST(EditorDrawing, MeterLettersFollowTheStereoMode)
{
    EditorFrames f;
    const auto letters = [&](const char* one, const char* two, double alpha) {
        f.DrawReference([&](TVexlEffect& e) {
            const double x1[4] = {534, 614, 694, 774}, x2[4] = {549, 629, 711, 789};
            for (int b = 0; b < 4; ++b) {
                DrawTextAt(e, one, x1[b], 118, DrawColour{1, 1, 1, alpha});
                DrawTextAt(e, two, x2[b], 118, DrawColour{1, 1, 1, alpha});
                DrawTextAt(e, "T", x1[b] + 31, 118, DrawColour{1, 1, 1, alpha});
            }
        });
        return f.DifferingPixels(530, 116, 290, 18);
    };
    f.Frame(0, 0); // "M-S" by default
    EXPECT_EQ(letters("M", "S", 0.8), 0);
    f.SetSlider(33, 0);
    f.Frame(0, 0);
    EXPECT_EQ(letters("L", "R", 0.8), 0);
    EXPECT_GT(letters("M", "S", 0.8), 0);
}

TEST(EditorDrawing, BandsMutedBySoloAreDrawnFaintly)
{
    EditorFrames f;
    f.SetSlider(17, 1); // LM solo mutes LO, HM and HI
    f.Frame(0, 0);
    const auto band = [&](int b, double alpha) {
        const double x1[4] = {534, 614, 694, 774}, x2[4] = {549, 629, 711, 789};
        const double meterX[4] = {533, 613, 693, 773};
        const EditorColour colours[3] = {kChannel1MeterColour, kChannel2MeterColour, kTransientMeterColour};
        f.DrawReference([&](TVexlEffect& e) {
            DrawTextAt(e, "M", x1[b], 118, DrawColour{1, 1, 1, alpha});
            DrawTextAt(e, "S", x2[b], 118, DrawColour{1, 1, 1, alpha});
            DrawTextAt(e, "T", x1[b] + 31, 118, DrawColour{1, 1, 1, alpha});
            for (int m = 0; m < 3; ++m)
                e.FillRect(meterX[b] + 15 * m, 134, 10, 1,
                           DrawColour{colours[m].red, colours[m].green, colours[m].blue, alpha});
        });
        return f.DifferingPixels(static_cast<int>(meterX[b]), 116, 42, 20);
    };
    EXPECT_EQ(band(0, 0.2), 0);
    EXPECT_EQ(band(1, 0.8), 0);
    EXPECT_EQ(band(2, 0.2), 0);
    EXPECT_EQ(band(3, 0.2), 0);
    EXPECT_GT(band(0, 0.8), 0);
}

TEST(EditorDrawing, MonoInputHidesTheBalanceSliderAndHoldsItAtZero)
{
    EditorFrames f;
    f.SetSlider(32, 2);
    f.e().dsp.monoInput = 1;
    f.Frame(300, kRow32 + 7);
    EXPECT_EQ(f.Slider(32), 0.0);
    EXPECT_FLOAT_EQ(f.Parameter(32), 0.5f);
    f.Block();
    EXPECT_EQ(f.e().sliderValue[32], 0.0);
    EXPECT_EQ(f.e().dsp.balanceGain, 1.0) << "the processor follows, so stereo input finds 0 dB too";
    f.DrawReference();
    EXPECT_EQ(f.DifferingPixels(100, kRow32, 400, 16), 0);
    // Presses on the hidden slider change nothing.
    f.Frames(3, 400, kRow32 + 7, 1);
    EXPECT_EQ(f.Slider(32), 0.0);
}

TEST(EditorDrawing, BalanceSliderWorksAgainWhenTheInputIsStereoAgain)
{
    EditorFrames f;
    f.e().dsp.monoInput = 1;
    f.Frame(0, 0);
    f.e().dsp.monoInput = 0;
    f.Frame(0, 0);
    // 111 + 272 * 3/6 = 247
    f.DrawReference([](TVexlEffect& e) {
        DrawKnobAt(e, 247, kRow32 + 1);
        DrawTextAt(e, "0.0dB", kValueTextX, kRow32 + 7.5 - 12.999999999999998 / 2, kValueGrey);
    });
    EXPECT_EQ(f.DifferingPixels(100, kRow32, 400, 16), 0);
    f.Frame(300, kRow32 + 7);
    f.Frame(300, kRow32 + 7, 1);
    // ceil(177 / 272 * 6 * 10) / 10 - 3 = 1.0
    EXPECT_NEAR(f.Slider(32), 1.0, 1e-9);
}

TEST(EditorDrawing, BuildLabelIsFaintTenPixelArial)
{
    EditorFrames f;
    f.Frame(0, 0);
    f.DrawReference([](TVexlEffect& e) {
        DrawTextAt(e, "Build 170206", 15, 525, DrawColour{1, 1, 1, 0.2}, 10070, 12, 0);
    });
    EXPECT_EQ(f.DifferingPixels(0, 515, 200, 35), 0);
    f.DrawReference();
    EXPECT_GT(f.DifferingPixels(15, 525, 80, 14), 0);
}

// A value beyond the range (a saved project may hold one) is drawn at the track's end and
// left as it is: the editor writes a parameter only for the user's own edit.
TEST(EditorDrawing, AValueOutsideItsRangeIsDrawnAtTheEndAndLeftAsItIs)
{
    EditorFrames f;
    f.e().sliderValues[1] = 55;
    f.Frame(0, 0);
    EXPECT_EQ(f.Slider(1), 55.0);
    f.DrawReference([](TVexlEffect& e) {
        DrawKnobAt(e, 111 + 272, kRow1 + 1);
        DrawTextAt(e, "40.0dB", kValueTextX, kValueTextY1, kValueGrey);
    });
    EXPECT_EQ(f.DifferingPixels(100, kRow1, 400, 16), 0);
}

TEST(EditorDrawing, AFrameWithNoEditorOpenDrawsNothingAndChangesNothing)
{
    EditorFrames f;
    f.e().sliderValues[1] = 55;
    f.e().mouseX = 0;
    f.e().DoGraphics();
    EXPECT_EQ(f.Slider(1), 55.0);
}

// A loud 60 Hz sine into LO Compress at 40 dB draws a long LO bar; bypassed by the host, the
// bar is gone and only the held peak mark (one row) is left.
TEST(EditorDrawing, MetersRestWhileTheHostBypasses)
{
    EditorFrames f;
    f.SetSlider(1, 40);
    double phase = 0.0;
    auto play = [&](int blocks) {
        std::vector<double> left(512), right(512);
        for (int b = 0; b < blocks; ++b) {
            for (size_t i = 0; i < left.size(); ++i, phase += 2 * std::numbers::pi * 60 / 44100)
                left[i] = right[i] = 0.9 * std::sin(phase);
            double* io[2] = {left.data(), right.data()};
            f.p.aeffect->processDoubleReplacing(f.p.aeffect, io, io, 512);
        }
    };
    // What the LO meter of channel 1 draws below its rest row, after a second of programme.
    auto barPixels = [&] {
        play(86);
        f.Frame(0, 0);
        play(1);
        f.Frame(0, 0);
        f.DrawReference();
        return f.DifferingPixels(533, 135, 10, 298);
    };
    EXPECT_GT(barPixels(), 100);
    ASSERT_EQ(f.p.Dispatch(effSetBypass, 0, 1), 1);
    EXPECT_LE(barPixels(), 10);
}

} // namespace
