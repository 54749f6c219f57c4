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

// A rectangle given by two corners in any order, each limited.
struct Box {
    double left, top, width, height;
};
inline Box SortedBox(double x1, double y1, double x2, double y2)
{
    x1 = Limit(x1), y1 = Limit(y1), x2 = Limit(x2), y2 = Limit(y2);
    return {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)};
}

} // namespace gui::coordinates
