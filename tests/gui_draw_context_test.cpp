#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "gui/font.h"
#include "gui/offscreen_context.h"

namespace {

using gui::DrawContext;

constexpr gui::Colour kWhite{255, 255, 255, 255};
constexpr gui::Colour kRed{255, 0, 0, 255};
constexpr gui::Colour kBlue{0, 0, 255, 255};
constexpr std::uint32_t kArgbWhite = 0xFFFFFFFF;
constexpr std::uint32_t kArgbBlack = 0xFF000000;
constexpr std::uint32_t kArgbRed = 0xFFFF0000;
constexpr std::uint32_t kArgbBlue = 0xFF0000FF;

void Clear(gui::OffscreenContext& context, gui::Colour colour)
{
    context.SetFillColour(colour);
    context.DrawRectangle(0, 0, context.Width(), context.Height(), DrawContext::kFilled);
}

// The smallest box (inclusive) holding every pixel that differs from the background.
struct Ink {
    bool any = false;
    int left = 0, top = 0, right = 0, bottom = 0;
};

Ink FindInk(const gui::OffscreenContext& context, std::uint32_t background)
{
    Ink ink;
    for (int y = 0; y < context.Height(); ++y) {
        for (int x = 0; x < context.Width(); ++x) {
            if (context.ReadArgb(x, y) == background) continue;
            if (!ink.any) {
                ink = {true, x, y, x, y};
            } else {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::max(ink.bottom, y);
            }
        }
    }
    return ink;
}

std::shared_ptr<const gui::Font> Arial(int size, int style = 0)
{
    return std::make_shared<gui::Font>("Arial", size, style);
}

TEST(DrawRectangle, FillCoversIntegerCornersExactly)
{
    gui::OffscreenContext context(40, 40);
    Clear(context, kWhite);
    context.SetFillColour(kRed);
    context.DrawRectangle(15, 20, 25, 24, DrawContext::kFilled);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 15 && x <= 24 && y >= 20 && y <= 23;
            ASSERT_EQ(context.ReadArgb(x, y), inside ? kArgbRed : kArgbWhite) << x << "," << y;
        }
    }
}

TEST(DrawRectangle, CornersAreSorted)
{
    gui::OffscreenContext context(40, 40);
    Clear(context, kWhite);
    context.SetFillColour(kRed);
    context.DrawRectangle(25, 24, 15, 20, DrawContext::kFilled);
    const Ink ink = FindInk(context, kArgbWhite);
    ASSERT_TRUE(ink.any);
    EXPECT_EQ(ink.left, 15);
    EXPECT_EQ(ink.top, 20);
    EXPECT_EQ(ink.right, 24);
    EXPECT_EQ(ink.bottom, 23);
}

TEST(DrawRectangle, OutlineRunsAlongTheOutermostPixelsOfTheFill)
{
    gui::OffscreenContext context(30, 30);
    Clear(context, kWhite);
    context.SetFrameColour(kRed);
    context.DrawRectangle(10, 10, 20, 15, DrawContext::kOutline);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool inBox = x >= 10 && x <= 19 && y >= 10 && y <= 14;
            const bool onEdge = x == 10 || x == 19 || y == 10 || y == 14;
            ASSERT_EQ(context.ReadArgb(x, y), inBox && onEdge ? kArgbRed : kArgbWhite) << x << "," << y;
        }
    }
}

TEST(DrawRectangle, BothStylesFillThenOutline)
{
    gui::OffscreenContext context(30, 30);
    Clear(context, kWhite);
    context.SetFillColour(kBlue);
    context.SetFrameColour(kRed);
    context.DrawRectangle(5, 5, 10, 10, DrawContext::kFilledAndOutline);
    EXPECT_EQ(context.ReadArgb(5, 5), kArgbRed);
    EXPECT_EQ(context.ReadArgb(9, 7), kArgbRed);
    EXPECT_EQ(context.ReadArgb(7, 7), kArgbBlue);
    EXPECT_EQ(context.ReadArgb(10, 10), kArgbWhite);
}

TEST(DrawRectangle, UnknownStyleDrawsNothing)
{
    gui::OffscreenContext context(20, 20);
    Clear(context, kWhite);
    context.DrawRectangle(2, 2, 10, 10, 3);
    EXPECT_FALSE(FindInk(context, kArgbWhite).any);
}

TEST(DrawRectangle, AntialiasingDecidesPartialPixels)
{
    gui::OffscreenContext context(20, 20);
    Clear(context, kWhite);
    context.SetFillColour(gui::kOpaqueBlack);
    context.DrawRectangle(4.3, 0, 8, 10, DrawContext::kFilled);
    // Off (the start state): pixel 4's centre lies inside, pixel 3's outside; nothing in between.
    EXPECT_EQ(context.ReadArgb(3, 5), kArgbWhite);
    EXPECT_EQ(context.ReadArgb(4, 5), kArgbBlack);

    context.SetAntialias(true);
    context.DrawRectangle(4.3, 12, 8, 20, DrawContext::kFilled);
    // On: pixel 4 is 0.7 covered, so white keeps 0.3 of its value.
    const gui::Colour partial = context.ReadPixel(4, 15);
    EXPECT_NEAR(partial.g, 0.3 * 255, 4);
    EXPECT_EQ(context.ReadArgb(5, 15), kArgbBlack);
}

TEST(DrawRectangle, CoordinatesFarOffOrNotFiniteAreHarmless)
{
    gui::OffscreenContext context(20, 20);
    Clear(context, kWhite);
    context.SetFillColour(kRed);
    context.DrawRectangle(std::nan(""), 0, 10, 10, DrawContext::kFilled);
    context.DrawRectangle(0, 0, std::numeric_limits<double>::infinity(), 10, DrawContext::kFilled);
    EXPECT_FALSE(FindInk(context, kArgbWhite).any);
    context.DrawRectangle(-1e300, -1e300, 5, 5, DrawContext::kFilledAndOutline);
    EXPECT_EQ(context.ReadArgb(0, 0), kArgbRed);
    EXPECT_EQ(context.ReadArgb(4, 4), kArgbBlack); // the outline's far corner
    EXPECT_EQ(context.ReadArgb(5, 5), kArgbWhite);
}

TEST(DrawContextColours, ANewStateDrawsOpaqueBlack)
{
    gui::OffscreenContext context(20, 20);
    Clear(context, kWhite);
    context.ResetState();
    context.DrawRectangle(2, 2, 6, 6, DrawContext::kFilled);
    context.DrawRectangle(10, 10, 16, 16, DrawContext::kOutline);
    EXPECT_EQ(context.ReadArgb(3, 3), kArgbBlack);
    EXPECT_EQ(context.ReadArgb(10, 12), kArgbBlack);
    EXPECT_EQ(context.ReadArgb(12, 12), kArgbWhite);
}

TEST(DrawContextColours, AlphaBlendsOverWhatIsThere)
{
    gui::OffscreenContext context(10, 10);
    Clear(context, kWhite);
    context.SetFillColour({255, 0, 0, 51}); // alpha 0.2
    context.DrawRectangle(0, 0, 5, 10, DrawContext::kFilled);
    context.SetFillColour({0, 0, 255, 0});
    context.DrawRectangle(5, 0, 10, 10, DrawContext::kFilled);
    // Green and blue keep 1 - 0.2 of white's 255: 204; red stays 255.
    EXPECT_EQ(context.ReadPixel(2, 2), (gui::Colour{255, 204, 204, 255}));
    EXPECT_EQ(context.ReadArgb(7, 2), kArgbWhite);
}

TEST(DrawTextInRect, BaselineFollowsThePlacementRule)
{
    gui::OffscreenContext context(220, 60);
    Clear(context, kWhite);
    context.SetFont(Arial(20));
    context.DrawTextInRect("HHH", 10, 10, 200, 40, DrawContext::kAlignLeft);
    // Baseline 40 - ((40 - 10) / 2 - 20 / 2 + 1) = 34: capitals end in row 33, and with
    // Arial's cap height of 0.716 em (14.3 pixels) they start about row 19.7.
    const Ink ink = FindInk(context, kArgbWhite);
    ASSERT_TRUE(ink.any);
    EXPECT_EQ(ink.bottom, 33);
    EXPECT_GE(ink.top, 19);
    EXPECT_LE(ink.top, 20);
    // H's left side bearing is 0.08 em (1.6 pixels).
    EXPECT_GE(ink.left, 11);
    EXPECT_LE(ink.left, 12);
}

TEST(DrawTextInRect, BaselineOfASmallBox)
{
    gui::OffscreenContext context(60, 30);
    Clear(context, kWhite);
    context.SetFont(Arial(12));
    context.DrawTextInRect("HH", 0, 0, 50, 16, DrawContext::kAlignLeft);
    // 16 - (8 - 6 + 1) = 13.
    EXPECT_EQ(FindInk(context, kArgbWhite).bottom, 12);
}

TEST(DrawTextInRect, DrawsInTheFontColour)
{
    gui::OffscreenContext context(60, 30);
    Clear(context, kWhite);
    context.SetFont(Arial(20));
    context.SetFontColour(kRed);
    context.DrawTextInRect("H", 0, 0, 50, 30, DrawContext::kAlignLeft);
    // The middle of H's crossbar is fully covered.
    const Ink ink = FindInk(context, kArgbWhite);
    bool sawRed = false;
    for (int x = ink.left; x <= ink.right; ++x) {
        for (int y = ink.top; y <= ink.bottom; ++y)
            sawRed |= context.ReadArgb(x, y) == kArgbRed;
    }
    EXPECT_TRUE(sawRed);
}

TEST(DrawTextInRect, IsClippedToTheBox)
{
    gui::OffscreenContext context(80, 60);
    Clear(context, kWhite);
    context.SetFont(Arial(20));
    // Baseline 40 - (5 - 10 + 1) = 44, so the glyphs reach above the box and past its right end.
    context.DrawTextInRect("WWWWWWWW", 10, 30, 40, 40, DrawContext::kAlignLeft);
    const Ink ink = FindInk(context, kArgbWhite);
    ASSERT_TRUE(ink.any);
    EXPECT_GE(ink.left, 10);
    EXPECT_EQ(ink.top, 30);
    EXPECT_EQ(ink.right, 39);
    EXPECT_EQ(ink.bottom, 39);
}

TEST(DrawTextInRect, AnInvertedBoxIsEmpty)
{
    gui::OffscreenContext context(80, 40);
    Clear(context, kWhite);
    context.SetFont(Arial(20));
    context.DrawTextInRect("HHH", 10, 0, 9, 30, DrawContext::kAlignLeft);
    EXPECT_FALSE(FindInk(context, kArgbWhite).any);
}

TEST(DrawTextInRect, AlignmentPlacesTextByItsMeasuredWidth)
{
    // Courier New advances 0.6 em per character: "HHHH" at 20 pixels is 48 wide, so centred
    // in 10..110 it starts at 36 and right-aligned at 62, 26 and 52 pixels after the left start.
    const auto inkLeft = [](int align) {
        gui::OffscreenContext context(120, 30);
        Clear(context, kWhite);
        context.SetFont(std::make_shared<gui::Font>("Courier New", 20, 0));
        context.DrawTextInRect("HHHH", 10, 0, 110, 30, align);
        return FindInk(context, kArgbWhite).left;
    };
    const int left = inkLeft(DrawContext::kAlignLeft);
    EXPECT_EQ(inkLeft(DrawContext::kAlignCentre), left + 26);
    EXPECT_EQ(inkLeft(DrawContext::kAlignRight), left + 52);
}

TEST(DrawTextInRect, UnderlineLiesBelowTheBaseline)
{
    const auto bottom = [](int style) {
        gui::OffscreenContext context(100, 50);
        Clear(context, kWhite);
        context.SetFont(Arial(20, style));
        context.DrawTextInRect("HHH", 0, 10, 90, 40, DrawContext::kAlignLeft);
        return FindInk(context, kArgbWhite).bottom;
    };
    EXPECT_EQ(bottom(0), 33);
    // Arial's underline is centred 0.106 em (2.1 pixels) under the baseline at 34.
    EXPECT_GE(bottom(gui::Font::kUnderline), 35);
    EXPECT_LE(bottom(gui::Font::kUnderline), 37);
}

TEST(DrawTextInRect, NoFontDrawsNothing)
{
    for (const auto& font :
         {std::shared_ptr<const gui::Font>(), std::make_shared<const gui::Font>("No Such Family Tolvanger", 20, 0),
          std::make_shared<const gui::Font>("Arial", 0, 0)}) {
        gui::OffscreenContext context(60, 30);
        Clear(context, kWhite);
        context.SetFont(font);
        context.DrawTextInRect("HH", 0, 0, 50, 30, DrawContext::kAlignLeft);
        EXPECT_FALSE(FindInk(context, kArgbWhite).any);
        EXPECT_EQ(context.MeasureText("HH"), -1);
    }
}

TEST(DrawTextInRect, MalformedUtf8LeavesTheContextWorking)
{
    gui::OffscreenContext context(60, 30);
    Clear(context, kWhite);
    context.SetFont(Arial(20));
    context.DrawTextInRect("\xff\xfe\xc3", 0, 0, 50, 30, DrawContext::kAlignLeft);
    EXPECT_GT(context.MeasureText("\xc3("), 0);
    Clear(context, kWhite);
    context.SetFillColour(kRed);
    context.DrawRectangle(0, 0, 5, 5, DrawContext::kFilled);
    EXPECT_EQ(context.ReadArgb(2, 2), kArgbRed);
}

TEST(MeasureText, FollowsTheFontsAdvanceWidths)
{
    gui::OffscreenContext context(10, 10);
    EXPECT_EQ(context.MeasureText("abc"), -1); // no font in a new context
    context.SetFont(std::make_shared<gui::Font>("Courier New", 20, 0));
    EXPECT_DOUBLE_EQ(context.MeasureText("abcd"), 48.0);
    EXPECT_DOUBLE_EQ(context.MeasureText(""), 0.0);
    // Arial: H 0.722, e 0.556, l 0.222, o 0.556 em; 2.278 em at 20 pixels is 45.56, each
    // advance hinted to whole pixels.
    context.SetFont(Arial(20));
    EXPECT_NEAR(context.MeasureText("Hello"), 45.56, 2.0);
    // Bold: H 0.722, e 0.556, l 0.278, o 0.611 em: 2.445 em, 48.9 pixels.
    context.SetFont(Arial(20, gui::Font::kBold));
    EXPECT_NEAR(context.MeasureText("Hello"), 48.9, 2.0);
}

TEST(OffscreenContext, StartsOpaqueBlack)
{
    gui::OffscreenContext context(3, 2);
    EXPECT_EQ(context.Width(), 3);
    EXPECT_EQ(context.Height(), 2);
    EXPECT_EQ(context.ReadArgb(2, 1), kArgbBlack);
}

TEST(OffscreenContext, SizesWithoutAreaAreHarmless)
{
    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{-5, 10}, std::pair{1 << 20, 1 << 20}}) {
        gui::OffscreenContext context(w, h);
        context.SetFont(Arial(12));
        context.DrawRectangle(0, 0, 10, 10, DrawContext::kFilledAndOutline);
        context.DrawTextInRect("abc", 0, 0, 10, 10, DrawContext::kAlignLeft);
        EXPECT_EQ(context.ReadArgb(0, 0), 0u);
    }
}

TEST(OffscreenContext, SavesAPng)
{
    gui::OffscreenContext context(8, 4);
    Clear(context, kBlue);
    const std::string path = testing::TempDir() + "gui_offscreen_save.png";
    ASSERT_TRUE(context.SavePng(path));
    EXPECT_FALSE(context.SavePng("/nonexistent-dir/x.png"));
    EXPECT_EQ(context.ReadArgb(-1, 0), 0u);
    EXPECT_EQ(context.ReadArgb(8, 0), 0u);
    std::remove(path.c_str());
}

} // namespace
