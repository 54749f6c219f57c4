#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "effect/editor_layout.h"
#include "resources/embedded.h"
#include "resources/picture_scales.h"
#include "tests/scaled_picture_checks.h"
#include "tools/skin/caption_text.h"
#include "tools/skin/skin_layout.h"

namespace {

struct PngHeader {
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
};

uint32_t BigEndian32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The IHDR chunk always comes first, right after the 8-byte signature.
PngHeader ReadPngHeader(const EmbeddedResource& r)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PngHeader h;
    if (r.size < 33 || std::memcmp(r.data, signature, 8) != 0 || std::memcmp(r.data + 12, "IHDR", 4) != 0) return h;
    h.width = BigEndian32(r.data + 16);
    h.height = BigEndian32(r.data + 20);
    h.bitDepth = r.data[24];
    h.colourType = r.data[25];
    return h;
}

struct ByteReader {
    const unsigned char* data;
    std::size_t size, position;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->size - reader->position < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

// A decoded picture; owns its cairo surface.
class Picture {
public:
    explicit Picture(int resourceNumber)
    {
        const EmbeddedResource* r = FindEmbeddedResource(resourceNumber);
        if (r == nullptr) return;
        ByteReader reader{r->data, r->size, 0};
        surface_ = cairo_image_surface_create_from_png_stream(ReadBytes, &reader);
    }
    ~Picture()
    {
        if (surface_ != nullptr) cairo_surface_destroy(surface_);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    bool Decoded() const { return surface_ != nullptr && cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(surface_); }
    int Height() const { return cairo_image_surface_get_height(surface_); }
    cairo_format_t Format() const { return cairo_image_surface_get_format(surface_); }

    // Premultiplied 0xAARRGGBB; opaque pictures read with alpha 0xff.
    uint32_t Pixel(int x, int y) const
    {
        const unsigned char* row =
            cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        uint32_t value;
        std::memcpy(&value, row + 4 * x, 4);
        return Format() == CAIRO_FORMAT_RGB24 ? (value | 0xff000000u) : value;
    }
    int Alpha(int x, int y) const { return int(Pixel(x, y) >> 24); }
    int Brightness(int x, int y) const
    {
        const uint32_t p = Pixel(x, y);
        return int((p >> 16 & 0xff) + (p >> 8 & 0xff) + (p & 0xff)) / 3;
    }

    // True when every pixel of the box has one colour: nothing is painted there.
    bool Plain(const skin::Box& b) const
    {
        const uint32_t first = Pixel(int(b.x), int(b.y));
        for (int y = int(b.y); y < int(b.Bottom()); ++y)
            for (int x = int(b.x); x < int(b.Right()); ++x)
                if (Pixel(x, y) != first) return false;
        return true;
    }

private:
    cairo_surface_t* surface_ = nullptr;
};

std::string Describe(const skin::Caption& c)
{
    std::ostringstream text;
    text << '"' << c.text << "\" at (" << c.box.x << ", " << c.box.y << ")";
    return text.str();
}

} // namespace

TEST(EmbeddedSkin, BackgroundIsAn890By550RgbPng)
{
    const EmbeddedResource* r = FindEmbeddedResource(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->number, 0);
    const PngHeader h = ReadPngHeader(*r);
    EXPECT_EQ(h.width, 890u);
    EXPECT_EQ(h.height, 550u);
    EXPECT_EQ(h.bitDepth, 8);
    EXPECT_EQ(h.colourType, 2); // three colour channels, no alpha

    const Picture background(0);
    ASSERT_TRUE(background.Decoded());
    EXPECT_EQ(background.Width(), 890);
    EXPECT_EQ(background.Height(), 550);
    EXPECT_EQ(background.Format(), CAIRO_FORMAT_RGB24);
}

TEST(EmbeddedSkin, KnobIsA32By15PngWithAlpha)
{
    const EmbeddedResource* r = FindEmbeddedResource(1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->number, 1);
    const PngHeader h = ReadPngHeader(*r);
    EXPECT_EQ(h.width, 32u);
    EXPECT_EQ(h.height, 15u);
    EXPECT_EQ(h.bitDepth, 8);
    EXPECT_EQ(h.colourType, 6); // colour with alpha

    const Picture knob(1);
    ASSERT_TRUE(knob.Decoded());
    EXPECT_EQ(knob.Width(), 32);
    EXPECT_EQ(knob.Height(), 15);
    EXPECT_EQ(knob.Format(), CAIRO_FORMAT_ARGB32);
}

TEST(EmbeddedSkin, OnlyTheTwoPicturesAtTheirThreeScalesExist)
{
    EXPECT_EQ(FindEmbeddedResource(-1), nullptr);
    EXPECT_EQ(FindEmbeddedResource(2), nullptr);
    EXPECT_EQ(FindEmbeddedResource(ScaledResourceNumber(2, 2)), nullptr);
    for (const int scale : kPictureScales)
        for (const int number : {0, 1})
            EXPECT_NE(FindEmbeddedResource(ScaledResourceNumber(number, scale)), nullptr) << number << " at " << scale;
}

// Each scaled picture is the same picture drawn on a finer grid: reduced, it matches the
// picture at 1; and where that one has an edge (text, frames, ticks), the finer one has
// detail of its own instead of a magnified pixel.
TEST(ScaledSkin, MatchesThePictureAtOneAndIsSharp)
{
    for (const int number : {0, 1}) {
        const Picture small(number);
        ASSERT_TRUE(small.Decoded());
        const auto smallPixel = [&](int x, int y) {
            return small.Pixel(std::min(x, small.Width() - 1), std::min(y, small.Height() - 1)) & 0xFFFFFFu;
        };
        for (const int k : {2, 3}) {
            const Picture large(ScaledResourceNumber(number, k));
            ASSERT_TRUE(large.Decoded());
            ASSERT_EQ(large.Width(), k * small.Width());
            ASSERT_EQ(large.Height(), k * small.Height());
            EXPECT_EQ(large.Format(), small.Format());
            const auto largePixel = [&](int x, int y) {
                return large.Pixel(std::min(x, large.Width() - 1), std::min(y, large.Height() - 1)) & 0xFFFFFFu;
            };
            const testing_support::UnitBox whole{0, 0, small.Width(), small.Height()};
            EXPECT_LT(testing_support::ReducedDifference(largePixel, smallPixel, k, whole), 4.0)
                << "picture " << number << " at " << k;
            if (number == 0) {
                // The header's texts: product name, tag line and vendor.
                EXPECT_GT(testing_support::SharpShare(largePixel, smallPixel, k, {14, 4, 870, 24}), 0.5)
                    << "background at " << k;
            }
        }
    }
}

// The widget centres the pointer 13 pixels into the knob, so the handle fills the first 26
// columns and its mark sits on columns 12 and 13; the rest of the picture lets the track
// show through.
TEST(KnobPicture, HandleIsOpaqueAndMarkedInTheMiddle)
{
    const Picture knob(1);
    ASSERT_TRUE(knob.Decoded());
    EXPECT_EQ(knob.Alpha(2, 6), 255);
    EXPECT_EQ(knob.Alpha(23, 6), 255);
    EXPECT_EQ(knob.Alpha(31, 0), 0);
    EXPECT_EQ(knob.Alpha(0, 14), 0);
    EXPECT_EQ(knob.Alpha(30, 7), 0);
    EXPECT_LT(knob.Brightness(12, 6), knob.Brightness(10, 6) - 60);
    EXPECT_LT(knob.Brightness(13, 6), knob.Brightness(15, 6) - 60);
}

TEST(BackgroundPicture, LeavesTheValueTextColumnsPlain)
{
    const Picture background(0);
    ASSERT_TRUE(background.Decoded());
    for (const ControlPlace& c : kControls) {
        if (c.kind != ControlKind::Slider) continue;
        EXPECT_EQ(c.x + c.width + kValueTextGap, 415);
        EXPECT_TRUE(background.Plain({415, c.y, 60, 16})) << "slider " << c.slider;
    }
}

TEST(BackgroundPicture, ShowsATrackUnderEveryKnobPath)
{
    const Picture background(0);
    ASSERT_TRUE(background.Decoded());
    for (const ControlPlace& c : kControls) {
        if (c.kind != ControlKind::Slider) continue;
        const int row = int(c.y) + 7;
        const int ground = background.Brightness(420, row);
        for (int x = 110; x < 410; x += 17)
            EXPECT_LT(background.Brightness(x, row), ground - 10) << "slider " << c.slider << " x " << x;
        EXPECT_LT(background.Brightness(409, row), ground - 10) << "slider " << c.slider;
    }
}

TEST(BackgroundPicture, SwitchBoxesAreFramedAndEmptyInside)
{
    const Picture background(0);
    ASSERT_TRUE(background.Decoded());
    for (const ControlPlace& c : kControls) {
        if (c.kind == ControlKind::Slider) continue;
        const int x = int(c.x), y = int(c.y), s = int(c.width);
        // The lit square covers (x + 2, y + 2) to (x + s - 2, y + s - 2).
        EXPECT_TRUE(background.Plain({c.x + 1, c.y + 1, c.width - 2, c.width - 2})) << "switch " << c.slider;
        const int inside = background.Brightness(x + s / 2, y + s / 2);
        EXPECT_GT(background.Brightness(x, y + s / 2), inside + 40) << "switch " << c.slider;
        EXPECT_GT(background.Brightness(x + s - 1, y + s / 2), inside + 40) << "switch " << c.slider;
        EXPECT_GT(background.Brightness(x + s / 2, y), inside + 40) << "switch " << c.slider;
        EXPECT_GT(background.Brightness(x + s / 2, y + s - 1), inside + 40) << "switch " << c.slider;
    }
}

TEST(BackgroundPicture, MeterWellsAreEmptyFromRow134To433)
{
    const Picture background(0);
    ASSERT_TRUE(background.Decoded());
    const double wells[12] = {533, 548, 563, 613, 628, 643, 693, 708, 723, 773, 788, 803};
    for (double x : wells) {
        EXPECT_TRUE(background.Plain({x, 134, 10, 300})) << "well at " << x;
        EXPECT_NE(background.Pixel(int(x), 133), background.Pixel(int(x), 134)) << "well at " << x;
        EXPECT_NE(background.Pixel(int(x), 434), background.Pixel(int(x), 433)) << "well at " << x;
    }
}

// 134 + 300 - min(300 * 10^(-1.25 R / 20), 299) - 1, rounded down like the meter's own
// peak line: the rows for 0, 1, 3, 6, 10, 15 and 20 dB.
TEST(BackgroundPicture, ScaleMarksSitOnThePeakLineRows)
{
    const Picture background(0);
    ASSERT_TRUE(background.Decoded());
    const int rows[] = {134, 173, 238, 306, 361, 398, 416};
    const int tickLeft = 530;  // between the scale labels and the first well's rim
    const int tickRight = 815; // right of the last well's rim
    const int ground = background.Brightness(tickLeft, 150);
    for (int row : rows) {
        EXPECT_GT(background.Brightness(tickLeft, row), ground + 40) << "row " << row;
        EXPECT_GT(background.Brightness(tickRight, row), ground + 40) << "row " << row;
        EXPECT_EQ(background.Brightness(tickLeft, row - 2), ground) << "row " << row;
        EXPECT_EQ(background.Brightness(tickLeft, row + 2), ground) << "row " << row;
    }
}

TEST(BackgroundPicture, LeavesRoomForTheMeterLettersAndTheBuildLabel)
{
    const Picture background(0);
    ASSERT_TRUE(background.Decoded());
    for (int meter = 0; meter < kMeterCount; ++meter)
        EXPECT_TRUE(background.Plain({kMeterLetterX[meter], 118, 11, 15})) << "letter " << meter;
    EXPECT_TRUE(background.Plain({15, 525, 80, 14}));
    EXPECT_LT(background.Brightness(15, 525), 40);
}

TEST(SkinCaptions, StayOffEverythingTheEditorDraws)
{
    std::vector<skin::Box> places;
    for (const ControlPlace& c : kControls) {
        if (c.kind == ControlKind::Slider) {
            places.push_back(skin::KnobPath(c));
            places.push_back(skin::ValueTextColumn(c));
            places.push_back({c.x, c.y, c.width, c.height}); // the track
        } else {
            places.push_back(skin::SwitchBox(c));
        }
    }
    for (int meter = 0; meter < kMeterCount; ++meter) {
        places.push_back(skin::MeterWell(meter));
        places.push_back(skin::MeterLetter(meter));
    }
    places.push_back(skin::BuildLabel());

    for (const skin::Caption& caption : skin::Captions())
        for (const skin::Box& place : places)
            EXPECT_FALSE(skin::Overlaps(caption.box, place))
                << Describe(caption) << " overlaps (" << place.x << ", " << place.y << ", " << place.width << ", "
                << place.height << ")";
}

TEST(SkinCaptions, DoNotOverlapEachOther)
{
    const std::vector<skin::Caption> captions = skin::Captions();
    for (std::size_t i = 0; i < captions.size(); ++i)
        for (std::size_t j = i + 1; j < captions.size(); ++j)
            EXPECT_FALSE(skin::Overlaps(captions[i].box, captions[j].box))
                << Describe(captions[i]) << " and " << Describe(captions[j]);
}

TEST(SkinCaptions, TextFitsItsBox)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
    cairo_t* cr = cairo_create(surface);
    const skin::Box editor{0, 0, kEditorWidth, kEditorHeight};
    for (const skin::Caption& caption : skin::Captions()) {
        const skin::Box ink = skin::Place(cr, caption).ink;
        EXPECT_GT(ink.width, 0) << Describe(caption);
        EXPECT_TRUE(skin::Contains(caption.box, ink)) << Describe(caption);
        EXPECT_TRUE(skin::Contains(editor, caption.box)) << Describe(caption);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

// Each control's caption ends just left of it, on its row, and names it.
TEST(SkinCaptions, EveryControlHasItsCaptionBesideIt)
{
    const std::vector<skin::Caption> captions = skin::Captions();
    for (const ControlPlace& c : kControls) {
        int found = 0;
        for (const skin::Caption& caption : captions) {
            const bool leftOfIt = caption.box.Right() <= c.x && caption.box.Right() >= c.x - 8;
            const double rowMiddle = c.y + c.height / 2;
            const bool onItsRow = caption.box.y < rowMiddle && rowMiddle < caption.box.Bottom();
            if (leftOfIt && onItsRow) {
                ++found;
                EXPECT_STREQ(caption.text, c.caption) << "slider " << c.slider;
            }
        }
        EXPECT_EQ(found, 1) << "slider " << c.slider;
    }
}

TEST(SkinCaptions, NameTheBandsOverTheirMeters)
{
    const char* names[] = {"LO", "LM", "HM", "HI"};
    const std::vector<skin::Caption> captions = skin::Captions();
    for (int band = 0; band < 4; ++band) {
        const double left = kMeterX[3 * band], right = kMeterX[3 * band + 2] + kMeterWidth;
        int found = 0;
        for (const skin::Caption& caption : captions)
            if (std::string(caption.text) == names[band] && caption.box.Bottom() <= kMeterLetterY &&
                caption.box.x < right && left < caption.box.Right())
                ++found;
        EXPECT_EQ(found, 1) << names[band];
    }
}
