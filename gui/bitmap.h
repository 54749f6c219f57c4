#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace gui {

// A decoded image: immutable once made, shared by whoever holds it. Decoding never throws;
// a failed decode gives nullptr. Decode on any thread; draw from one thread at a time.
class Bitmap {
public:
    // PNG bytes in memory; nullptr when they are not a PNG the back end can decode.
    static std::shared_ptr<const Bitmap> FromPng(std::span<const std::uint8_t> bytes);
    // A PNG file; nullptr when it is missing, unreadable or not a PNG.
    static std::shared_ptr<const Bitmap> FromPngFile(const std::string& path);
    // The picture built into the library under that resource number; nullptr when there is
    // none or it does not decode.
    static std::shared_ptr<const Bitmap> FromResource(int number);

    // The back end's image; only the back end defines it and makes bitmaps from it.
    struct Native;
    Bitmap(std::unique_ptr<Native> native, int width, int height, bool hasAlpha);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // True when the image carries an alpha channel (it is then composited by it).
    bool HasAlpha() const { return hasAlpha_; }

    const Native& GetNative() const { return *native_; }

private:
    std::unique_ptr<Native> native_;
    int width_;
    int height_;
    bool hasAlpha_;
};

} // namespace gui
