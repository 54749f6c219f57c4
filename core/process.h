#pragma once
// The audio entry every format shares: the slider changes made since the last call (the
// slider section runs here when there are any), the block section once, then per frame the
// inputs into the sample values, the sample section, and the sample values with the host's
// bypass (core/soft_bypass.h) into the outputs. One frame at a time, the inputs of a frame
// read before its outputs are written, so hosts may process in place. Called on the audio
// thread; never allocates, locks or waits.

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
        for (int32_t j = 0; j < frames; ++j) {
            const Sample left = in0[j];
            const Sample right = in1[j];
            values[0] = static_cast<double>(left);
            values[1] = static_cast<double>(right);
            effect.DoSample();
            bypass.Frame(left, right, values[0], values[1], out0[j], out1[j]);
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
