#pragma once
// --plot: a 1200 by 600 picture of one render: the input's and the output's short-term and
// momentary loudness and their sample-peak envelopes over time, with the target and the
// ceiling, drawn with cairo into a PNG file.

#include <optional>
#include <string>

#include "tools/render/mastering.h"

namespace render {

constexpr int kPlotWidth = 1200, kPlotHeight = 600;

// Writes the picture to `path`; failing to is a RenderError.
void DrawLoudnessPlot(const FileReport& file, std::optional<double> target, std::optional<double> ceiling,
                      const std::string& path);

} // namespace render
