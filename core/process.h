#pragma once
// The audio entry every format shares: the slider changes made since the last call (the
// slider section runs here when there are any), the block section once, then the frames: a
// stereo effect that steps its frames itself takes them a run at a time, otherwise each frame
// goes through the sample values and the sample section; then the host's bypass
// (core/soft_bypass.h) has each frame's input as the host gave it and the processed frame.
// The inputs of a run are kept before its outputs are written, so hosts may process in place.
// Called on the audio thread; never allocates, locks or waits.

#include <algorithm>
#include <cstdint>

#include "core/soft_bypass.h"
#include "runtime/fp_mode.h"
#include "runtime/vexl.h"

// The bypass is the stereo pair's, as every effect here is stereo; other channel counts play
// processed.
template <typename In, typename Out>
void ProcessFrames(TVexl& effect, int channelCount, In inputs, Out outputs, int32_t frames, SoftBypass& bypass) noexcept
{
    effect.ApplySliderChanges();
    ScopedDenormalGuard denormals;
    effect.DoBlock();
    if (frames <= 0 || !inputs || !outputs) return;
    double* values = effect.sampleValues;
    if (channelCount == 2) {
        const auto* in0 = inputs[0];
        const auto* in1 = inputs[1];
        auto* out0 = outputs[0];
        auto* out1 = outputs[1];
        if (!in0 || !in1 || !out0 || !out1) return;
        using Sample = std::remove_reference_t<decltype(*out0)>;
        // The bypass needs each frame's input as the host gave it, which processing in place
        // overwrites: the frames go in runs, their inputs kept aside first.
        constexpr int32_t kRun = 256;
        Sample dryLeft[kRun], dryRight[kRun];
        auto processRun = [&](const Sample* const* in, Sample* const* out, int32_t n) {
            if (effect.DoStereoFrames(in, out, n)) return;
            for (int32_t j = 0; j < n; ++j) {
                values[0] = static_cast<double>(in[0][j]);
                values[1] = static_cast<double>(in[1][j]);
                effect.DoSample();
                out[0][j] = static_cast<Sample>(values[0]);
                out[1][j] = static_cast<Sample>(values[1]);
            }
        };
        for (int32_t start = 0; start < frames; start += kRun) {
            const int32_t n = std::min(kRun, frames - start);
            Sample* const out[2] = {out0 + start, out1 + start};
            if (bypass.Resting()) {
                // The common case: the input into the bypass's line, then processed as it is.
                bypass.Feed(in0 + start, in1 + start, n);
                const Sample* const in[2] = {in0 + start, in1 + start};
                processRun(in, out, n);
                continue;
            }
            std::copy_n(in0 + start, n, dryLeft);
            std::copy_n(in1 + start, n, dryRight);
            const Sample* const dry[2] = {dryLeft, dryRight};
            processRun(dry, out, n);
            for (int32_t j = 0; j < n; ++j)
                bypass.Frame(dryLeft[j], dryRight[j], static_cast<double>(out[0][j]), static_cast<double>(out[1][j]),
                             out[0][j], out[1][j]);
        }
        return;
    }
    const int channels = std::clamp(channelCount, 0, kSampleValueCount);
    for (int c = 0; c < channels; ++c)
        if (!inputs[c] || !outputs[c]) return;
    for (int32_t j = 0; j < frames; ++j) {
        for (int c = channels - 1; c >= 0; --c)
            values[c] = static_cast<double>(inputs[c][j]);
        effect.DoSample();
        for (int c = channels - 1; c >= 0; --c)
            outputs[c][j] = static_cast<std::remove_reference_t<decltype(outputs[c][j])>>(values[c]);
    }
}
