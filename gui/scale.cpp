#include "gui/scale.h"

#include <algorithm>
#include <cmath>

namespace gui {

double ValidScale(double scale) { return std::isfinite(scale) && scale >= 1.0 ? scale : 1.0; }

// Beyond 16 a window would be larger than any screen; the limit keeps the sizes in range.
int PixelSize(int units, double scale) { return static_cast<int>(std::lround(units * std::min(ValidScale(scale), 16.0))); }

} // namespace gui
