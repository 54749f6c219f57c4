// The editor's controls under the mouse: when a drag starts and how it moves a slider,
// fine adjustment with Shift, the default with Control, one toggle per press, and the
// meters with their peak hold.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/editor_frames.h"

using testing_support::EditorFrames;

namespace {

constexpr double kLeft = 1, kControl = 4, kShift = 8;
// The middle row of slider 11 ("LO Gain", track from y 279) and of slider 12.
constexpr double kRow11 = 286, kRow12 = 306;

// The value a plain drag gives with the pointer at mouse x on a slider at x 110.
double DragValue(double mouseX, double minimum, double range, double step)
{
    const double stepsPerUnit = 1 / step;
    return std::ceil((mouseX - 110 - 13) / 272 * range * stepsPerUnit) / stepsPerUnit + minimum;
}

TEST(EditorSlider, PressAfterAHoverFrameSetsTheValueAndTheNextBlockHearsIt)
{
    EditorFrames f;
    const double bandGainBefore = f.e().dsp.eqGain[0];
    f.Frame(260, kRow11);
    EXPECT_EQ(f.Slider(11), 0.0);
    f.Frame(260, kRow11, kLeft);
    // ceil(137 / 272 * 40 * 10) / 10 - 20: the 201.47 steps count as 202
    EXPECT_NEAR(f.Slider(11), 0.2, 1e-9);
    EXPECT_NEAR(f.Parameter(11), 20.2 / 40, 1e-6);
    // The editor only stores the value; the audio thread derives the band gain from it.
    EXPECT_EQ(f.e().dsp.eqGain[0], bandGainBefore);
    f.Block();
    EXPECT_NEAR(f.e().sliderValue[11], 0.2, 1e-9);
    EXPECT_NEAR(f.e().dsp.eqGain[0] / bandGainBefore, std::pow(10.0, 0.2 / 20), 1e-9);
    EXPECT_EQ(f.e().editor.editorChanged, 0.0);
}

TEST(EditorSlider, APressInTheFirstFrameOverTheSliderStartsNoDrag)
{
    EditorFrames f;
    f.Frame(600, 20);
    f.Frame(260, kRow11, kLeft);
    f.Frame(300, kRow11, kLeft);
    EXPECT_EQ(f.Slider(11), 0.0);
    f.Frame(300, kRow11); // released over it: the next press drags
    f.Frame(300, kRow11, kLeft);
    EXPECT_NEAR(f.Slider(11), DragValue(300, -20, 40, 0.1), 1e-9);
}

TEST(EditorSlider, ADragGoesOnOutsideTheSliderAndTheWindowAndTakesNoOtherSlider)
{
    EditorFrames f;
    f.Frame(260, kRow11);
    f.Frame(260, kRow11, kLeft);
    f.Frame(300, kRow12, kLeft); // over slider 12, still dragging slider 11
    EXPECT_NEAR(f.Slider(11), DragValue(300, -20, 40, 0.1), 1e-9);
    EXPECT_EQ(f.Slider(12), 0.0);
    f.Frame(1200, 700, kLeft);
    EXPECT_EQ(f.Slider(11), 20.0);
    f.Frame(-50, -30, kLeft);
    EXPECT_EQ(f.Slider(11), -20.0);
    f.Frame(350, 700); // released outside
    f.Frame(350, kRow11, kLeft);
    EXPECT_EQ(f.Slider(11), -20.0);
    EXPECT_EQ(f.Slider(12), 0.0);
}

TEST(EditorSlider, ShiftMovesTheKnobOnePixelPerThreeOfMouseTravel)
{
    EditorFrames fine, plain;
    for (EditorFrames* f : {&fine, &plain})
        f->Frame(300, kRow11);
    fine.Frame(300, kRow11, kLeft + kShift);
    plain.Frame(300, kRow11, kLeft);
    EXPECT_NEAR(fine.Slider(11), DragValue(300, -20, 40, 0.1), 1e-9) << "the fine drag starts where the knob is";
    EXPECT_EQ(fine.e().editor.control[10].anchor, 300.0);
    for (double travel : {30.0, 60.0, 90.0, -45.0}) {
        fine.Frame(300 + travel, kRow11, kLeft + kShift);
        plain.Frame(300 + travel / 3, kRow11, kLeft);
        EXPECT_NEAR(fine.Slider(11), plain.Slider(11), 0.1 + 1e-9) << travel;
    }
    // A plain drag moves the knob with the pointer.
    plain.Frame(390, kRow11, kLeft);
    fine.Frame(390, kRow11, kLeft + kShift);
    EXPECT_NEAR(plain.Slider(11), DragValue(390, -20, 40, 0.1), 1e-9);
    EXPECT_NEAR(fine.Slider(11), DragValue(330, -20, 40, 0.1), 0.1 + 1e-9);
}

TEST(EditorSlider, ControlGivesTheDefault)
{
    EditorFrames f;
    f.SetSlider(1, 30);
    f.SetSlider(30, 0.9);
    f.Frame(150, 66);
    f.Frame(150, 66, kLeft + kControl);
    EXPECT_EQ(f.Slider(1), 15.0);
    f.Frame(380, 66, kLeft + kControl); // a Control drag stays at the default
    EXPECT_EQ(f.Slider(1), 15.0);
    f.Frame(380, 396);
    f.Frame(380, 396, kLeft + kControl);
    EXPECT_EQ(f.Slider(30), 0.5);
}

TEST(EditorSlider, WholeStepSlidersCountAPartialStepAsAFullOne)
{
    EditorFrames f;
    f.Frame(200, 66);
    f.Frame(200, 66, kLeft);
    // 77 / 272 * 40 = 11.3 steps, shown as 12 dB
    EXPECT_EQ(f.Slider(1), 12.0);
}

TEST(EditorSwitch, AClickOnALitSwitchTurnsItOffOnceAndClearsItsSquare)
{
    EditorFrames f;
    // "Comp On/Off" at (49, 59), 10 pixels, on by default
    f.Frame(54, 64);
    EXPECT_EQ(f.Slider(5), 1.0);
    f.Frame(54, 64, kLeft);
    EXPECT_EQ(f.Slider(5), 0.0);
    f.Block();
    EXPECT_EQ(f.e().dsp.compActive[0], 0.0) << "the coefficients follow at the next block";
    f.DrawReference();
    EXPECT_EQ(f.DifferingPixels(49, 59, 11, 11), 0);
    f.Frames(5, 54, 64, kLeft);
    EXPECT_EQ(f.Slider(5), 0.0) << "holding the button toggles once";
    f.Frame(54, 64);
    f.Frame(54, 64, kLeft);
    EXPECT_EQ(f.Slider(5), 1.0);
    EXPECT_EQ(f.screen.ReadArgb(53, 63), 0xFFE5E599u);
}

TEST(EditorSwitch, APressArrivingWithTheButtonDownDoesNotToggle)
{
    EditorFrames f;
    f.Frame(700, 20, kLeft);
    f.Frame(575, 456, kLeft); // LO Solo
    EXPECT_EQ(f.Slider(16), 0.0);
    f.Frame(575, 456);
    f.Frame(575, 456, kLeft);
    EXPECT_EQ(f.Slider(16), 1.0);
    f.Block();
    EXPECT_EQ(f.e().dsp.soloPass[1], 0.0);
}

// The meter of channel 1 in band LO: x 533 to 542, hanging down from row 134.
constexpr int kMeterColumn = 537;

// Rows from 134 down that differ from the background.
int LitRows(const EditorFrames& f)
{
    int rows = 0;
    while (rows < 300 && f.Differs(kMeterColumn, 134 + rows))
        ++rows;
    return rows;
}

int PeakRow(const EditorFrames& f)
{
    for (int row = 134; row < 434; ++row)
        if (f.Differs(kMeterColumn, row)) return row;
    return -1;
}

TEST(EditorMeter, NoReductionDrawsOnlyThePeakLineAtRow134)
{
    EditorFrames f;
    f.Frame(0, 0);
    f.DrawReference([](TVexlEffect& e) { e.FillRect(533, 134, 10, 1, DrawColour{1, 1, 0.5, 0.8}); });
    EXPECT_EQ(f.DifferingPixels(530, 133, 16, 302), 0);
    f.DrawReference();
    EXPECT_EQ(LitRows(f), 1);
}

TEST(EditorMeter, BarLengthsMatchTheScaleMarks)
{
    struct Mark {
        double db;
        int rows;
    };
    for (const Mark mark : {Mark{1, 39}, Mark{3, 104}, Mark{6, 172}, Mark{10, 228}, Mark{15, 264}, Mark{20, 282}}) {
        EditorFrames f;
        f.e().dsp.compMeter[0][0] = std::pow(10.0, -mark.db / 20);
        f.Frame(0, 0);
        f.Block();
        f.Frame(0, 0);
        f.DrawReference();
        // The bar and, one row below it, the peak line.
        EXPECT_NEAR(LitRows(f) - 1, mark.rows, 1) << mark.db << " dB";
    }
}

TEST(EditorMeter, ThePeakLineHoldsAHundredFramesThenRisesThreePixelsAFrame)
{
    EditorFrames f;
    f.e().dsp.compMeter[0][0] = std::pow(10.0, -6.0 / 20);
    f.Frame(0, 0);
    f.Block();
    EXPECT_EQ(f.e().dsp.compMeter[0][0], 1.0) << "the block that hands the meters over starts them again";
    f.Frame(0, 0);
    f.DrawReference();
    const int peak = PeakRow(f) + LitRows(f) - 1;
    EXPECT_NEAR(peak, 134 + 172, 1);
    // Audio goes on between the frames, with no reduction.
    for (int frame = 1; frame <= 100; ++frame) {
        f.Block();
        f.Frame(0, 0);
        ASSERT_EQ(PeakRow(f), peak) << "frame " << frame;
        ASSERT_EQ(LitRows(f), 0) << "no bar, only the line";
    }
    for (int frame = 1; frame <= 5; ++frame) {
        f.Block();
        f.Frame(0, 0);
        EXPECT_EQ(PeakRow(f), peak - 3 * frame);
    }
    for (int frame = 0; frame < 60; ++frame)
        f.Frame(0, 0);
    EXPECT_EQ(PeakRow(f), 134);
}

// The meters have one writer, the audio thread: the editor only reads what a block handed
// over, and shows them at rest when no block answers (no audio running).
TEST(EditorMeter, TheEditorShowsWhatTheBlockHandsOverAndWritesNoMeter)
{
    EditorFrames f;
    f.e().dsp.transientMeter[2] = 0.5;
    f.e().dsp.compMeter[1][3] = 0.5;
    f.Frame(0, 0);
    EXPECT_EQ(f.e().dsp.transientMeter[2], 0.5);
    EXPECT_EQ(f.e().dsp.compMeter[1][3], 0.5);
    f.Block();
    EXPECT_NEAR(f.e().dsp.transientMeter[2], 0.501, 1e-12) << "recovering on its own";
    EXPECT_EQ(f.e().dsp.compMeter[1][3], 1.0);
    f.Frame(0, 0);
    f.DrawReference();
    // Channel 2 of HI (meter x 788) and the transient meter of HM (x 723) show their bars.
    EXPECT_GT(f.DifferingPixels(788, 135, 10, 100), 0);
    EXPECT_GT(f.DifferingPixels(723, 135, 10, 100), 0);
    // With no block answering, the meters fall back to rest within a third of a second.
    for (int frame = 0; frame < 12; ++frame)
        f.Frame(0, 0);
    f.DrawReference();
    EXPECT_EQ(f.DifferingPixels(788, 136, 10, 100), 0);
    EXPECT_EQ(f.DifferingPixels(723, 136, 10, 100), 0);
}

} // namespace
