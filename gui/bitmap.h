#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace gui {

// A decoded image: immutable once made, shared by whoever holds it. Decoding never throws;
// a failed decode gives nullptr. Decode on any thread; draw from one thread at a time.
// An image has a density, its pixels per unit: a picture drawn for a scale-2 surface has
// density 2 and twice the pixels of the same picture at 1, and both have the same size in units.
class Bitmap {
public:
    // PNG bytes in memory; nullptr when they are not a PNG the back end can decode.
    static std::shared_ptr<const Bitmap> FromPng(std::span<const std::uint8_t> bytes, double density = 1.0);
    // A PNG file; nullptr when it is missing, unreadable or not a PNG.
    static std::shared_ptr<const Bitmap> FromPngFile(const std::string& path, double density = 1.0);
    // The picture built into the library under that resource number; nullptr when there is
    // none or it does not decode.
    static std::shared_ptr<const Bitmap> FromResource(int number, double density = 1.0);

    // The back end's image; only the back end defines it and makes bitmaps from it.
    struct Native;
    // `width` and `height` in pixels.
    Bitmap(std::unique_ptr<Native> native, int width, int height, bool hasAlpha, double density = 1.0);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // The size in units: the pixels divided by the density, rounded.
    int Width() const;
    int Height() const;
    int PixelWidth() const { return width_; }
    int PixelHeight() const { return height_; }
    double Density() const { return density_; }
    // The same picture as one of `density` (so with the pixels of that density), reduced or
    // enlarged with a smoothing filter; this image itself when the density is already that;
    // nullptr when it cannot be made.
    static std::shared_ptr<const Bitmap> Resampled(const std::shared_ptr<const Bitmap>& bitmap, double density);
    // True when the image carries an alpha channel (it is then composited by it).
    bool HasAlpha() const { return hasAlpha_; }

    const Native& GetNative() const { return *native_; }

private:
    std::unique_ptr<Native> native_;
    int width_;
    int height_;
    bool hasAlpha_;
    double density_;
};

} // namespace gui
