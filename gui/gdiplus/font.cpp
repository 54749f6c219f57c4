#include "gui/font.h"

#include <utility>

#include "gui/gdiplus/native.h"
#include "gui/gdiplus/wide.h"

namespace gui {

namespace {

// Family names are looked up with at most this many characters.
constexpr std::size_t kFamilyNameLimit = 200;

// The one GDI+ style: underline wins over italic, italic over bold.
INT StyleOf(const Font& font)
{
    if (font.IsUnderlined()) return Gdiplus::FontStyleUnderline;
    if (font.IsItalic()) return Gdiplus::FontStyleItalic;
    if (font.IsBold()) return Gdiplus::FontStyleBold;
    return Gdiplus::FontStyleRegular;
}

// GDI+ measures only on a graphics object; an image of one pixel serves when no context is at hand.
struct ScratchGraphics {
    ScratchGraphics()
    {
        if (gdiplus::GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat32bppRGB, nullptr, &image) != Gdiplus::Ok) return;
        if (gdiplus::GdipGetImageGraphicsContext(image, &graphics) != Gdiplus::Ok) graphics = nullptr;
        if (graphics == nullptr) return;
        gdiplus::GdipSetPageUnit(graphics, Gdiplus::UnitPixel);
        gdiplus::GdipSetTextRenderingHint(graphics, gdiplus::kTextRenderingHint);
    }
    ~ScratchGraphics()
    {
        if (graphics != nullptr) gdiplus::GdipDeleteGraphics(graphics);
        if (image != nullptr) gdiplus::GdipDisposeImage(image);
    }
    ScratchGraphics(const ScratchGraphics&) = delete;
    ScratchGraphics& operator=(const ScratchGraphics&) = delete;

    gdiplus::Session session;
    Gdiplus::GpBitmap* image = nullptr;
    Gdiplus::GpGraphics* graphics = nullptr;
};

} // namespace

namespace gdiplus {

double MeasureString(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, std::string_view utf8)
{
    if (graphics == nullptr || font == nullptr) return -1;
    const std::wstring text = WideFromUtf8(utf8);
    if (text.empty()) return 0;
    const Gdiplus::RectF origin(0, 0, 0, 0);
    Gdiplus::RectF box;
    if (GdipMeasureString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &origin, nullptr, &box, nullptr,
                          nullptr) != Gdiplus::Ok)
        return -1;
    return box.Width;
}

} // namespace gdiplus

Font::Native::~Native()
{
    if (font != nullptr) gdiplus::GdipDeleteFont(font);
    if (family != nullptr) gdiplus::GdipDeleteFontFamily(family);
}

Font::Font(std::string family, int pixelSize, int style)
    : family_(std::move(family)), pixelSize_(pixelSize), style_(style)
{
}

Font::~Font() = default;

const Font::Native& Font::GetNative() const
{
    std::call_once(once_, [this] {
        auto resolved = std::make_unique<Native>();
        std::wstring name = gdiplus::WideFromAnsi(family_);
        if (name.size() > kFamilyNameLimit) name.resize(kFamilyNameLimit);
        if (resolved->session.Started() && !name.empty() &&
            gdiplus::GdipCreateFontFamilyFromName(name.c_str(), nullptr, &resolved->family) == Gdiplus::Ok) {
            WCHAR found[LF_FACESIZE] = {};
            if (gdiplus::GdipGetFamilyName(resolved->family, found, LANG_NEUTRAL) == Gdiplus::Ok)
                resolved->resolvedFamily = gdiplus::Utf8FromWide(found);
            if (pixelSize_ > 0 &&
                gdiplus::GdipCreateFont(resolved->family, static_cast<Gdiplus::REAL>(pixelSize_), StyleOf(*this),
                                        Gdiplus::UnitPixel, &resolved->font) != Gdiplus::Ok)
                resolved->font = nullptr;
        } else {
            resolved->family = nullptr;
        }
        native_ = std::move(resolved);
    });
    return *native_;
}

bool Font::Exists() const { return GetNative().family != nullptr; }

bool Font::IsUsable() const { return GetNative().font != nullptr; }

std::string Font::ResolvedFamily() const { return GetNative().resolvedFamily; }

double Font::MeasureText(std::string_view utf8) const
{
    const Native& native = GetNative();
    if (native.font == nullptr) return -1;
    ScratchGraphics scratch;
    return gdiplus::MeasureString(scratch.graphics, native.font, utf8);
}

} // namespace gui
