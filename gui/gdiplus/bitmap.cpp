#include "gui/bitmap.h"

#include <cstring>

#include "gui/gdiplus/native.h"
#include "gui/gdiplus/wide.h"
#include "runtime/platform.h"

namespace gui {

namespace {

// GDI+ reads a decoded image's stream or file on demand for as long as the image lives;
// drawing it once into an image in memory ends that. Takes over `decoded`.
std::shared_ptr<const Bitmap> Keep(Gdiplus::GpBitmap* decoded)
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
                                          static_cast<int>(height), hasAlpha);
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

Bitmap::Bitmap(std::unique_ptr<Native> native, int width, int height, bool hasAlpha)
    : native_(std::move(native)), width_(width), height_(height), hasAlpha_(hasAlpha)
{
}

Bitmap::~Bitmap() = default;

std::shared_ptr<const Bitmap> Bitmap::FromPng(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) return nullptr;
    gdiplus::Session session;
    if (!session.Started()) return nullptr;
    IStream* stream = StreamOf(bytes);
    if (stream == nullptr) return nullptr;
    Gdiplus::GpBitmap* decoded = nullptr;
    if (gdiplus::GdipCreateBitmapFromStreamICM(stream, &decoded) != Gdiplus::Ok) decoded = nullptr;
    std::shared_ptr<const Bitmap> bitmap = Keep(decoded);
    stream->Release();
    return bitmap;
}

std::shared_ptr<const Bitmap> Bitmap::FromPngFile(const std::string& path)
{
    gdiplus::Session session;
    if (!session.Started()) return nullptr;
    const std::wstring wide = gdiplus::WideFromAnsi(path);
    if (wide.empty()) return nullptr;
    Gdiplus::GpBitmap* decoded = nullptr;
    if (gdiplus::GdipCreateBitmapFromFile(wide.c_str(), &decoded) != Gdiplus::Ok) decoded = nullptr;
    return Keep(decoded);
}

// The pictures are resources of type "DATA" of the library: decoded from their bytes, or else
// taken as a bitmap resource of the same number.
std::shared_ptr<const Bitmap> Bitmap::FromResource(int number)
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
            if (auto bitmap = FromPng(std::span(static_cast<const std::uint8_t*>(bytes), size))) return bitmap;
        }
    }
    Gdiplus::GpBitmap* decoded = nullptr;
    if (gdiplus::GdipCreateBitmapFromResource(module, MAKEINTRESOURCEW(id), &decoded) != Gdiplus::Ok) decoded = nullptr;
    return Keep(decoded);
}

} // namespace gui
