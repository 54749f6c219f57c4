#pragma once
// The command line of tolvanger-render.

#include <optional>
#include <string>
#include <vector>

#include "tools/render/sample_format.h"

namespace render {

struct RenderOptions {
    std::string pluginPath;
    std::string input;
    std::string output;
    int block = 512;
    bool useDouble = false;
    bool keepLatency = false;
    std::vector<std::string> settings;
    std::string preset;
    std::string savePreset;
    bool listParams = false;
    std::optional<SampleFormat> format;
    std::string snapshot;
    bool quiet = false;
    bool help = false;
    bool version = false;

    bool rendersAudio() const { return !input.empty(); }
};

// Throws UsageError for anything it cannot take.
RenderOptions ParseOptions(int argc, const char* const* argv);

std::string HelpText();
// The program's name and release number, for --version.
std::string VersionText();

} // namespace render
