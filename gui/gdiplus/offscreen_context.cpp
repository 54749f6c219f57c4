#include "gui/offscreen_context.h"

#include <algorithm>

#include "gui/gdiplus/native.h"
#include "gui/gdiplus/wide.h"
#include "gui/scale.h"

namespace gui {

namespace {

// The PNG encoder that comes with GDI+.
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

} // namespace

OffscreenContext::OffscreenContext(int width, int height, double scale)
    : DrawContext(std::make_unique<DrawContext::Native>(PixelSize(std::max(width, 0), scale),
                                                       PixelSize(std::max(height, 0), scale), ValidScale(scale)))
{
}

bool OffscreenContext::SavePng(const std::string& path) const
{
    const Native& native = GetNative();
    if (native.image == nullptr) return false;
    gdiplus::GdipFlush(native.graphics, Gdiplus::FlushIntentionSync);
    const std::wstring wide = gdiplus::WideFromAnsi(path);
    return !wide.empty() &&
           gdiplus::GdipSaveImageToFile(native.image, wide.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

} // namespace gui
