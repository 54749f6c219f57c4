#pragma once
// Sizes on a scaled surface: a view of so many units has round(units * scale) pixels.

namespace gui {

// The scale itself when it is finite and at least 1, else 1.
double ValidScale(double scale);
// Pixels of `units` at `scale` (made valid first), rounded to the nearest.
int PixelSize(int units, double scale);

} // namespace gui
