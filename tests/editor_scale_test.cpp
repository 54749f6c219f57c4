// The drawing section on surfaces of other scales: it keeps working in editor units, and
// what it draws lands on the finer pixel grid.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "effect/editor_layout.h"
#include "gui/draw_context.h"
#include "gui/offscreen_context.h"
#include "tests/editor_frames.h"
#include "tests/scaled_picture_checks.h"

namespace {

using testing_support::EditorFrames;
using testing_support::UnitBox;

testing_support::PixelOf PixelsOf(const gui::OffscreenContext& surface)
{
    return [&surface](int x, int y) {
        x = std::min(x, surface.Width() - 1), y = std::min(y, surface.Height() - 1);
        return surface.ReadArgb(x, y) & 0xFFFFFFu;
    };
}

// The whole editor at 2: the same picture as at 1 once reduced, drawn from the pictures
// drawn for 2 and with text laid out at twice the size (the value texts and the meter
// letters are drawn by the drawing section itself, not taken from the background).
TEST(ScaledEditor, AtTwoShowsThePictureAtOneOnAFinerGrid)
{
    EditorFrames one;
    EditorFrames two(2.0);
    ASSERT_EQ(two.screen.Width(), 1780);
    ASSERT_EQ(two.screen.Height(), 1100);
    one.Frames(3, 0, 0);
    two.Frames(3, 0, 0);
    EXPECT_EQ(two.e().imageTable[0].width, 890.0); // pictures keep their size in units
    EXPECT_EQ(two.e().imageTable[1].height, 15.0);

    EXPECT_LT(testing_support::ReducedDifference(PixelsOf(two.screen), PixelsOf(one.screen), 2, {0, 0, 890, 550}),
              4.0);
    // The value texts of the first panel's sliders.
    const UnitBox valueTexts{static_cast<int>(X0 + kSliderWidth + kValueTextGap), static_cast<int>(Y0), 60, 75};
    EXPECT_GT(testing_support::SharpShare(PixelsOf(two.screen), PixelsOf(one.screen), 2, valueTexts), 0.5);
}

// Lines and rectangles at a scale between whole ones: every pixel is the fill's or the
// frame's colour (no smeared edges), and the frame is a whole number of pixels thick.
TEST(ScaledEditor, RectanglesLandOnThePixelGridAtEveryScale)
{
    for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        gui::OffscreenContext surface(40, 30, scale);
        surface.SetFillColour({0, 0, 255, 255});
        surface.SetFrameColour({255, 0, 0, 255});
        surface.DrawRectangle(10, 10, 30, 20, gui::DrawContext::kFilledAndOutline);
        // An edge between pixels goes to the first pixel whose centre is on or after it.
        const auto edge = [scale](double units) { return static_cast<int>(std::ceil(units * scale - 0.5)); };
        const int pen = std::max(1, static_cast<int>(std::lround(scale)));
        const int left = edge(10);
        const int right = edge(30);
        const int row = edge(15);
        for (int x = left - 2; x < right + 2; ++x) {
            const std::uint32_t pixel = surface.ReadArgb(x, row) & 0xFFFFFF;
            const std::uint32_t expected =
                x < left || x >= right ? 0x000000 : (x < left + pen || x >= right - pen ? 0xFF0000 : 0x0000FF);
            ASSERT_EQ(pixel, expected) << "scale " << scale << ", column " << x;
        }
    }
}

} // namespace
