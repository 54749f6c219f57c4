#pragma once
// What the GDI+ back end keeps behind the toolkit's classes. For the back end's own files
// (and the Win32 frame, which paints through it) only.

#include <string>
#include <string_view>

#include "gui/bitmap.h"
#include "gui/draw_context.h"
#include "gui/font.h"
#include "gui/gdiplus/gdiplus.h"
#include "gui/gdiplus/session.h"

namespace gui {

namespace gdiplus {

// Text is drawn and measured with ClearType grid fitting.
constexpr Gdiplus::TextRenderingHint kTextRenderingHint = Gdiplus::TextRenderingHintClearTypeGridFit;

// The width of the box GDI+ lays the UTF-8 text out in, with the default string format; -1
// without graphics or font.
double MeasureString(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, std::string_view utf8);

} // namespace gdiplus

// A context draws through one GDI+ graphics object: over a device context that a window
// hands out while it paints, or over an image of its own (the off-screen context). Without a
// graphics object (GDI+ not started, an image of no size) every operation does nothing.
struct DrawContext::Native {
    // Over a device context of the given size in pixels, which the caller keeps while the
    // context lives; `scale` pixels per unit.
    Native(HDC dc, int width, int height, double scale = 1.0);
    // Over a new opaque black image of the given size in pixels.
    Native(int width, int height, double scale = 1.0);
    ~Native();
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    gdiplus::Session session;
    Gdiplus::GpGraphics* graphics = nullptr;
    Gdiplus::GpBitmap* image = nullptr; // the off-screen context's own image
    int width;
    int height;
    double scale;
};

// A decoded image, copied into memory of its own so that it no longer needs the stream or
// file it came from.
struct Bitmap::Native {
    explicit Native(Gdiplus::GpBitmap* b) : bitmap(b) {}
    ~Native() { gdiplus::GdipDisposeImage(bitmap); }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    gdiplus::Session session;
    Gdiplus::GpBitmap* bitmap;
};

// A font family found by name and, when the size is above 0, the font of the description's
// size and style in pixel units.
struct Font::Native {
    Native() = default;
    ~Native();
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    gdiplus::Session session;
    Gdiplus::GpFontFamily* family = nullptr;
    Gdiplus::GpFont* font = nullptr;
    std::string resolvedFamily;
};

} // namespace gui
