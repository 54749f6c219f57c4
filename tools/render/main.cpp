// tolvanger-render: renders audio files through a VST 2.4 plug-in from the command line.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "tools/render/audio_file.h"
#include "tools/render/editor_snapshot.h"
#include "tools/render/interrupt.h"
#include "tools/render/loaded_plugin.h"
#include "tools/render/mastering.h"
#include "tools/render/options.h"
#include "tools/render/output_plan.h"
#include "tools/render/parameter_list.h"
#include "tools/render/pending_output.h"
#include "tools/render/preset_file.h"
#include "tools/render/render_error.h"
#include "tools/render/report.h"
#include "tools/render/report_json.h"

namespace {

using namespace render;

constexpr int kFailed = 1, kOverCeiling = 3, kInterrupted = 130;

void Note(const RenderOptions& options, const std::string& text)
{
    if (!options.quiet && !text.empty()) std::fprintf(stderr, "tolvanger-render: note: %s\n", text.c_str());
}

void WriteBytes(PendingOutput& output, const std::string& bytes)
{
    std::ofstream file(output.temporaryPath(), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw RenderError("cannot write " + output.path());
    output.Commit();
}

std::string Summary(const RenderOptions& options, const FileReport& file)
{
    char text[512];
    const double seconds = static_cast<double>(file.frames) / file.sampleRate;
    const char* latency = file.latency == 0     ? "the plug-in reports no latency"
                          : options.keepLatency ? "latency kept in"
                                                : "latency taken out";
    std::snprintf(text, sizeof text, "%s -> %s: %.1f s at %d Hz; %s", file.plan.input.c_str(), file.plan.output.c_str(),
                  seconds, file.sampleRate, latency);
    std::string summary = text;
    if (file.latency != 0) summary += " (" + std::to_string(file.latency) + " samples)";
    return summary + "\n";
}

PluginIdentity Identify(const LoadedPlugin& plugin, hostkit::PluginInstance& instance)
{
    return PluginIdentity{plugin.path(), instance.TextOpcode(effGetEffectName), instance.TextOpcode(effGetVendorString),
                          static_cast<int>(instance.Dispatch(effGetVendorVersion))};
}

int Run(int argc, const char* const* argv)
{
    CatchInterrupts();
    const RenderOptions options = ParseOptions(argc, argv);
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    }
    if (options.listPresets) {
        std::fputs(PresetListing().c_str(), stdout);
        // Listing the presets alone needs no plug-in.
        if (!options.rendersAudio() && !options.listParams && options.savePreset.empty() && options.snapshot.empty() &&
            options.preset.empty())
            return 0;
    }

    // Nothing is written where it would replace an input, and a single file is checked before
    // the plug-in loads.
    const std::vector<FilePlan> plans = PlanFiles(options);
    RefuseOverwritingInputs(options, plans);
    if (options.rendersAudio() && !options.batch()) {
        AudioReader reader(options.inputs[0]);
        ChooseOutputFormat(options.output, reader.format(), reader.sampleRate(), options.format, nullptr);
    }
    LoadedPlugin plugin(options.pluginPath);
    std::vector<std::string> notes;
    Mastering mastering(options, plugin, &notes);
    for (const std::string& note : notes)
        Note(options, note);
    if (!options.savePreset.empty()) CheckPresetName(mastering.settingsInstance().effect(), options.savePreset);
    if (options.batch()) {
        std::error_code error;
        std::filesystem::create_directories(options.outputDir, error);
        if (error) throw RenderError("cannot make the folder " + options.outputDir + ": " + error.message());
    }

    // Every other output place is tried before any work.
    std::optional<PendingOutput> presetOutput, pictureOutput, reportOutput;
    if (!options.savePreset.empty()) presetOutput.emplace(options.savePreset);
    if (!options.snapshot.empty()) pictureOutput.emplace(options.snapshot);
    if (!options.reportJson.empty()) reportOutput.emplace(options.reportJson);
    if (options.listParams) std::fputs(ParameterListing(mastering.settingsInstance()).c_str(), stdout);

    RunReport run;
    if (options.rendersAudio()) run = mastering.Run(plans);
    StopIfInterrupted();

    int status = 0;
    for (const FileReport& file : run.files) {
        for (const std::string& note : file.notes)
            Note(options, note);
        if (!file.error.empty()) {
            // A single file fails the run as any error does; a batch goes on and tells at the end.
            if (!options.batch()) throw RenderError(file.error);
            std::fprintf(stderr, "tolvanger-render: %s: %s\n", file.plan.input.c_str(), file.error.c_str());
            status = kFailed;
        } else if (!file.plotError.empty()) {
            // The master stands; only its picture is missing, which the exit status still tells.
            std::fprintf(stderr, "tolvanger-render: %s: no plot: %s\n", file.plan.input.c_str(),
                         file.plotError.c_str());
            status = kFailed;
        }
    }
    if (!options.quiet && options.rendersAudio()) {
        if (options.batch()) {
            std::fputs(FormatBatchTable(run).c_str(), stdout);
        } else {
            const FileReport& file = run.files[0];
            std::fputs(Summary(options, file).c_str(), stdout);
            std::fputs(FormatReport(file.input, file.output, static_cast<double>(file.frames) / file.sampleRate,
                                    file.renderSeconds)
                           .c_str(),
                       stdout);
            std::fputs(FormatDetails(file, options.seed).c_str(), stdout);
        }
    }
    for (const FileReport& file : run.files)
        if (file.error.empty() && file.overCeiling) {
            std::fprintf(stderr, "tolvanger-render: %s\n", CeilingLine(file, *options.truePeakMax).c_str());
            if (status == 0) status = kOverCeiling;
        }

    if (reportOutput)
        WriteBytes(*reportOutput, ReportJson(options, Identify(plugin, mastering.settingsInstance()), run));
    // The preset and the picture are of the instance the (first) file was rendered with,
    // when there was one, so that a target's Output setting is kept.
    std::unique_ptr<hostkit::PluginInstance> rendered = mastering.TakeRenderedInstance();
    hostkit::PluginInstance& instance = rendered ? *rendered : mastering.settingsInstance();
    if (presetOutput) {
        const std::vector<unsigned char> bytes = EncodePreset(instance, options.savePreset);
        WriteBytes(*presetOutput, std::string(bytes.begin(), bytes.end()));
    }
    if (pictureOutput) {
        const SnapshotOutcome outcome = SnapshotEditor(instance, pictureOutput->temporaryPath());
        if (outcome.written)
            pictureOutput->Commit();
        else
            std::fprintf(stderr, "tolvanger-render: no editor snapshot written: %s\n", outcome.note.c_str());
    }
    instance.Dispatch(effMainsChanged, 0, 0);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const render::UsageError& error) {
        std::fprintf(stderr, "tolvanger-render: %s\n", error.what());
        return 2;
    } catch (const render::InterruptedError& error) {
        std::fprintf(stderr, "tolvanger-render: %s\n", error.what());
        return kInterrupted;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tolvanger-render: %s\n", error.what());
        return kFailed;
    }
}
