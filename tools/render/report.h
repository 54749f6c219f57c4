#pragma once
// The table printed after a render: loudness of input and output, and the speed.

#include <string>

#include "tools/render/loudness.h"
#include "tools/render/mastering.h"

namespace render {

std::string FormatReport(const LoudnessFigures& input, const LoudnessFigures& output, double audioSeconds,
                         double wallSeconds);

// What a single render adds to the table when it applies: the gain for a target and where
// it went, the dither, clipped and non-finite samples.
std::string FormatDetails(const FileReport& file, uint64_t seed);

// The table after a batch: one row per file.
std::string FormatBatchTable(const RunReport& run);

// The one line for a file above the true-peak ceiling.
std::string CeilingLine(const FileReport& file, double ceiling);

} // namespace render
