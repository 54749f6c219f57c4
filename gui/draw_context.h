#pragma once

#include <memory>
#include <string_view>
#include <utility>

#include "gui/colour.h"

namespace gui {

class Bitmap;
class Font;

// Drawing on a surface in view units: a window while it paints, or an image in memory
// (OffscreenContext). A surface has a scale, the pixels per unit (1 on a 96-dpi screen): every
// operation lands on the surface's own pixel grid, and text is laid out at the scaled size, so
// a scaled surface is sharp rather than magnified. A new context starts with antialiasing off, a 1-pixel opaque black pen,
// opaque black fill and text colours and no font. An operation given a coordinate that is not
// finite draws nothing.
// Thread: one thread at a time, the one that paints with it (the GUI thread for a window).
class DrawContext {
public:
    static constexpr int kOutline = 0;
    static constexpr int kFilled = 1;
    static constexpr int kFilledAndOutline = 2;

    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignCentre = 1;
    static constexpr int kAlignRight = 2;

    // The drawing back end's own part: its surface and drawing state. Only the back end
    // defines it and makes contexts from it.
    struct Native;
    explicit DrawContext(std::unique_ptr<Native> native);
    virtual ~DrawContext();
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    // Back to the settings of a new context (for a surface that is painted more than once).
    void ResetState();

    // Antialiasing of shapes and bitmaps; text is always drawn smoothed.
    void SetAntialias(bool on);
    void SetFontColour(Colour colour) { fontColour_ = colour; }
    void SetFillColour(Colour colour) { fillColour_ = colour; }
    void SetFrameColour(Colour colour) { frameColour_ = colour; }
    // The font of later text; null for none.
    void SetFont(std::shared_ptr<const Font> font) { font_ = std::move(font); }
    const std::shared_ptr<const Font>& CurrentFont() const { return font_; }

    // Advance width of a UTF-8 text in the current font; -1 with no usable font.
    double MeasureText(std::string_view utf8) const;

    // Corners are sorted. kFilled fills x from min(x1, x2) to max(x1, x2) and y likewise, so
    // integer corners fill the pixels x1..x2-1, y1..y2-1; kOutline strokes the pen around the
    // rectangle one pixel smaller, i.e. along the outermost pixels of that fill; kFilledAndOutline
    // does both, the fill first. Other styles draw nothing.
    void DrawRectangle(double x1, double y1, double x2, double y2, int style);

    // Draws one line of text in the box (x1, y1)-(x2, y2), clipped to it, with the baseline at
    // y2 - ((y2 - y1) / 2 - size / 2 + 1) (size: the font's integer pixel size) and starting at
    // x1 (kAlignLeft), centred (kAlignCentre) or ending at x2 (kAlignRight) by its measured width.
    // A box with x2 < x1 or y2 < y1 is empty. Nothing appears without a usable font.
    void DrawTextInRect(std::string_view utf8, double x1, double y1, double x2, double y2, int align);

    // Copies the bitmap's area that starts at (sourceX, sourceY) and has the box's size 1:1
    // into the box, composited by the bitmap's alpha, both in units (a bitmap of the surface's
    // scale lands pixel for pixel). All coordinates are truncated toward 0; a box without area
    // draws nothing. False only for a missing bitmap.
    bool DrawBitmap(const Bitmap* bitmap, double x1, double y1, double x2, double y2, double sourceX, double sourceY);

    // Pixels per unit, 1 or more.
    double Scale() const;
    // The surface's size in pixels.
    int Width() const;
    int Height() const;
    // The pixel at (x, y) with alpha undone; transparent black outside the surface or when the
    // surface is not an image in memory.
    Colour ReadPixel(int x, int y) const;

protected:
    Native& GetNative() const { return *native_; }

private:
    std::unique_ptr<Native> native_;
    Colour fontColour_ = kOpaqueBlack;
    Colour fillColour_ = kOpaqueBlack;
    Colour frameColour_ = kOpaqueBlack;
    std::shared_ptr<const Font> font_;
};

} // namespace gui
