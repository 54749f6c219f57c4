#include "gui/font.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>
#include <vector>

#include "gui/cairo/native.h"
#include "gui/cairo/utf8.h"

namespace gui {

namespace {

enum class FaceStyle { kRegular, kBold, kItalic };

// One family in one face style as fontconfig resolved it; shared by every size.
struct FaceEntry {
    bool exists = false;
    std::string resolvedFamily;
    cairo_font_face_t* face = nullptr;

    ~FaceEntry()
    {
        if (face != nullptr) cairo_font_face_destroy(face);
    }
};

// Smoothed, vertically hinted glyphs on whole-pixel advances; the same for every surface,
// so measuring and drawing agree and off-screen frames match the window's.
struct TextOptionsHolder {
    cairo_font_options_t* options = cairo_font_options_create();
    TextOptionsHolder()
    {
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    }
    ~TextOptionsHolder() { cairo_font_options_destroy(options); }
};

const cairo_font_options_t* TextOptions()
{
    static const TextOptionsHolder holder;
    return holder.options;
}

// The family names fontconfig bound strongly to the request: the name itself and the
// aliases configured to stand for it (the metric-compatible faces). The weakly bound ones
// are the generic fall-backs offered for any name, which do not make a family exist.
std::vector<std::string> StrongFamilies(FcPattern* pattern)
{
    std::vector<std::string> names;
    FcPatternIter iter;
    if (!FcPatternFindIter(pattern, &iter, FC_FAMILY)) return names;
    const int count = FcPatternIterValueCount(pattern, &iter);
    for (int i = 0; i < count; ++i) {
        FcValue value;
        FcValueBinding binding;
        if (FcPatternIterGetValue(pattern, &iter, i, &value, &binding) != FcResultMatch) continue;
        if (value.type != FcTypeString) continue;
        if (binding == FcValueBindingWeak) continue;
        names.emplace_back(reinterpret_cast<const char*>(value.u.s));
    }
    return names;
}

// Family names compare as fontconfig compares them: without regard to case or blanks.
bool SameFamily(std::string_view a, std::string_view b)
{
    const auto next = [](std::string_view s, std::size_t& i) {
        while (i < s.size() && s[i] == ' ')
            ++i;
        return i < s.size() ? std::tolower(static_cast<unsigned char>(s[i++])) : -1;
    };
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        const int ca = next(a, i);
        const int cb = next(b, j);
        if (ca != cb) return false;
        if (ca < 0) return true;
    }
}

std::shared_ptr<FaceEntry> LookUp(const std::string& family, FaceStyle style)
{
    auto entry = std::make_shared<FaceEntry>();
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return entry;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, style == FaceStyle::kBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, style == FaceStyle::kItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    cairo_ft_font_options_substitute(TextOptions(), pattern);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        const std::vector<std::string> wanted = StrongFamilies(pattern);
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            if (i == 0) entry->resolvedFamily = reinterpret_cast<const char*>(name);
            for (const std::string& w : wanted) {
                if (SameFamily(reinterpret_cast<const char*>(name), w)) entry->exists = true;
            }
        }
        if (entry->exists) {
            entry->face = cairo_ft_font_face_create_for_pattern(match);
            if (cairo_font_face_status(entry->face) != CAIRO_STATUS_SUCCESS) entry->exists = false;
        } else {
            entry->resolvedFamily.clear();
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return entry;
}

// Faces are kept for the life of the process, so a new size of a known family costs no
// fontconfig lookup.
std::shared_ptr<const FaceEntry> FindFace(const std::string& family, FaceStyle style)
{
    static std::mutex mutex;
    static std::map<std::pair<std::string, FaceStyle>, std::shared_ptr<const FaceEntry>> faces;
    std::string key = family;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::lock_guard lock(mutex);
    auto& slot = faces[{key, style}];
    if (!slot) slot = LookUp(family, style);
    return slot;
}

} // namespace

Font::Font(std::string family, int pixelSize, int style)
    : family_(std::move(family)), pixelSize_(pixelSize), style_(style)
{
}

Font::~Font() = default;

const Font::Native& Font::GetNative() const
{
    std::call_once(once_, [this] {
        auto resolved = std::make_unique<Native>();
        const FaceStyle style = IsBold() ? FaceStyle::kBold : IsItalic() ? FaceStyle::kItalic : FaceStyle::kRegular;
        const std::shared_ptr<const FaceEntry> face = FindFace(family_, style);
        resolved->exists = face->exists;
        resolved->resolvedFamily = face->resolvedFamily;
        if (face->exists && pixelSize_ > 0) {
            cairo_matrix_t size;
            cairo_matrix_t identity;
            cairo_matrix_init_scale(&size, pixelSize_, pixelSize_);
            cairo_matrix_init_identity(&identity);
            cairo_scaled_font_t* scaled = cairo_scaled_font_create(face->face, &size, &identity, TextOptions());
            if (cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS) {
                resolved->scaled = scaled;
                if (FT_Face ft = cairo_ft_scaled_font_lock_face(scaled)) {
                    if (ft->units_per_EM > 0 && ft->underline_thickness > 0) {
                        const double em = pixelSize_ / static_cast<double>(ft->units_per_EM);
                        resolved->underlineOffset = -ft->underline_position * em;
                        resolved->underlineThickness = ft->underline_thickness * em;
                    }
                    cairo_ft_scaled_font_unlock_face(scaled);
                }
            } else {
                cairo_scaled_font_destroy(scaled);
            }
        }
        if (resolved->underlineOffset <= 0) resolved->underlineOffset = 0.1 * pixelSize_;
        native_ = std::move(resolved);
    });
    return *native_;
}

bool Font::Exists() const { return GetNative().exists; }

bool Font::IsUsable() const { return GetNative().scaled != nullptr; }

std::string Font::ResolvedFamily() const { return GetNative().resolvedFamily; }

namespace cairo {

cairo_scaled_font_t* ScaledFont(const Font& font, double scale)
{
    cairo_scaled_font_t* own = font.GetNative().scaled;
    if (own == nullptr) return nullptr;
    if (scale == 1.0) return cairo_scaled_font_reference(own);
    cairo_matrix_t size;
    cairo_scaled_font_get_font_matrix(own, &size);
    cairo_matrix_t device;
    cairo_matrix_init_scale(&device, scale, scale);
    return cairo_scaled_font_create(cairo_scaled_font_get_font_face(own), &size, &device, TextOptions());
}

} // namespace cairo

double Font::MeasureText(std::string_view utf8) const
{
    cairo_scaled_font_t* scaled = GetNative().scaled;
    if (scaled == nullptr) return -1;
    const std::string text = cairo::ValidUtf8(utf8);
    if (text.empty()) return 0;
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(scaled, text.c_str(), &extents);
    return extents.x_advance;
}

} // namespace gui
