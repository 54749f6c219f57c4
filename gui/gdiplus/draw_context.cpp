#include "gui/draw_context.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "gui/coordinates.h"
#include "gui/gdiplus/native.h"
#include "gui/gdiplus/wide.h"

namespace gui {

namespace {

using coordinates::Finite;
using coordinates::Limit;

Gdiplus::ARGB Argb(Colour c)
{
    return static_cast<Gdiplus::ARGB>(c.a) << 24 | static_cast<Gdiplus::ARGB>(c.r) << 16 |
           static_cast<Gdiplus::ARGB>(c.g) << 8 | c.b;
}

Gdiplus::REAL Real(double v) { return static_cast<Gdiplus::REAL>(v); }

// A brush or pen of one colour for the length of one drawing call.
class SolidBrush {
public:
    explicit SolidBrush(Colour colour)
    {
        if (gdiplus::GdipCreateSolidFill(Argb(colour), &brush_) != Gdiplus::Ok) brush_ = nullptr;
    }
    ~SolidBrush()
    {
        if (brush_ != nullptr) gdiplus::GdipDeleteBrush(brush_);
    }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    Gdiplus::GpBrush* get() const { return brush_; }

private:
    Gdiplus::GpSolidFill* brush_ = nullptr;
};

class OnePixelPen {
public:
    explicit OnePixelPen(Colour colour)
    {
        if (gdiplus::GdipCreatePen1(Argb(colour), 1, Gdiplus::UnitPixel, &pen_) != Gdiplus::Ok) pen_ = nullptr;
    }
    ~OnePixelPen()
    {
        if (pen_ != nullptr) gdiplus::GdipDeletePen(pen_);
    }
    OnePixelPen(const OnePixelPen&) = delete;
    OnePixelPen& operator=(const OnePixelPen&) = delete;
    Gdiplus::GpPen* get() const { return pen_; }

private:
    Gdiplus::GpPen* pen_ = nullptr;
};

// The clip of a graphics object, put back when this ends.
class SavedClip {
public:
    explicit SavedClip(Gdiplus::GpGraphics* graphics) : graphics_(graphics)
    {
        if (gdiplus::GdipCreateRegion(&region_) != Gdiplus::Ok ||
            gdiplus::GdipGetClip(graphics_, region_) != Gdiplus::Ok) {
            if (region_ != nullptr) gdiplus::GdipDeleteRegion(region_);
            region_ = nullptr;
        }
    }
    ~SavedClip()
    {
        if (region_ == nullptr) return;
        gdiplus::GdipSetClipRegion(graphics_, region_, Gdiplus::CombineModeReplace);
        gdiplus::GdipDeleteRegion(region_);
    }
    SavedClip(const SavedClip&) = delete;
    SavedClip& operator=(const SavedClip&) = delete;
    bool Saved() const { return region_ != nullptr; }

private:
    Gdiplus::GpGraphics* graphics_;
    Gdiplus::GpRegion* region_ = nullptr;
};

} // namespace

DrawContext::Native::Native(HDC dc, int w, int h, double s) : width(std::max(w, 0)), height(std::max(h, 0)), scale(s)
{
    if (session.Started() && gdiplus::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) graphics = nullptr;
}

DrawContext::Native::Native(int w, int h, double s) : width(std::max(w, 0)), height(std::max(h, 0)), scale(s)
{
    if (!session.Started() || width == 0 || height == 0) return;
    // A new 32-bit RGB image is all zeros: opaque black.
    if (gdiplus::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppRGB, nullptr, &image) != Gdiplus::Ok) {
        image = nullptr;
        return;
    }
    if (gdiplus::GdipGetImageGraphicsContext(image, &graphics) != Gdiplus::Ok) graphics = nullptr;
}

DrawContext::Native::~Native()
{
    if (graphics != nullptr) gdiplus::GdipDeleteGraphics(graphics);
    if (image != nullptr) gdiplus::GdipDisposeImage(image);
}

DrawContext::DrawContext(std::unique_ptr<Native> native) : native_(std::move(native)) { ResetState(); }

DrawContext::~DrawContext() = default;

void DrawContext::ResetState()
{
    if (Gdiplus::GpGraphics* g = native_->graphics) {
        gdiplus::GdipResetClip(g);
        gdiplus::GdipResetWorldTransform(g);
        gdiplus::GdipSetPageUnit(g, Gdiplus::UnitPixel);
        // Scaled, the pixel grid is cairo's (pixel i covers i to i + 1), so that unit edges
        // scale onto pixel edges.
        const double scale = native_->scale;
        if (scale != 1.0) gdiplus::GdipScaleWorldTransform(g, Real(scale), Real(scale), Gdiplus::MatrixOrderPrepend);
        gdiplus::GdipSetPixelOffsetMode(g, scale != 1.0 ? Gdiplus::PixelOffsetModeHalf : Gdiplus::PixelOffsetModeNone);
        gdiplus::GdipSetInterpolationMode(g, Gdiplus::InterpolationModeLowQuality);
        gdiplus::GdipSetCompositingMode(g, Gdiplus::CompositingModeSourceOver);
        gdiplus::GdipSetTextRenderingHint(g, gdiplus::kTextRenderingHint);
    }
    SetAntialias(false);
    fontColour_ = fillColour_ = frameColour_ = kOpaqueBlack;
    font_.reset();
}

void DrawContext::SetAntialias(bool on)
{
    if (native_->graphics == nullptr) return;
    gdiplus::GdipSetSmoothingMode(native_->graphics, on ? Gdiplus::SmoothingModeAntiAlias : Gdiplus::SmoothingModeNone);
}

double DrawContext::MeasureText(std::string_view utf8) const
{
    if (!font_ || !font_->IsUsable()) return -1;
    return gdiplus::MeasureString(native_->graphics, font_->GetNative().font, utf8);
}

void DrawContext::DrawRectangle(double x1, double y1, double x2, double y2, int style)
{
    Gdiplus::GpGraphics* g = native_->graphics;
    if (g == nullptr) return;
    if (style != kOutline && style != kFilled && style != kFilledAndOutline) return;
    if (!Finite({x1, y1, x2, y2})) return;
    const auto [left, top, width, height] = coordinates::SortedBox(x1, y1, x2, y2);
    if (style != kOutline) {
        const SolidBrush brush(fillColour_);
        if (brush.get() != nullptr)
            gdiplus::GdipFillRectangle(g, brush.get(), Real(left), Real(top), Real(width), Real(height));
    }
    if (style != kFilled && width >= 1 && height >= 1 && native_->scale != 1.0) {
        // Scaled: four bands, a whole number of pixels wide, on the outermost pixels of the fill.
        const double pen = std::max(1.0, std::round(native_->scale)) / native_->scale;
        const SolidBrush brush(frameColour_);
        if (brush.get() != nullptr) {
            gdiplus::GdipFillRectangle(g, brush.get(), Real(left), Real(top), Real(width), Real(pen));
            gdiplus::GdipFillRectangle(g, brush.get(), Real(left), Real(top + height - pen), Real(width), Real(pen));
            gdiplus::GdipFillRectangle(g, brush.get(), Real(left), Real(top), Real(pen), Real(height));
            gdiplus::GdipFillRectangle(g, brush.get(), Real(left + width - pen), Real(top), Real(pen), Real(height));
        }
    } else if (style != kFilled && width >= 1 && height >= 1) {
        // The 1-pixel pen runs along the outermost pixels of the fill: one pixel smaller.
        const OnePixelPen pen(frameColour_);
        if (pen.get() != nullptr)
            gdiplus::GdipDrawRectangle(g, pen.get(), Real(left), Real(top), Real(width - 1), Real(height - 1));
    }
}

void DrawContext::DrawTextInRect(std::string_view utf8, double x1, double y1, double x2, double y2, int align)
{
    Gdiplus::GpGraphics* g = native_->graphics;
    if (g == nullptr || !font_ || !font_->IsUsable() || !Finite({x1, y1, x2, y2}) || x2 < x1 || y2 < y1) return;
    x1 = Limit(x1), y1 = Limit(y1), x2 = Limit(x2), y2 = Limit(y2);
    Gdiplus::GpFont* font = font_->GetNative().font;
    const std::wstring text = gdiplus::WideFromUtf8(utf8);
    const double width = gdiplus::MeasureString(g, font, utf8);
    const double size = font_->PixelSize();
    double baseline = y2 - ((y2 - y1) * 0.5 - size * 0.5 + 1);
    // Glyphs are fitted to whole pixels of the surface; so is the baseline they sit on.
    if (native_->scale != 1.0) baseline = std::round(baseline * native_->scale) / native_->scale;
    double x = x1;
    if (align == kAlignCentre) x = x1 + 0.5 * (x2 - x1) - 0.5 * width;
    if (align == kAlignRight) x = x2 - width;

    // GDI+ puts the top of the text's line at the point it is given: one line height above
    // the baseline, at the surface's vertical resolution.
    Gdiplus::REAL dpi = 96;
    Gdiplus::REAL lineHeight = 0;
    gdiplus::GdipGetDpiY(g, &dpi);
    gdiplus::GdipGetFontHeightGivenDPI(font, dpi, &lineHeight);
    const SavedClip clip(g);
    if (!clip.Saved()) return;
    gdiplus::GdipSetClipRect(g, Real(x1), Real(y1), Real(x2 - x1), Real(y2 - y1), Gdiplus::CombineModeIntersect);
    const SolidBrush brush(fontColour_);
    const Gdiplus::RectF at(Real(x), Real(baseline + 1 - lineHeight), 0, 0);
    if (brush.get() != nullptr && !text.empty())
        gdiplus::GdipDrawString(g, text.c_str(), static_cast<INT>(text.size()), font, &at, nullptr, brush.get());
}

bool DrawContext::DrawBitmap(const Bitmap* bitmap, double x1, double y1, double x2, double y2, double sourceX,
                             double sourceY)
{
    if (bitmap == nullptr) return false;
    Gdiplus::GpGraphics* g = native_->graphics;
    if (g == nullptr || !Finite({x1, y1, x2, y2, sourceX, sourceY})) return true;
    const int left = static_cast<int>(Limit(x1));
    const int top = static_cast<int>(Limit(y1));
    const int width = static_cast<int>(Limit(x2)) - left;
    const int height = static_cast<int>(Limit(y2)) - top;
    if (width <= 0 || height <= 0) return true;
    // Only the part of the box that the image covers is drawn.
    const int sx = static_cast<int>(Limit(sourceX));
    const int sy = static_cast<int>(Limit(sourceY));
    const int fromX = std::max(sx, 0);
    const int fromY = std::max(sy, 0);
    const int toX = std::min(sx + width, bitmap->Width());
    const int toY = std::min(sy + height, bitmap->Height());
    if (toX <= fromX || toY <= fromY) return true;
    const double density = bitmap->Density();
    if (native_->scale != 1.0 || density != 1.0) {
        // Units on both sides; the picture's pixels are `density` per unit. A picture of the
        // surface's density is copied pixel for pixel, another one smoothed.
        gdiplus::GdipSetInterpolationMode(g, density == native_->scale ? Gdiplus::InterpolationModeNearestNeighbor
                                                                       : Gdiplus::InterpolationModeHighQualityBicubic);
        gdiplus::GdipDrawImageRectRect(g, bitmap->GetNative().bitmap, Real(left + fromX - sx), Real(top + fromY - sy),
                                       Real(toX - fromX), Real(toY - fromY), Real(fromX * density),
                                       Real(fromY * density), Real((toX - fromX) * density),
                                       Real((toY - fromY) * density), Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
        gdiplus::GdipSetInterpolationMode(g, Gdiplus::InterpolationModeLowQuality);
        return true;
    }
    gdiplus::GdipDrawImageRectRectI(g, bitmap->GetNative().bitmap, left + fromX - sx, top + fromY - sy, toX - fromX,
                                    toY - fromY, fromX, fromY, toX - fromX, toY - fromY, Gdiplus::UnitPixel, nullptr,
                                    nullptr, nullptr);
    return true;
}

double DrawContext::Scale() const { return native_->scale; }

int DrawContext::Width() const { return native_->width; }

int DrawContext::Height() const { return native_->height; }

Colour DrawContext::ReadPixel(int x, int y) const
{
    if (native_->image == nullptr || x < 0 || y < 0 || x >= native_->width || y >= native_->height)
        return Colour{0, 0, 0, 0};
    gdiplus::GdipFlush(native_->graphics, Gdiplus::FlushIntentionSync);
    Gdiplus::ARGB pixel = 0;
    if (gdiplus::GdipBitmapGetPixel(native_->image, x, y, &pixel) != Gdiplus::Ok) return Colour{0, 0, 0, 0};
    const auto channel = [&](int shift) { return static_cast<std::uint8_t>((pixel >> shift) & 0xFF); };
    if (channel(24) == 0) return Colour{0, 0, 0, 0};
    return Colour{channel(16), channel(8), channel(0), channel(24)};
}

} // namespace gui
