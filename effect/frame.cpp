#include "effect/band_path.h"
#include "effect/effect.h"

// Called on the audio thread, after the block section. Everything the frames read from
// the shared variables the block section copied for them; the frames themselves run in
// the kernel for this processor (band_kernel.h), and only what the next block section
// and the editor look at goes back to the shared variables, once per call.
template <typename Sample>
void TVexlEffect::RunFrames(const Sample* const* in, Sample* const* out, int32_t frames) noexcept
{
    FrameRun run;
    run.counter = dsp.sampleCounter;
    kernel_->For(in[0])(band, blockSettings_, lineSlots_, Memory().View(), in, out, frames, run);
    if (frames <= 0) return;
    dsp.sampleCounter = run.counter;
    dsp.lastInputLeft = run.lastInput[0];
    dsp.lastInputRight = run.lastInput[1];
    sampleValues[0] = run.lastOutput[0];
    sampleValues[1] = run.lastOutput[1];
}

// One frame, in and out through sample values 0 and 1.
void TVexlEffect::DoSample()
{
    const double* in[2] = {&sampleValues[0], &sampleValues[1]};
    double* out[2] = {&sampleValues[0], &sampleValues[1]};
    RunFrames(in, out, 1);
}

bool TVexlEffect::DoStereoFrames(const float* const* in, float* const* out, int32_t frames) noexcept
{
    RunFrames(in, out, frames);
    return true;
}

bool TVexlEffect::DoStereoFrames(const double* const* in, double* const* out, int32_t frames) noexcept
{
    RunFrames(in, out, frames);
    return true;
}
