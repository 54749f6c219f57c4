#pragma once
// The work on the files of one run: each rendered through its own configured instance of the
// plug-in, brought to a loudness target when one is asked for (per file, or with one gain
// for the whole album), dithered into integer files and checked against the true-peak ceiling.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/loaded_plugin.h"
#include "tools/render/loudness.h"
#include "tools/render/options.h"
#include "tools/render/output_plan.h"
#include "tools/render/preset_file.h"
#include "tools/render/progress_bar.h"

namespace render {

struct ParameterText {
    std::string name, display, label;
};

// Where the gain for a loudness target went.
struct GainApplied {
    double db = 0.0;           // the change for the target, in total
    double pluginOutputDb = 0; // the plug-in's Output parameter as rendered (when it has one)
    bool hasPluginOutput = false;
    double rendererDb = 0.0; // the renderer's own gain stage
    std::string stage = "none";
};

struct FileReport {
    FilePlan plan;
    std::string error; // why the file failed; empty when it was rendered
    // Why its --plot picture was not written; the master is written all the same.
    std::string plotError;
    bool plotWritten = false;
    bool overCeiling = false;
    bool written = false;
    int sampleRate = 0;
    int64_t frames = 0;
    int latency = 0;
    LoudnessFigures input{}, output{};
    bool inputMeasured = false; // by the first pass through the file
    std::vector<LoudnessPoint> inputTrace, outputTrace;
    GainApplied gain;
    int64_t clipped = 0, nonFiniteInput = 0, nonFiniteOutput = 0;
    DitherKind dither = DitherKind::None;
    int bits = 0;
    std::vector<ParameterText> parameters;
    double renderSeconds = 0.0;
    std::vector<std::string> notes;
};

struct RunReport {
    std::vector<FileReport> files;
    std::vector<ParameterText> parameters; // as set, before any gain
    double albumLoudness = 0.0;            // with --album
    bool hasAlbumLoudness = false;
};

class Mastering {
public:
    // Applies the settings once to an instance of its own, so that a bad preset or setting
    // fails here, before any file is touched; notes about them go to `notes`.
    Mastering(const RenderOptions& options, const LoadedPlugin& plugin, std::vector<std::string>* notes);

    // Renders every file with `jobs` at a time; a file that fails is reported in its entry
    // and the others go on, with a progress bar for the whole run.
    RunReport Run(const std::vector<FilePlan>& plans);

    // The instance whose settings were checked (for --list-params), and the one the first
    // file was finally rendered with (for --save-preset and --snapshot), when there was one.
    hostkit::PluginInstance& settingsInstance() { return *settings_; }
    std::unique_ptr<hostkit::PluginInstance> TakeRenderedInstance() { return std::move(rendered_); }

private:
    std::unique_ptr<hostkit::PluginInstance> Configured(int sampleRate) const;
    GainApplied ApplyGain(hostkit::PluginInstance& instance, double db) const;
    void RenderFile(std::size_t index, FileReport& report, double gainDb, bool write,
                    std::unique_ptr<LoudnessMeter>* keptMeter, ProgressBar& progress);
    void WritePlot(FileReport& report) const;
    void RunPass(std::vector<FileReport>& reports, const std::vector<double>& gains, bool write,
                 std::vector<std::unique_ptr<LoudnessMeter>>* meters, ProgressBar& progress);

    const RenderOptions& options_;
    const LoadedPlugin& plugin_;
    // The preset the settings start from, read once (options.preset), when there is one.
    std::optional<PresetSource> preset_;
    std::unique_ptr<hostkit::PluginInstance> settings_;
    std::unique_ptr<hostkit::PluginInstance> rendered_;
    // The Output parameter: its index, range and value as set (in dB), when the plug-in has one.
    int outputIndex_ = -1;
    double outputLowest_ = 0.0, outputHighest_ = 0.0, outputBase_ = 0.0;
    unsigned jobs_ = 1;
    // The files in the order the jobs take them: longest first, so that a long song is not
    // left to run alone at the end of a pass.
    std::vector<std::size_t> order_;
};

// The parameters of an instance as it shows them.
std::vector<ParameterText> ParameterTexts(hostkit::PluginInstance& instance);

} // namespace render
