// tolvanger-render: renders audio files through a VST 2.4 plug-in from the command line.

#include <cstdio>
#include <fstream>
#include <optional>

#include "tools/render/audio_file.h"
#include "tools/render/editor_snapshot.h"
#include "tools/render/interrupt.h"
#include "tools/render/loaded_plugin.h"
#include "tools/render/loudness.h"
#include "tools/render/options.h"
#include "tools/render/parameter_list.h"
#include "tools/render/parameter_setting.h"
#include "tools/render/pending_output.h"
#include "tools/render/preset_file.h"
#include "tools/render/render_error.h"
#include "tools/render/render_loop.h"
#include "tools/render/report.h"

namespace {

using namespace render;

void Note(const RenderOptions& options, const std::string& text)
{
    if (!options.quiet && !text.empty()) std::fprintf(stderr, "tolvanger-render: note: %s\n", text.c_str());
}

void WriteBytes(const PendingOutput& output, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(output.temporaryPath(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw RenderError("cannot write " + output.path());
}

std::string Summary(const RenderOptions& options, const RenderResult& result, int sampleRate)
{
    char text[512];
    const double seconds = static_cast<double>(result.frames) / sampleRate;
    const char* latency = result.latency == 0   ? "the plug-in reports no latency"
                          : options.keepLatency ? "latency kept in"
                                                : "latency taken out";
    std::snprintf(text, sizeof text, "%s -> %s: %.1f s at %d Hz; %s", options.input.c_str(), options.output.c_str(),
                  seconds, sampleRate, latency);
    std::string summary = text;
    if (result.latency != 0) summary += " (" + std::to_string(result.latency) + " samples)";
    return summary + "\n";
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

    // The files are checked before the plug-in loads, and every output place before any work.
    std::optional<AudioReader> reader;
    int outputFormat = 0;
    if (options.rendersAudio()) {
        reader.emplace(options.input);
        std::string note;
        outputFormat =
            ChooseOutputFormat(options.output, reader->format(), reader->sampleRate(), options.format, &note);
        Note(options, note);
    }
    LoadedPlugin plugin = LoadPlugin(options.pluginPath);
    hostkit::PluginInstance& instance = *plugin.instance;
    if (options.useDouble &&
        (!(plugin.effect()->flags & effFlagsCanDoubleReplacing) || !plugin.effect()->processDoubleReplacing))
        throw RenderError("the plug-in cannot process 64-bit samples; leave out --double");
    if (!options.savePreset.empty()) CheckPresetName(plugin.effect(), options.savePreset);

    std::optional<PendingOutput> audioOutput, presetOutput, pictureOutput;
    if (options.rendersAudio()) audioOutput.emplace(options.output);
    if (!options.savePreset.empty()) presetOutput.emplace(options.savePreset);
    if (!options.snapshot.empty()) pictureOutput.emplace(options.snapshot);

    const int sampleRate = reader ? reader->sampleRate() : 44100;
    instance.Start(static_cast<float>(sampleRate), options.block);
    if (!options.preset.empty()) LoadPreset(instance, options.preset);
    for (const std::string& setting : options.settings)
        Note(options, ApplySetting(instance, setting));
    if (options.listParams) std::fputs(ParameterListing(instance).c_str(), stdout);

    if (reader) {
        AudioWriter writer(audioOutput->temporaryPath(), options.output, outputFormat, sampleRate);
        LoudnessMeter inputMeter(static_cast<unsigned>(reader->channels()), static_cast<unsigned>(sampleRate));
        LoudnessMeter outputMeter(2, static_cast<unsigned>(sampleRate));
        const RenderSettings settings{options.block, options.useDouble, options.keepLatency};
        const RenderResult result = RenderAudio(instance, *reader, writer, settings, inputMeter, outputMeter);
        writer.Close();
        audioOutput->Commit();
        if (!options.quiet) {
            std::fputs(Summary(options, result, sampleRate).c_str(), stdout);
            std::fputs(FormatReport(inputMeter.Figures(), outputMeter.Figures(),
                                    static_cast<double>(result.frames) / sampleRate, result.wallSeconds)
                           .c_str(),
                       stdout);
        }
    }
    if (presetOutput) {
        WriteBytes(*presetOutput, EncodePreset(instance, options.savePreset));
        presetOutput->Commit();
    }
    if (pictureOutput) {
        const SnapshotOutcome outcome = SnapshotEditor(instance, pictureOutput->temporaryPath());
        if (outcome.written)
            pictureOutput->Commit();
        else
            std::fprintf(stderr, "tolvanger-render: no editor snapshot written: %s\n", outcome.note.c_str());
    }
    instance.Dispatch(effMainsChanged, 0, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const render::UsageError& error) {
        std::fprintf(stderr, "tolvanger-render: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tolvanger-render: %s\n", error.what());
        return 1;
    }
}
