// Writes the editor's skin pictures: tolvanger_skin <output folder> writes bg.png and
// sliderknob.png there. The output depends only on this program and the installed fonts.

#include <cairo.h>

#include <cstdio>
#include <string>

#include "effect/editor_layout.h"
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

bool WriteBackground(const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kEditorWidth, kEditorHeight);
    cairo_t* cr = cairo_create(surface);
    skin::PaintBackground(cr);
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS && CaptionsFit(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    ok = ok && Write(surface, path);
    cairo_surface_destroy(surface);
    return ok;
}

bool WriteKnob(const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kKnobWidth, kKnobHeight);
    cairo_t* cr = cairo_create(surface);
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
    const bool ok = WriteBackground(folder + "/bg.png") && WriteKnob(folder + "/sliderknob.png");
    return ok ? 0 : 1;
}
