#include "tools/render/render_loop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "tools/render/interrupt.h"

namespace render {
namespace {

// What an offline host tells about its transport: playing from the start of the file.
VstTimeInfo TimeAt(int64_t frame, double sampleRate)
{
    VstTimeInfo info{};
    info.samplePos = static_cast<double>(frame);
    info.sampleRate = sampleRate;
    info.tempo = 120.0;
    info.ppqPos = static_cast<double>(frame) / sampleRate * info.tempo / 60.0;
    info.timeSigNumerator = 4;
    info.timeSigDenominator = 4;
    info.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid;
    if (frame == 0) info.flags |= kVstTransportChanged;
    return info;
}

// Non-finite samples become silence, counted, so that they reach neither the plug-in nor a file.
template <typename Sample> int64_t Silence(Sample* samples, std::size_t count)
{
    int64_t found = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(samples[i])) {
            samples[i] = Sample(0);
            ++found;
        }
    return found;
}

template <typename Sample>
RenderResult Render(hostkit::PluginInstance& plugin, AudioReader& reader, const RenderSink& sink,
                    const RenderSettings& settings, LoudnessMeter* inputMeter, LoudnessMeter& outputMeter)
{
    const int64_t total = reader.frames();
    const int channels = reader.channels();
    const auto block = static_cast<std::size_t>(settings.block);
    std::vector<Sample> fileIn(block * static_cast<std::size_t>(channels)), fileOut(block * 2);
    std::vector<Sample> left(block), right(block), outLeft(block), outRight(block);
    std::vector<int32_t> integers(sink.quantizer ? block * 2 : 0);
    Sample* inputs[2] = {left.data(), right.data()};
    Sample* outputs[2] = {outLeft.data(), outRight.data()};

    RenderResult result;
    const auto start = std::chrono::steady_clock::now();
    int64_t streamLength = total, fed = 0, written = 0, toDrop = 0;
    bool first = true;
    while (fed < streamLength) {
        StopIfInterrupted();
        const auto frames =
            static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(block), streamLength - fed));
        const auto fromFile =
            static_cast<std::size_t>(std::clamp<int64_t>(total - fed, 0, static_cast<int64_t>(frames)));
        if (fromFile) {
            reader.Read(fileIn.data(), static_cast<int64_t>(fromFile));
            result.nonFiniteInput += Silence(fileIn.data(), fromFile * static_cast<std::size_t>(channels));
            if (inputMeter) inputMeter->Add(fileIn.data(), fromFile);
        }
        for (std::size_t i = 0; i < fromFile; ++i) {
            left[i] = fileIn[i * static_cast<std::size_t>(channels)];
            right[i] = fileIn[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channels - 1)];
        }
        std::fill(left.begin() + static_cast<std::ptrdiff_t>(fromFile), left.end(), Sample(0));
        std::fill(right.begin() + static_cast<std::ptrdiff_t>(fromFile), right.end(), Sample(0));

        plugin.SetTimeInfo(TimeAt(fed, reader.sampleRate()));
        plugin.Process(inputs, outputs, static_cast<int32_t>(frames));
        // The helper keeps a record of every call the plug-in makes; a long file needs none.
        plugin.ClearCalls();
        if (first) {
            first = false;
            result.latency = std::max(0, plugin.InitialDelay());
            if (!settings.keepLatency) {
                streamLength = total + result.latency;
                toDrop = result.latency;
            }
        }

        const auto skip = static_cast<std::size_t>(std::min<int64_t>(toDrop, static_cast<int64_t>(frames)));
        toDrop -= static_cast<int64_t>(skip);
        const auto keep =
            static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(frames - skip), total - written));
        for (std::size_t i = 0; i < keep; ++i) {
            fileOut[2 * i] = outLeft[skip + i];
            fileOut[2 * i + 1] = outRight[skip + i];
        }
        if (keep) {
            if (settings.gain != 1.0)
                for (std::size_t i = 0; i < 2 * keep; ++i)
                    fileOut[i] = static_cast<Sample>(fileOut[i] * settings.gain);
            result.nonFiniteOutput += Silence(fileOut.data(), 2 * keep);
            outputMeter.Add(fileOut.data(), keep);
            if (sink.quantizer) {
                sink.quantizer->Convert(fileOut.data(), integers.data(), keep);
                sink.writer->Write(integers.data(), static_cast<int64_t>(keep));
            } else if (sink.writer) {
                sink.writer->Write(fileOut.data(), static_cast<int64_t>(keep));
            }
            written += static_cast<int64_t>(keep);
            if (sink.progress) sink.progress(static_cast<int64_t>(keep));
        }
        fed += static_cast<int64_t>(frames);
    }
    result.frames = written;
    if (sink.quantizer) result.clipped = sink.quantizer->clipped();
    result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

} // namespace

RenderResult RenderAudio(hostkit::PluginInstance& plugin, AudioReader& reader, const RenderSink& sink,
                         const RenderSettings& settings, LoudnessMeter* inputMeter, LoudnessMeter& outputMeter)
{
    if (settings.useDouble) return Render<double>(plugin, reader, sink, settings, inputMeter, outputMeter);
    return Render<float>(plugin, reader, sink, settings, inputMeter, outputMeter);
}

} // namespace render
