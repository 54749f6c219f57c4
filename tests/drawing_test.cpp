// The runtime's drawing operations on an off-screen context, checked by reading pixels.

#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gui/font.h"
#include "gui/offscreen_context.h"
#include "runtime/drawing_services.h"
#include "tests/counting_effect.h"
#include "tests/test_paths.h"

using testing_support::CountingInstance;
using testing_support::ScratchFolder;

namespace {

const std::string& kLogFile = testing_support::kTestLogFile;

constexpr DrawColour kWhite{1, 1, 1, 1};

// An instance with an off-screen context published as if its editor were painting.
struct Painting {
    Painting() : context(200, 120) { p.host->drawContext = &context; }
    ~Painting() { p.host->drawContext = nullptr; }
    CountingInstance p;
    gui::OffscreenContext context;
    testing_support::CountingEffect& e() { return *p.effect; }
    bool Lit(int x, int y) const { return (context.ReadArgb(x, y) & 0x00FFFFFF) != 0; }
};

TEST(Drawing, ColourComponentsBecomeSaturatedBytes)
{
    EXPECT_EQ(ColourByte(1.0), 255);
    EXPECT_EQ(ColourByte(0.8), 204);
    EXPECT_EQ(ColourByte(0.5), 127);
    EXPECT_EQ(ColourByte(0.2), 51);
    EXPECT_EQ(ColourByte(1.5), 255);
    EXPECT_EQ(ColourByte(-0.1), 0);
    EXPECT_EQ(ColourByte(std::nan("")), 0);
}

TEST(Drawing, FillRectFloorsItsCornersAndMovesThePosition)
{
    Painting d;
    d.e().FillRect(15.7, 20.2, 10, 4, kWhite);
    EXPECT_DOUBLE_EQ(d.e().drawX, 25.7);
    EXPECT_DOUBLE_EQ(d.e().drawY, 24.2);
    for (int y = 18; y < 27; ++y)
        for (int x = 13; x < 28; ++x)
            EXPECT_EQ(d.Lit(x, y), x >= 15 && x <= 24 && y >= 20 && y <= 23) << x << "," << y;
}

TEST(Drawing, FillRectUsesTheDrawingColourWithItsAlpha)
{
    Painting d;
    d.e().FillRect(0, 0, 4, 4, DrawColour{1, 0, 0, 1});
    EXPECT_EQ(d.context.ReadArgb(1, 1), 0xFFFF0000u);
    d.e().FillRect(10, 0, 4, 4, DrawColour{1, 1, 1, 0.2});
    // white at 51/255 over black
    EXPECT_EQ(d.context.ReadArgb(11, 1), 0xFF333333u);
}

TEST(Drawing, SetFontScalesTheHeightAndSelectsTheTruncatedSize)
{
    Painting d;
    d.e().SetString(10014, "Arial");
    d.e().SetFont(1, 10014, 13, 1);
    EXPECT_EQ(d.e().textHeight, 12.999999999999998);
    EXPECT_EQ(d.e().fontTable[1].size, 11.049999999999999);
    EXPECT_EQ(d.e().fontTable[1].name, "Arial");
    ASSERT_TRUE(d.context.CurrentFont());
    EXPECT_EQ(d.context.CurrentFont()->PixelSize(), 11);
    EXPECT_EQ(d.context.CurrentFont()->Style(), 1);
    d.e().SetFont(1, 10014, 12, 0);
    EXPECT_EQ(d.e().textHeight, 12.0);
    EXPECT_EQ(d.context.CurrentFont()->PixelSize(), 10);
    // the cache holds one description per family, whatever sizes were asked for
    EXPECT_EQ(d.p.host->fontCache.size(), 1u);
}

TEST(Drawing, MultiLineTextStartsEveryLineAtTheSameX)
{
    Painting d;
    d.e().SetString(10014, "Arial");
    d.e().SetFont(0, 10014, 13, 0);
    d.e().SetString(5, "ab\ncd");
    d.e().drawX = 10;
    d.e().drawY = 20;
    d.e().DrawText(5, kWhite);
    const double h = d.e().textHeight;
    EXPECT_DOUBLE_EQ(d.e().drawY, 20 + h);
    const double cd = MeasureText(d.p.host, "cd");
    EXPECT_GT(cd, 5.0);
    EXPECT_DOUBLE_EQ(d.e().drawX, 10 + cd);
    // ink of the first line lies in its box y 20..35, the second's in 33..48; both from x 10
    auto inkRows = [&](int y0, int y1, int& minX) {
        bool any = false;
        minX = 1000;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < 200; ++x)
                if (d.Lit(x, y)) {
                    any = true;
                    minX = std::min(minX, x);
                }
        return any;
    };
    int firstX = 0, secondX = 0, outsideX = 0;
    EXPECT_TRUE(inkRows(20, 33, firstX));
    EXPECT_TRUE(inkRows(36, 48, secondX));
    EXPECT_FALSE(inkRows(0, 20, outsideX));
    EXPECT_FALSE(inkRows(49, 120, outsideX));
    EXPECT_GE(firstX, 10);
    EXPECT_LE(firstX, 12);
    EXPECT_GE(secondX, 10);
    EXPECT_LE(secondX, 12);
}

TEST(Drawing, TextWithoutAFontMeasuresMinusOne)
{
    Painting d;
    d.e().SetString(3, "x");
    d.e().drawX = 50;
    d.e().DrawText(3, kWhite);
    EXPECT_DOUBLE_EQ(d.e().drawX, 49.0);
}

void WritePng(const std::filesystem::path& path, int w, int h)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

int LogLines()
{
    std::ifstream in(kLogFile);
    return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

TEST(Drawing, ImagesLoadOnceFromTheirFileAndDrawAtTheirOwnSize)
{
    std::filesystem::remove(kLogFile);
    ScratchFolder scratch("images");
    WritePng(scratch.path() / "blue.png", 30, 20);
    Painting d;
    d.e().fileNameTable[7] = scratch.name() + "\\blue.png";
    d.e().fileNameTable[8] = scratch.name() + "\\missing.png";
    d.e().drawX = 5;
    d.e().drawY = 6;
    d.e().DrawImage(7);
    EXPECT_EQ(d.context.ReadArgb(5, 6), 0xFF0000FFu);
    EXPECT_EQ(d.context.ReadArgb(34, 25), 0xFF0000FFu);
    EXPECT_EQ(d.context.ReadArgb(35, 25), 0xFF000000u);
    EXPECT_EQ(d.context.ReadArgb(34, 26), 0xFF000000u);
    EXPECT_EQ(d.e().drawX, 5.0); // not moved
    EXPECT_EQ(d.e().imageTable[7].width, 30.0);

    // a missing image draws nothing, is logged once and never retried
    d.e().drawX = 100;
    d.e().DrawImage(8);
    d.e().DrawImage(8);
    EXPECT_EQ(LogLines(), 1);
    EXPECT_EQ(d.e().imageTable[8].width, 0.0);
    for (int x = 95; x < 110; ++x)
        EXPECT_EQ(d.context.ReadArgb(x, 8), 0xFF000000u);
    // no file name: an empty record and no log line
    d.e().DrawImage(3);
    EXPECT_EQ(LogLines(), 1);
    EXPECT_EQ(d.e().imageTable.count(3), 1u);
    std::filesystem::remove(kLogFile);
}

TEST(Drawing, EveryServiceAnswersZeroWithoutAContext)
{
    CountingInstance p;
    CVeST* host = p.host;
    EXPECT_EQ(SetAntialias(host, 3), 0);
    EXPECT_EQ(SetFontColour(host, 1, 2, 3, 4), 0);
    EXPECT_EQ(SetFillColour(host, 1, 2, 3, 4), 0);
    EXPECT_EQ(SetFrameColour(host, 1, 2, 3, 4), 0);
    EXPECT_EQ(MeasureText(host, "abc"), 0.0);
    EXPECT_EQ(DrawRectangle(host, 0, 0, 5, 5, 1), 0);
    EXPECT_EQ(DrawTextInRect(host, "a", 0, 0, 5, 5, 0, 0), 0);
    EXPECT_EQ(SelectFont(host, "Arial", 11, 0), 0);
    EXPECT_EQ(DrawBitmap(host, nullptr, 0, 0, 5, 5, 0, 0), 0);
    EXPECT_TRUE(host->fontCache.empty());
    int32_t w = 0, h = 0;
    EXPECT_EQ(EditorSize(host, &w, &h), 1); // works without a context
    EXPECT_EQ(w, 890);
    EXPECT_EQ(h, 550);
    EXPECT_EQ(Redraw(host), 0); // no view while the editor is closed
    for (CVeST* none : {static_cast<CVeST*>(nullptr)}) {
        EXPECT_EQ(EditorSize(none, &w, &h), 0);
        EXPECT_EQ(CreateBitmapHolder(none), nullptr);
        EXPECT_EQ(Redraw(none), 0);
    }
    // the runtime's operations run safely with nothing published
    p.effect->FillRect(1, 2, 3, 4, kWhite);
    p.effect->DrawText(10, kWhite);
    p.effect->DrawImage(0);
}

} // namespace
