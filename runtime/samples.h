#pragma once
// The sample values: one script value per channel for the frame being processed.
// Only the audio thread touches them.

#include <cstdint>

#include "runtime/sliders.h"

constexpr int kSampleValueCount = 64;

class CVexlSamples : public CVexlSliders {
public:
    virtual void DoBlock() {}
    virtual void DoSample() {}
    // The sample section over a stereo block, for an effect that steps its frames itself:
    // each frame's inputs are read before its outputs are written. False: the caller runs
    // DoSample frame by frame.
    virtual bool DoStereoFrames(const float* const*, float* const*, int32_t) noexcept { return false; }
    virtual bool DoStereoFrames(const double* const*, double* const*, int32_t) noexcept { return false; }

    double sampleValues[kSampleValueCount] = {};

protected:
    CVexlSamples() = default;
    ~CVexlSamples() = default;
};
