#include "gui/bitmap.h"

#include <cmath>
#include <cstring>

#include "gui/gdiplus/native.h"
#include "gui/gdiplus/wide.h"
#include "runtime/platform.h"

namespace gui {

namespace {

// GDI+ reads a decoded image's stream or file on demand for as long as the image lives;
// drawing it once into an image in memory ends that. Takes over `decoded`.
std::shared_ptr<const Bitmap> Keep(Gdiplus::GpBitmap* decoded, double density)
{
    if (decoded == nullptr) return nullptr;
    UINT width = 0, height = 0;
    Gdiplus::PixelFormat format = 0;
    gdiplus::GdipGetImageWidth(decoded, &width);
    gdiplus::GdipGetImageHeight(decoded, &height);
    gdiplus::GdipGetImagePixelFormat(decoded, &format);
    const bool hasAlpha = (format & PixelFormatAlpha) != 0;
    Gdiplus::GpBitmap* copy = nullptr;
    if (width > 0 && height > 0 && width <= 0x7FFF && height <= 0x7FFF &&
        gdiplus::GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                           hasAlpha ? PixelFormat32bppPARGB : PixelFormat32bppRGB, nullptr,
                                           &copy) == Gdiplus::Ok) {
        Gdiplus::GpGraphics* graphics = nullptr;
        bool drawn = false;
        if (gdiplus::GdipGetImageGraphicsContext(copy, &graphics) == Gdiplus::Ok) {
            gdiplus::GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceCopy);
            gdiplus::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeNearestNeighbor);
            gdiplus::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
            drawn = gdiplus::GdipDrawImageRectRectI(graphics, decoded, 0, 0, static_cast<INT>(width),
                                                    static_cast<INT>(height), 0, 0, static_cast<INT>(width),
                                                    static_cast<INT>(height), Gdiplus::UnitPixel, nullptr, nullptr,
                                                    nullptr) == Gdiplus::Ok;
            gdiplus::GdipDeleteGraphics(graphics);
        }
        if (!drawn) {
            gdiplus::GdipDisposeImage(copy);
            copy = nullptr;
        }
    }
    gdiplus::GdipDisposeImage(decoded);
    if (copy == nullptr) return nullptr;
    return std::make_shared<const Bitmap>(std::make_unique<Bitmap::Native>(copy), static_cast<int>(width),
                                          static_cast<int>(height), hasAlpha, density);
}

// The bytes in a stream of their own (the stream frees its memory when released).
IStream* StreamOf(std::span<const std::uint8_t> bytes)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr) return nullptr;
    void* place = GlobalLock(memory);
    if (place == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(place, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return nullptr;
    }
    return stream;
}

} // namespace

Bitmap::Bitmap(std::unique_ptr<Native> native, int width, int height, bool hasAlpha, double density)
    : native_(std::move(native)), width_(width), height_(height), hasAlpha_(hasAlpha),
      density_(density > 0 && std::isfinite(density) ? density : 1.0)
{
}

Bitmap::~Bitmap() = default;

std::shared_ptr<const Bitmap> Bitmap::FromPng(std::span<const std::uint8_t> bytes, double density)
{
    if (bytes.empty()) return nullptr;
    gdiplus::Session session;
    if (!session.Started()) return nullptr;
    IStream* stream = StreamOf(bytes);
    if (stream == nullptr) return nullptr;
    Gdiplus::GpBitmap* decoded = nullptr;
    if (gdiplus::GdipCreateBitmapFromStreamICM(stream, &decoded) != Gdiplus::Ok) decoded = nullptr;
    std::shared_ptr<const Bitmap> bitmap = Keep(decoded, density);
    stream->Release();
    return bitmap;
}

std::shared_ptr<const Bitmap> Bitmap::FromPngFile(const std::string& path, double density)
{
    gdiplus::Session session;
    if (!session.Started()) return nullptr;
    const std::wstring wide = gdiplus::WideFromAnsi(path);
    if (wide.empty()) return nullptr;
    Gdiplus::GpBitmap* decoded = nullptr;
    if (gdiplus::GdipCreateBitmapFromFile(wide.c_str(), &decoded) != Gdiplus::Ok) decoded = nullptr;
    return Keep(decoded, density);
}

// The pictures are resources of type "DATA" of the library: decoded from their bytes, or else
// taken as a bitmap resource of the same number.
std::shared_ptr<const Bitmap> Bitmap::FromResource(int number, double density)
{
    if (number < 0 || number > 0xFFFF) return nullptr;
    gdiplus::Session session;
    if (!session.Started()) return nullptr;
    const auto module = static_cast<HMODULE>(platform::ModuleHandle());
    const WORD id = static_cast<WORD>(number);
    if (HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "DATA")) {
        const HGLOBAL loaded = LoadResource(module, resource);
        const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
        const DWORD size = SizeofResource(module, resource);
        if (bytes != nullptr && size > 0) {
            if (auto bitmap = FromPng(std::span(static_cast<const std::uint8_t*>(bytes), size), density)) return bitmap;
        }
    }
    Gdiplus::GpBitmap* decoded = nullptr;
    if (gdiplus::GdipCreateBitmapFromResource(module, MAKEINTRESOURCEW(id), &decoded) != Gdiplus::Ok) decoded = nullptr;
    return Keep(decoded, density);
}

} // namespace gui

namespace gui {

// Drawn once into an image of the new size with the high-quality bicubic filter, which
// looks at every source pixel under each new one; the edges repeat outwards, so the border
// does not fade.
std::shared_ptr<const Bitmap> Bitmap::Resampled(const std::shared_ptr<const Bitmap>& bitmap, double density)
{
    if (!bitmap || !(density > 0) || !std::isfinite(density)) return nullptr;
    if (density == bitmap->Density()) return bitmap;
    const double factor = density / bitmap->Density();
    const long width = std::lround(bitmap->PixelWidth() * factor);
    const long height = std::lround(bitmap->PixelHeight() * factor);
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) return nullptr;
    gdiplus::Session session;
    if (!session.Started()) return nullptr;
    Gdiplus::GpBitmap* copy = nullptr;
    if (gdiplus::GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                           bitmap->HasAlpha() ? PixelFormat32bppPARGB : PixelFormat32bppRGB, nullptr,
                                           &copy) != Gdiplus::Ok)
        return nullptr;
    bool drawn = false;
    Gdiplus::GpGraphics* graphics = nullptr;
    Gdiplus::GpImageAttributes* attributes = nullptr;
    if (gdiplus::GdipGetImageGraphicsContext(copy, &graphics) == Gdiplus::Ok &&
        gdiplus::GdipCreateImageAttributes(&attributes) == Gdiplus::Ok) {
        gdiplus::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
        gdiplus::GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceCopy);
        gdiplus::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
        gdiplus::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
        drawn = gdiplus::GdipDrawImageRectRectI(graphics, bitmap->GetNative().bitmap, 0, 0, static_cast<INT>(width),
                                                static_cast<INT>(height), 0, 0, bitmap->PixelWidth(),
                                                bitmap->PixelHeight(), Gdiplus::UnitPixel, attributes, nullptr,
                                                nullptr) == Gdiplus::Ok;
    }
    if (attributes != nullptr) gdiplus::GdipDisposeImageAttributes(attributes);
    if (graphics != nullptr) gdiplus::GdipDeleteGraphics(graphics);
    if (!drawn) {
        gdiplus::GdipDisposeImage(copy);
        return nullptr;
    }
    return std::make_shared<const Bitmap>(std::make_unique<Native>(copy), static_cast<int>(width),
                                          static_cast<int>(height), bitmap->HasAlpha(), density);
}

} // namespace gui
