#include "gui/bitmap.h"

#include <cmath>

namespace gui {

int Bitmap::Width() const { return density_ == 1.0 ? width_ : static_cast<int>(std::lround(width_ / density_)); }

int Bitmap::Height() const { return density_ == 1.0 ? height_ : static_cast<int>(std::lround(height_ / density_)); }

} // namespace gui
