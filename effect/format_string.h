#pragma once
// The value texts of the editor: printf-like formatting of script values into the string
// table. Each conversion is formatted on its own into a bounded buffer, so no format text
// can write past the output or read an argument that was not passed.

#include <span>

#include "runtime/strings.h"

// Formats the text of string ToIndex(format) with `values` and stores the result as string
// ToIndex(target); answers target. A "%" starts a directive that runs up to and
// including the first letter: e f g E G print the next value as a double, d i o u x X c
// print ToIndex of it as an integer, s inserts the text of string ToIndex(value); any other
// letter prints nothing. A directive cut off by the end of the format is dropped, and
// so is a conversion with no value left or with a directive C gives no meaning
// (only flags, a width and a precision of up to three digits each are taken).
// Thread: the editor's.
double FormatString(CVexlStrings& strings, double target, double format, std::span<const double> values);

inline double FormatString(CVexlStrings& strings, double target, double format, double value)
{
    return FormatString(strings, target, format, std::span<const double>(&value, 1));
}
