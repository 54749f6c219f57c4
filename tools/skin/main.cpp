// Writes the editor's skin pictures: tolvanger_skin <output folder> writes bg.png and
// sliderknob.png there, and the same pictures drawn for scaled screens as bg@2x.png,
// sliderknob@2x.png and so on. The output depends only on this program and the installed fonts.

#include <cairo.h>

#include <cstdio>
#include <string>

#include "effect/editor_layout.h"
#include "resources/picture_scales.h"
#include "tools/skin/caption_text.h"
#include "tools/skin/paint.h"
#include "tools/skin/skin_layout.h"

namespace {

bool Write(cairo_surface_t* surface, const std::string& path)
{
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "tolvanger_skin: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

// A text that does not fit its box would run into whatever is beside it.
bool CaptionsFit(cairo_t* cr)
{
    bool fit = true;
    for (const skin::Caption& caption : skin::Captions()) {
        if (!skin::Contains(caption.box, skin::Place(cr, caption).ink)) {
            std::fprintf(stderr, "tolvanger_skin: \"%s\" does not fit its box\n", caption.text);
            fit = false;
        }
    }
    return fit;
}

// Each picture is painted in editor units through the scale, so at 2 and 3 every edge and
// every glyph lands on the finer pixel grid instead of being magnified.
bool WriteBackground(const std::string& path, int scale)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kEditorWidth * scale, kEditorHeight * scale);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    skin::PaintBackground(cr);
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS && CaptionsFit(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    ok = ok && Write(surface, path);
    cairo_surface_destroy(surface);
    return ok;
}

bool WriteKnob(const std::string& path, int scale)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kKnobWidth * scale, kKnobHeight * scale);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    skin::PaintKnob(cr);
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    ok = ok && Write(surface, path);
    cairo_surface_destroy(surface);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvanger_skin <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const int scale : kPictureScales) {
        const bool ok = WriteBackground(folder + "/" + ScaledPictureName("bg.png", scale), scale) &&
                        WriteKnob(folder + "/" + ScaledPictureName("sliderknob.png", scale), scale);
        if (!ok) return 1;
    }
    return 0;
}
