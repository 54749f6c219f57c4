#include "runtime/drawing_services.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "gui/bitmap.h"
#include "gui/draw_context.h"
#include "gui/font.h"

struct BitmapHolder {
    std::shared_ptr<const gui::Bitmap> bitmap;
};

namespace {

gui::DrawContext* Context(HostInterface* host) { return host ? host->drawContext : nullptr; }

bool SameFamily(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

gui::Colour Bytes(int r, int g, int b, int a)
{
    auto byte = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
    return gui::Colour{byte(r), byte(g), byte(b), byte(a)};
}

} // namespace

int32_t EditorSize(HostInterface* host, int32_t* width, int32_t* height)
{
    int32_t w = 0, h = 0;
    if (!host || !host->EditorSize(w, h)) return 0;
    if (width) *width = w;
    if (height) *height = h;
    return 1;
}

int32_t SetAntialias(HostInterface* host, int32_t mode)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0;
    context->SetAntialias(mode == 3);
    return 1;
}

int32_t SetFontColour(HostInterface* host, int r, int g, int b, int a)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0;
    context->SetFontColour(Bytes(r, g, b, a));
    return 1;
}

int32_t SetFillColour(HostInterface* host, int r, int g, int b, int a)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0;
    context->SetFillColour(Bytes(r, g, b, a));
    return 1;
}

int32_t SetFrameColour(HostInterface* host, int r, int g, int b, int a)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0;
    context->SetFrameColour(Bytes(r, g, b, a));
    return 1;
}

double MeasureText(HostInterface* host, const std::string& text)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0.0;
    return context->MeasureText(text);
}

int32_t DrawRectangle(HostInterface* host, double x1, double y1, double x2, double y2, int32_t style)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0;
    context->DrawRectangle(x1, y1, x2, y2, style);
    return 1;
}

int32_t DrawTextInRect(HostInterface* host, const std::string& text, double x1, double y1, double x2, double y2, int32_t,
                       int32_t alignment)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0;
    context->DrawTextInRect(text, x1, y1, x2, y2, alignment);
    return 1;
}

int32_t SelectFont(HostInterface* host, const std::string& family, int32_t size, int32_t style)
{
    gui::DrawContext* context = Context(host);
    if (!context) return 0;
    std::shared_ptr<gui::Font> description;
    for (auto it = host->fontCache.rbegin(); it != host->fontCache.rend(); ++it) {
        if (*it && SameFamily((*it)->Family(), family)) {
            description = *it;
            break;
        }
    }
    if (!description) {
        description = std::make_shared<gui::Font>(family, 0, 0);
        host->fontCache.push_back(description);
    }
    const bool sameSize = size <= 0 || size == description->PixelSize();
    const bool sameStyle = style == -1 || style == description->Style();
    if (sameSize && sameStyle) {
        context->SetFont(description);
    } else {
        context->SetFont(std::make_shared<gui::Font>(description->Family(), size <= 0 ? description->PixelSize() : size,
                                                     style == -1 ? description->Style() : style));
    }
    return 1;
}

BitmapHolder* CreateBitmapHolder(HostInterface* host) { return host ? new BitmapHolder() : nullptr; }

int32_t ReleaseBitmapHolder(HostInterface* host, BitmapHolder* holder)
{
    if (!host) return 0;
    delete holder;
    return 1;
}

void DestroyBitmapHolder(BitmapHolder* holder) { delete holder; }

int32_t LoadBitmapResource(HostInterface* host, BitmapHolder* holder, int32_t number)
{
    if (!host || !holder) return 0;
    holder->bitmap.reset();
    auto bitmap = gui::Bitmap::FromResource(number);
    if (!bitmap || bitmap->Width() <= 0 || bitmap->Height() <= 0) return 0;
    holder->bitmap = std::move(bitmap);
    return 1;
}

int32_t LoadBitmapFile(HostInterface* host, BitmapHolder* holder, const std::string& path)
{
    if (!host || !holder) return 0;
    holder->bitmap.reset();
    auto bitmap = gui::Bitmap::FromPngFile(path);
    if (!bitmap || bitmap->Width() <= 0 || bitmap->Height() <= 0) return 0;
    holder->bitmap = std::move(bitmap);
    return 1;
}

double BitmapWidth(HostInterface* host, BitmapHolder* holder)
{
    return host && holder && holder->bitmap ? holder->bitmap->Width() : 0.0;
}

double BitmapHeight(HostInterface* host, BitmapHolder* holder)
{
    return host && holder && holder->bitmap ? holder->bitmap->Height() : 0.0;
}

int32_t DrawBitmap(HostInterface* host, BitmapHolder* holder, double x1, double y1, double x2, double y2, double sourceX,
                   double sourceY)
{
    gui::DrawContext* context = Context(host);
    if (!context || !holder || !holder->bitmap) return 0;
    return context->DrawBitmap(holder->bitmap.get(), x1, y1, x2, y2, sourceX, sourceY) ? 1 : 0;
}

int32_t Redraw(HostInterface* host)
{
    return host && host->RequestRedraw() ? 1 : 0;
}
