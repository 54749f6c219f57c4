#pragma once
// The table printed after a render: loudness of input and output, and the speed.

#include <string>

#include "tools/render/loudness.h"

namespace render {

std::string FormatReport(const LoudnessFigures& input, const LoudnessFigures& output, double audioSeconds,
                         double wallSeconds);

} // namespace render
