#pragma once
// The slider values: 128 script values indexed by slider number. The host's parameter
// thread, the editor and state loading write them while the audio thread reads.

#include "runtime/shared_value.h"
#include "runtime/host_link.h"

constexpr int kSliderCount = 128;

class CVexlSliders : public CVexlVeST {
public:
    virtual void DoSlider() {}

    SharedValue sliderValues[kSliderCount];

protected:
    CVexlSliders() = default;
    ~CVexlSliders() = default;
};
