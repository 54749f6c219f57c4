#pragma once
// The audio entry every format shares: the block section once, then the frames: a stereo
// effect that steps its frames itself takes the whole block at once; otherwise, per frame,
// the inputs into the sample values, the sample section, the sample values into the
// outputs. Either way the inputs of a frame are read before its outputs are written, so
// hosts may process in place. Called on the audio thread; never allocates.

#include <algorithm>
#include <cstdint>

#include "runtime/fp_mode.h"
#include "runtime/vexl.h"

template <typename In, typename Out>
void ProcessFrames(TVexl& effect, int channelCount, In inputs, Out outputs, int32_t frames) noexcept
{
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
        const Sample* const in[2] = {in0, in1};
        Sample* const out[2] = {out0, out1};
        if (effect.DoStereoFrames(in, out, frames)) return;
        for (int32_t j = 0; j < frames; ++j) {
            values[0] = static_cast<double>(in0[j]);
            values[1] = static_cast<double>(in1[j]);
            effect.DoSample();
            out0[j] = static_cast<Sample>(values[0]);
            out1[j] = static_cast<Sample>(values[1]);
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
