#pragma once
// The command line of tolvanger-render.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/sample_format.h"

namespace render {

// How integer output is made from the processed signal.
enum class DitherKind { None, Tpdf, Shaped };

struct RenderOptions {
    std::string pluginPath;
    // One input and `output` (the original form), or several inputs and `outputDir`.
    std::vector<std::string> inputs;
    std::string output;
    std::string outputDir;
    std::string outputPattern = "{stem}.{ext}";
    unsigned jobs = 0; // 0: one per core
    int block = 512;
    bool useDouble = false;
    bool keepLatency = false;
    std::vector<std::string> settings;
    std::string preset;
    std::string savePreset;
    bool listParams = false;
    bool listPresets = false;
    std::optional<SampleFormat> format;
    std::optional<DitherKind> dither; // default: TPDF for 16- and 24-bit output
    uint64_t seed = 1;
    std::optional<double> targetLufs;
    std::optional<double> truePeakMax; // default -1 dBTP when a target is given
    bool album = false;
    bool strict = false;
    std::string reportJson;
    std::string plot;
    std::string snapshot;
    bool quiet = false;
    bool help = false;
    bool version = false;

    bool rendersAudio() const { return !inputs.empty(); }
    // Several inputs into a folder, with the batch's progress bar and summary table.
    bool batch() const { return !outputDir.empty(); }
};

// Throws UsageError for anything it cannot take.
RenderOptions ParseOptions(int argc, const char* const* argv);

std::string HelpText();
// The program's name and release number, for --version.
std::string VersionText();

} // namespace render
