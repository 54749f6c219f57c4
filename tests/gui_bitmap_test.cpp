#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "gui/bitmap.h"
#include "gui/offscreen_context.h"

namespace {

using gui::DrawContext;

constexpr std::uint32_t kArgbWhite = 0xFFFFFFFF;

// The colour of pixel (x, y) of the test image: opaque and distinct everywhere except (3, 2),
// which is red at alpha 128.
std::uint32_t SourceArgb(int x, int y)
{
    if (x == 3 && y == 2) return 0x80FF0000;
    return 0xFF000000u | static_cast<std::uint32_t>(x * 60) << 16 | static_cast<std::uint32_t>(y * 80) << 8 | 200u;
}

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::vector<std::uint8_t>*>(closure)->insert(static_cast<std::vector<std::uint8_t>*>(closure)->end(),
                                                             data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// A 4 by 3 PNG of SourceArgb, written by cairo.
std::vector<std::uint8_t> MakePng(bool withAlpha)
{
    cairo_surface_t* surface = cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, 4, 3);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::uint32_t argb = SourceArgb(x, y);
            if (!withAlpha) argb |= 0xFF000000;
            const std::uint32_t a = argb >> 24;
            const auto pre = [&](int shift) { return ((argb >> shift & 0xFF) * a + 127) / 255 << shift; };
            const std::uint32_t premultiplied = a << 24 | pre(16) | pre(8) | pre(0);
            std::memcpy(data + y * stride + 4 * x, &premultiplied, 4);
        }
    }
    cairo_surface_mark_dirty(surface);
    std::vector<std::uint8_t> png;
    cairo_surface_write_to_png_stream(surface, &Append, &png);
    cairo_surface_destroy(surface);
    return png;
}

void Clear(gui::OffscreenContext& context)
{
    context.SetFillColour({255, 255, 255, 255});
    context.DrawRectangle(0, 0, context.Width(), context.Height(), DrawContext::kFilled);
}

TEST(Bitmap, DecodesPngBytes)
{
    const auto bitmap = gui::Bitmap::FromPng(MakePng(true));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 4);
    EXPECT_EQ(bitmap->Height(), 3);
    EXPECT_TRUE(bitmap->HasAlpha());

    const auto opaque = gui::Bitmap::FromPng(MakePng(false));
    ASSERT_NE(opaque, nullptr);
    EXPECT_FALSE(opaque->HasAlpha());
}

TEST(Bitmap, AFailedDecodeGivesNoBitmap)
{
    const std::vector<std::uint8_t> png = MakePng(true);
    EXPECT_EQ(gui::Bitmap::FromPng({}), nullptr);
    EXPECT_EQ(gui::Bitmap::FromPng(std::vector<std::uint8_t>(100, 0x42)), nullptr);
    EXPECT_EQ(gui::Bitmap::FromPng(std::span(png).first(png.size() / 2)), nullptr);
    EXPECT_EQ(gui::Bitmap::FromPngFile("/nonexistent/tolvanger.png"), nullptr);
    EXPECT_EQ(gui::Bitmap::FromPngFile(testing::TempDir()), nullptr);
}

TEST(Bitmap, DecodesAPngFile)
{
    const std::vector<std::uint8_t> png = MakePng(true);
    const std::string path = testing::TempDir() + "gui_bitmap_file.png";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    const auto bitmap = gui::Bitmap::FromPngFile(path);
    std::remove(path.c_str());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 4);
    EXPECT_EQ(bitmap->Height(), 3);
}

TEST(DrawBitmap, CopiesOneToOne)
{
    const auto bitmap = gui::Bitmap::FromPng(MakePng(false));
    ASSERT_NE(bitmap, nullptr);
    gui::OffscreenContext context(20, 20);
    Clear(context);
    // Coordinates are truncated: this is the box (5, 7)-(9, 10).
    ASSERT_TRUE(context.DrawBitmap(bitmap.get(), 5.9, 7.9, 9.9, 10.9, 0, 0));
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 5 && x < 9 && y >= 7 && y < 10;
            const std::uint32_t expected = inside ? SourceArgb(x - 5, y - 7) | 0xFF000000 : kArgbWhite;
            ASSERT_EQ(context.ReadArgb(x, y), expected) << x << "," << y;
        }
    }
}

TEST(DrawBitmap, NeverScales)
{
    const auto bitmap = gui::Bitmap::FromPng(MakePng(false));
    gui::OffscreenContext context(20, 20);
    Clear(context);
    ASSERT_TRUE(context.DrawBitmap(bitmap.get(), 0, 0, 10, 10, 0, 0));
    EXPECT_EQ(context.ReadArgb(3, 2), SourceArgb(3, 2) | 0xFF000000);
    EXPECT_EQ(context.ReadArgb(4, 0), kArgbWhite);
    EXPECT_EQ(context.ReadArgb(0, 3), kArgbWhite);
}

TEST(DrawBitmap, StartsAtTheSourceOffset)
{
    const auto bitmap = gui::Bitmap::FromPng(MakePng(false));
    gui::OffscreenContext context(30, 30);
    Clear(context);
    ASSERT_TRUE(context.DrawBitmap(bitmap.get(), 20, 20, 22, 22, 1, 1));
    EXPECT_EQ(context.ReadArgb(20, 20), SourceArgb(1, 1));
    EXPECT_EQ(context.ReadArgb(21, 20), SourceArgb(2, 1));
    EXPECT_EQ(context.ReadArgb(21, 21), SourceArgb(2, 2));
    EXPECT_EQ(context.ReadArgb(22, 20), kArgbWhite);
    EXPECT_EQ(context.ReadArgb(20, 22), kArgbWhite);
}

TEST(DrawBitmap, CompositesByAlpha)
{
    const auto bitmap = gui::Bitmap::FromPng(MakePng(true));
    gui::OffscreenContext context(10, 10);
    Clear(context);
    ASSERT_TRUE(context.DrawBitmap(bitmap.get(), 0, 0, 4, 3, 0, 0));
    EXPECT_EQ(context.ReadArgb(0, 0), SourceArgb(0, 0));
    // Red at alpha 128 over white: green and blue keep (255 - 128) / 255 of 255, 127.
    const gui::Colour blended = context.ReadPixel(3, 2);
    EXPECT_EQ(blended.r, 255);
    EXPECT_NEAR(blended.g, 127, 1);
    EXPECT_NEAR(blended.b, 127, 1);
}

TEST(DrawBitmap, AnEmptyBitmapIsNotDrawn)
{
    gui::OffscreenContext context(10, 10);
    EXPECT_FALSE(context.DrawBitmap(nullptr, 0, 0, 4, 4, 0, 0));
}

TEST(DrawBitmap, ABoxWithoutAreaDrawsNothing)
{
    const auto bitmap = gui::Bitmap::FromPng(MakePng(false));
    gui::OffscreenContext context(10, 10);
    Clear(context);
    EXPECT_TRUE(context.DrawBitmap(bitmap.get(), 4, 4, 4, 8, 0, 0));
    EXPECT_TRUE(context.DrawBitmap(bitmap.get(), 8, 8, 4, 4, 0, 0));
    EXPECT_TRUE(context.DrawBitmap(bitmap.get(), 0, 0, 1e300, 4, std::nan(""), 0));
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(context.ReadArgb(x, y), kArgbWhite);
    }
}

TEST(DrawBitmap, ReadsBackWhatTheContextSaved)
{
    gui::OffscreenContext original(6, 5);
    Clear(original);
    original.SetFillColour({10, 20, 30, 255});
    original.DrawRectangle(1, 1, 4, 3, DrawContext::kFilled);
    const std::string path = testing::TempDir() + "gui_bitmap_roundtrip.png";
    ASSERT_TRUE(original.SavePng(path));
    const auto bitmap = gui::Bitmap::FromPngFile(path);
    std::remove(path.c_str());
    ASSERT_NE(bitmap, nullptr);
    gui::OffscreenContext copy(6, 5);
    ASSERT_TRUE(copy.DrawBitmap(bitmap.get(), 0, 0, 6, 5, 0, 0));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(copy.ReadArgb(x, y), original.ReadArgb(x, y));
    }
}

} // namespace
