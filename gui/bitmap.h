#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct _cairo_surface;

namespace gui {

// A decoded image: immutable once made, shared by whoever holds it. Decoding never throws;
// a failed decode gives nullptr. Decode on any thread; draw from one thread at a time.
class Bitmap {
public:
    // PNG bytes in memory; nullptr when they are not a PNG cairo can decode.
    static std::shared_ptr<const Bitmap> FromPng(std::span<const std::uint8_t> bytes);
    // A PNG file; nullptr when it is missing, unreadable or not a PNG.
    static std::shared_ptr<const Bitmap> FromPngFile(const std::string& path);

    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // True when the image carries an alpha channel (it is then composited by it).
    bool HasAlpha() const { return hasAlpha_; }

    // The cairo image surface behind the bitmap, for the draw context.
    _cairo_surface* Surface() const { return surface_; }

private:
    explicit Bitmap(_cairo_surface* surface);
    static std::shared_ptr<const Bitmap> Adopt(_cairo_surface* surface);

    _cairo_surface* surface_;
    int width_;
    int height_;
    bool hasAlpha_;
};

} // namespace gui
