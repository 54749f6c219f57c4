#pragma once
// The sample values: one script value per channel for the frame being processed.
// Only the audio thread touches them.

#include "runtime/sliders.h"

constexpr int kSampleValueCount = 64;

class CVexlSamples : public CVexlSliders {
public:
    virtual void DoBlock() {}
    virtual void DoSample() {}

    double sampleValues[kSampleValueCount] = {};

protected:
    CVexlSamples() = default;
    ~CVexlSamples() = default;
};
