#include "tools/render/mastering.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>

#include "tools/render/audio_file.h"
#include "tools/render/dither.h"
#include "tools/render/interrupt.h"
#include "tools/render/job_pool.h"
#include "tools/render/loudness_plot.h"
#include "tools/render/parameter_setting.h"
#include "tools/render/pending_output.h"
#include "tools/render/preset_file.h"
#include "tools/render/render_error.h"
#include "tools/render/render_loop.h"

namespace render {
namespace {

// A target counts as reached within this: more than half the Output parameter's step
// (0.1 dB), less than the 0.1 LU promised to the user.
constexpr double kLandingTolerance = 0.07;
constexpr int kMostCorrections = 2;

std::optional<double> DisplayedNumber(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value)) return std::nullopt;
    return value;
}

int FindOutputParameter(hostkit::PluginInstance& instance)
{
    for (int i = 0; i < instance.effect()->numParams; ++i)
        if (instance.ParameterName(i) == "Output" && DisplayedNumber(instance.ParameterDisplay(i))) return i;
    return -1;
}

} // namespace

std::vector<ParameterText> ParameterTexts(hostkit::PluginInstance& instance)
{
    std::vector<ParameterText> texts;
    for (int i = 0; i < instance.effect()->numParams; ++i)
        texts.push_back({instance.ParameterName(i), instance.ParameterDisplay(i), instance.ParameterLabel(i)});
    return texts;
}

Mastering::Mastering(const RenderOptions& options, const LoadedPlugin& plugin, std::vector<std::string>* notes)
    : options_(options), plugin_(plugin)
{
    settings_ = plugin.NewInstance();
    if (options.useDouble &&
        (!(settings_->effect()->flags & effFlagsCanDoubleReplacing) || !settings_->effect()->processDoubleReplacing))
        throw RenderError("the plug-in cannot process 64-bit samples; leave out --double");
    jobs_ = options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    settings_->Start(44100.0f, options.block);
    if (!options.preset.empty()) {
        preset_ = ResolvePreset(options.preset);
        LoadPreset(*settings_, *preset_);
    }
    for (const std::string& setting : options.settings)
        if (std::string note = ApplySetting(*settings_, setting); !note.empty() && notes) notes->push_back(note);

    if (options.targetLufs) {
        outputIndex_ = FindOutputParameter(*settings_);
        if (outputIndex_ >= 0) {
            // The range as the plug-in shows it, read on an instance of its own.
            auto probe = plugin.NewInstance();
            probe->Start(44100.0f, options.block);
            probe->SetParameter(outputIndex_, 0.0f);
            outputLowest_ = DisplayedNumber(probe->ParameterDisplay(outputIndex_)).value_or(0.0);
            probe->SetParameter(outputIndex_, 1.0f);
            outputHighest_ = DisplayedNumber(probe->ParameterDisplay(outputIndex_)).value_or(0.0);
            outputBase_ = *DisplayedNumber(settings_->ParameterDisplay(outputIndex_));
            if (outputLowest_ > outputHighest_) std::swap(outputLowest_, outputHighest_);
        }
    }
}

std::unique_ptr<hostkit::PluginInstance> Mastering::Configured(int sampleRate) const
{
    auto instance = plugin_.NewInstance();
    instance->Start(static_cast<float>(sampleRate), options_.block);
    // The same steps as on the checked instance, so that every job's instance is set alike.
    if (preset_) LoadPreset(*instance, *preset_);
    for (const std::string& setting : options_.settings)
        ApplySetting(*instance, setting);
    return instance;
}

GainApplied Mastering::ApplyGain(hostkit::PluginInstance& instance, double db) const
{
    GainApplied gain;
    gain.db = db;
    if (!options_.targetLufs) return gain;
    double rest = db;
    if (outputIndex_ >= 0) {
        const double wanted = std::clamp(outputBase_ + db, outputLowest_, outputHighest_);
        char setting[64];
        std::snprintf(setting, sizeof setting, "%d=%.4f", outputIndex_, wanted);
        ApplySetting(instance, setting);
        gain.hasPluginOutput = true;
        gain.pluginOutputDb = DisplayedNumber(instance.ParameterDisplay(outputIndex_)).value_or(wanted);
        // What lies beyond the parameter's range goes to the renderer's stage; the rounding to
        // the parameter's own step is left as it is, so that a saved preset is the whole story.
        rest = outputBase_ + db - wanted;
    }
    gain.rendererDb = std::abs(rest) > 1e-9 ? rest : 0.0;
    gain.db = (gain.hasPluginOutput ? gain.pluginOutputDb - outputBase_ : 0.0) + gain.rendererDb;
    const bool plugin = gain.hasPluginOutput && std::abs(gain.pluginOutputDb - outputBase_) > 1e-9;
    const bool renderer = gain.rendererDb != 0.0;
    gain.stage = plugin && renderer ? "plugin+renderer" : plugin ? "plugin" : renderer ? "renderer" : "none";
    return gain;
}

void Mastering::RenderFile(std::size_t index, FileReport& report, double gainDb, bool write,
                           std::unique_ptr<LoudnessMeter>* keptMeter, ProgressBar& progress)
{
    const auto start = std::chrono::steady_clock::now();
    AudioReader reader(report.plan.input);
    const int rate = reader.sampleRate();
    int format = 0;
    if (write) {
        std::string note;
        format = ChooseOutputFormat(report.plan.output, reader.format(), rate, options_.format, &note);
        if (!note.empty()) report.notes.push_back(note);
    }
    auto instance = Configured(rate);
    const GainApplied gain = ApplyGain(*instance, gainDb);

    // The input is the same in every pass, so the first measures it; of the output, a pass
    // that only measures needs the integrated loudness for the gain, and the pass that writes
    // gives every figure. The true peak's oversampling is most of a meter's cost.
    const bool plot = !report.plan.plot.empty();
    std::optional<LoudnessMeter> inputMeter;
    if (!report.inputMeasured)
        inputMeter.emplace(static_cast<unsigned>(reader.channels()), static_cast<unsigned>(rate), plot);
    auto outputMeter = std::make_unique<LoudnessMeter>(2, static_cast<unsigned>(rate), write && plot,
                                                       write ? LoudnessMeter::Measures::Everything
                                                             : LoudnessMeter::Measures::IntegratedOnly);
    RenderSettings settings{options_.block, options_.useDouble, options_.keepLatency,
                            std::pow(10.0, gain.rendererDb / 20.0)};

    std::optional<PendingOutput> output;
    std::optional<AudioWriter> writer;
    std::optional<Quantizer> quantizer;
    RenderSink sink;
    sink.progress = [&progress](int64_t frames) { progress.AddWork(frames); };
    const int bits = DitheredBits(format);
    const DitherKind dither = bits ? options_.dither.value_or(DitherKind::Tpdf) : DitherKind::None;
    if (write) {
        output.emplace(report.plan.output);
        writer.emplace(output->temporaryPath(), report.plan.output, format, rate);
        sink.writer = &*writer;
        if (bits) {
            quantizer.emplace(bits, dither, options_.seed);
            sink.quantizer = &*quantizer;
        }
    }
    const RenderResult result =
        RenderAudio(*instance, reader, sink, settings, inputMeter ? &*inputMeter : nullptr, *outputMeter);
    if (options_.strict && result.nonFiniteInput > 0)
        throw RenderError("the input holds " + std::to_string(result.nonFiniteInput) +
                          " non-finite samples (NaN or infinity); without --strict they are rendered as silence");

    report.sampleRate = rate;
    report.frames = result.frames;
    report.latency = result.latency;
    if (inputMeter) {
        report.input = inputMeter->Figures();
        report.inputTrace = inputMeter->trace();
        report.inputMeasured = true;
    }
    report.output = outputMeter->Figures();
    report.gain = gain;
    report.clipped = result.clipped;
    report.nonFiniteInput = result.nonFiniteInput;
    report.nonFiniteOutput = result.nonFiniteOutput;
    report.dither = dither;
    report.bits = bits;
    report.renderSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (write) {
        writer->Close();
        report.overCeiling = options_.truePeakMax && report.output.truePeak > *options_.truePeakMax + 1e-9;
        if (!(report.overCeiling && options_.strict)) {
            output->Commit();
            report.written = true;
        }
        report.parameters = ParameterTexts(*instance);
        report.outputTrace = outputMeter->trace();
        if (!report.plan.plot.empty()) WritePlot(report);
        // Only the first file's job writes this, and the main thread reads it after the jobs.
        if (index == 0) rendered_ = std::move(instance);
    }
    if (keptMeter) *keptMeter = std::move(outputMeter);
}

// Drawn by the job that rendered the file, so that a batch's pictures are drawn side by side
// rather than one after another at the end. Its folder is made as --output-dir is; a picture
// that cannot be written is noted on the file and does not fail the master.
void Mastering::WritePlot(FileReport& report) const
{
    report.plotWritten = false;
    report.plotError.clear();
    try {
        const std::filesystem::path folder = std::filesystem::path(report.plan.plot).parent_path();
        std::error_code error;
        if (!folder.empty()) std::filesystem::create_directories(folder, error);
        if (error) throw RenderError("cannot make the folder " + folder.string() + ": " + error.message());
        PendingOutput plot(report.plan.plot);
        DrawLoudnessPlot(report, options_.targetLufs, options_.truePeakMax, plot.temporaryPath());
        plot.Commit();
        report.plotWritten = true;
    } catch (const RenderError& error) {
        report.plotError = error.what();
    }
}

void Mastering::RunPass(std::vector<FileReport>& reports, const std::vector<double>& gains, bool write,
                        std::vector<std::unique_ptr<LoudnessMeter>>* meters, ProgressBar& progress)
{
    RunTasks(
        reports.size(), jobs_,
        [&](std::size_t k) {
            const std::size_t i = order_[k];
            FileReport& report = reports[i];
            if (!report.error.empty()) return;
            try {
                RenderFile(i, report, gains[i], write, meters ? &(*meters)[i] : nullptr, progress);
            } catch (const InterruptedError& error) {
                report.error = error.what();
            } catch (const std::exception& error) {
                report.error = error.what();
            }
            if (write) progress.FileDone();
        },
        progress);
}

RunReport Mastering::Run(const std::vector<FilePlan>& plans)
{
    RunReport run;
    run.parameters = ParameterTexts(*settings_);
    for (const FilePlan& plan : plans) {
        run.files.emplace_back();
        run.files.back().plan = plan;
    }

    int64_t frames = 0;
    double seconds = 0.0;
    std::vector<int64_t> lengths(plans.size(), 0);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        SF_INFO info{};
        if (SNDFILE* file = sf_open(plans[i].input.c_str(), SFM_READ, &info)) {
            sf_close(file);
            lengths[i] = info.frames;
            frames += info.frames;
            if (info.samplerate > 0) seconds += static_cast<double>(info.frames) / info.samplerate;
        }
    }
    order_.resize(plans.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    std::stable_sort(order_.begin(), order_.end(),
                     [&](std::size_t a, std::size_t b) { return lengths[a] > lengths[b]; });
    const int passes = options_.targetLufs ? 2 : 1;
    ProgressBar progress(frames * passes, static_cast<int>(plans.size()), seconds);
    std::vector<double> gains(plans.size(), 0.0);
    if (!options_.targetLufs) {
        RunPass(run.files, gains, true, nullptr, progress);
        progress.Finish();
        return run;
    }

    const double target = *options_.targetLufs;
    std::vector<std::unique_ptr<LoudnessMeter>> meters(plans.size());
    // The loudness the gains were chosen from: each file's own, or the album's.
    auto measured = [&]() {
        std::vector<double> loudness(plans.size(), -HUGE_VAL);
        if (options_.album) {
            std::vector<const LoudnessMeter*> all;
            for (std::size_t i = 0; i < plans.size(); ++i)
                if (run.files[i].error.empty() && meters[i]) all.push_back(meters[i].get());
            const double together = LoudnessMeter::IntegratedTogether(all);
            run.albumLoudness = together;
            run.hasAlbumLoudness = std::isfinite(together);
            loudness.assign(plans.size(), together);
        } else {
            for (std::size_t i = 0; i < plans.size(); ++i)
                if (meters[i]) loudness[i] = meters[i]->Figures().integrated;
        }
        return loudness;
    };

    RunPass(run.files, gains, false, &meters, progress);
    for (int attempt = 0; attempt <= kMostCorrections && !Interrupted(); ++attempt) {
        const std::vector<double> loudness = measured();
        bool again = false;
        for (std::size_t i = 0; i < plans.size(); ++i) {
            if (!run.files[i].error.empty()) continue;
            if (!std::isfinite(loudness[i])) {
                run.files[i].error = "the output is silent to the loudness meter; no target can be reached";
                continue;
            }
            if (attempt == 0 || std::abs(loudness[i] - target) > kLandingTolerance) {
                gains[i] += target - loudness[i];
                again = true;
            }
        }
        if (!again) break;
        RunPass(run.files, gains, true, &meters, progress);
    }
    measured();
    progress.Finish();
    return run;
}

} // namespace render
