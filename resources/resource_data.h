#pragma once
// The bytes of the embedded files: the skin pictures as PNG, at scale 1 and drawn for
// scales 2 and 3. The build draws the pictures and writes the sources that define these arrays.

#include <cstddef>

extern const unsigned char kBackgroundPng[];
extern const std::size_t kBackgroundPngSize;
extern const unsigned char kSliderKnobPng[];
extern const std::size_t kSliderKnobPngSize;
extern const unsigned char kBackground2xPng[];
extern const std::size_t kBackground2xPngSize;
extern const unsigned char kSliderKnob2xPng[];
extern const std::size_t kSliderKnob2xPngSize;
extern const unsigned char kBackground3xPng[];
extern const std::size_t kBackground3xPngSize;
extern const unsigned char kSliderKnob3xPng[];
extern const std::size_t kSliderKnob3xPngSize;
