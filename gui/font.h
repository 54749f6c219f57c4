#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace gui {

// A font description: family, size in pixels and style. The family is looked up on first use
// by the drawing back end (fontconfig on Linux, GDI+ on Windows). A description whose family
// does not exist, or whose size is not above 0, has no usable font: text drawn with it does
// not appear and measuring it answers -1.
// Any thread: the lookup runs once, whichever thread asks first.
class Font {
public:
    static constexpr int kBold = 1;
    static constexpr int kItalic = 2;
    static constexpr int kUnderline = 4;

    Font(std::string family, int pixelSize, int style);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const std::string& Family() const { return family_; }
    int PixelSize() const { return pixelSize_; }
    int Style() const { return style_; }

    // The one style the font is drawn with: underline wins over italic, italic over bold.
    bool IsUnderlined() const { return (style_ & kUnderline) != 0; }
    bool IsItalic() const { return !IsUnderlined() && (style_ & kItalic) != 0; }
    bool IsBold() const { return !IsUnderlined() && !IsItalic() && (style_ & kBold) != 0; }

    // Whether the family exists (regardless of size). With fontconfig a family counts as
    // existing when the best match is the family itself or one of its strongly bound aliases
    // (so "Arial" is found as Liberation Sans), not one of the weak fall-backs offered for any name.
    bool Exists() const;
    // Whether text can be drawn with this description: the family exists and the size is above 0.
    bool IsUsable() const;
    // The family of the font that was found, for example "Liberation Sans"; empty when none.
    std::string ResolvedFamily() const;

    // Advance width of a UTF-8 text in pixels; -1 when the font is not usable.
    double MeasureText(std::string_view utf8) const;

    // The back end's font, made on first use; only the back end defines it.
    struct Native;
    const Native& GetNative() const;

private:
    std::string family_;
    int pixelSize_;
    int style_;
    mutable std::once_flag once_;
    mutable std::unique_ptr<Native> native_;
};

} // namespace gui
