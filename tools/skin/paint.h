#pragma once
// The two skin pictures, each painted onto a cairo context of its own size.

#include <cairo.h>

namespace skin {

// 890 by 550, opaque: everything on the editor surface that does not change.
void PaintBackground(cairo_t* cr);

// 32 by 15 with alpha: the slider knob, a 26-pixel handle with its shadow.
void PaintKnob(cairo_t* cr);

} // namespace skin
