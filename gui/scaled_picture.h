#pragma once
// A skin picture for a surface of any scale, from the versions drawn for whole scales
// (resources/picture_scales.h): the one for the next whole scale at or above it, reduced to
// it with a smoothing filter; at a whole scale that version itself. Where no version at or
// above was drawn, the largest one below, enlarged. Any thread, like the decoding.

#include <memory>
#include <string>

#include "gui/bitmap.h"

namespace gui {

// Resource `number` (the picture at scale 1) as drawn for `scale`; nullptr when no version
// of it is there.
std::shared_ptr<const Bitmap> PictureResource(int number, double scale);
// The file at `path` (the picture at scale 1) and its versions "name@2x.png" and so on.
std::shared_ptr<const Bitmap> PictureFile(const std::string& path, double scale);

} // namespace gui
