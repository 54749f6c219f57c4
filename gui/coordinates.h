#pragma once
// What every drawing back end does first with the coordinates it is handed.

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace gui::coordinates {

// Script coordinates can be anything; beyond this they lie off every surface anyway, and
// the back ends' fixed-point, float and int conversions stay well inside their range.
constexpr double kLimit = 1e6;

inline bool Finite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

inline double Limit(double v) { return std::clamp(v, -kLimit, kLimit); }

} // namespace gui::coordinates
