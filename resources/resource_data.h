#pragma once
// The bytes of the embedded files: the skin pictures as PNG. The build draws the pictures
// and writes the sources that define these arrays.

#include <cstddef>

extern const unsigned char kBackgroundPng[];
extern const std::size_t kBackgroundPngSize;
extern const unsigned char kSliderKnobPng[];
extern const std::size_t kSliderKnobPngSize;
