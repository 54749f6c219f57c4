#pragma once
// An instance made by the library's own creation function and driven through its
// AEffect record the way a host drives it, with the effect object at hand for what no
// host sees: coefficients, meters and detector states.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "core/plugin.h"
#include "effect/effect.h"
#include "vst2/instance.h"
#include "vst2/vest.h"

namespace testing_support {

// What audioMasterGetTime answers for linked instances; none unless a test sets it.
inline std::optional<VstTimeInfo>& LinkedTimeInfo()
{
    static std::optional<VstTimeInfo> info;
    return info;
}

inline intptr_t LinkedHostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime && LinkedTimeInfo()) return reinterpret_cast<intptr_t>(&*LinkedTimeInfo());
    return 0;
}

class LinkedEffect {
public:
    // Opened, at the given rate and block size, mains on, with the band path on the
    // instruction-set path asked for.
    explicit LinkedEffect(float rate = 44100.0f, int32_t block = 512, SimdPath path = SimdPath::kBest)
    {
        aeffect_ = CreatePluginInstance(LinkedHostCallback);
        if (!aeffect_) {
            ADD_FAILURE() << "no instance";
            return;
        }
        effect().RequestSimdPath(path);
        Dispatch(effOpen);
        Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        Dispatch(effSetBlockSize, 0, block);
        Dispatch(effMainsChanged, 0, 1);
        TakeChanges();
    }
    ~LinkedEffect()
    {
        if (aeffect_) Dispatch(effClose);
    }
    LinkedEffect(const LinkedEffect&) = delete;
    LinkedEffect& operator=(const LinkedEffect&) = delete;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return aeffect_->dispatcher(aeffect_, opcode, index, value, ptr, opt);
    }

    // Mains off, a new rate, mains on: the init and slider sections run again.
    void Restart(float rate)
    {
        Dispatch(effMainsChanged, 0, 0);
        Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        Dispatch(effMainsChanged, 0, 1);
        TakeChanges();
    }

    // What the next processing call does first: the slider changes made since the last one
    // taken up, and the slider section run for them (this thread plays the audio thread).
    void TakeChanges() { effect().ApplySliderChanges(); }

    AEffect* aeffect() const { return aeffect_; }
    TVexlEffect& effect() const
    {
        return *dynamic_cast<TVexlEffect*>(&static_cast<CVeST*>(aeffect_->object)->plugin->Runtime());
    }
    DspVariables& dsp() const { return effect().dsp; }
    // The band path's running state, as the last processing call left it.
    const BandPathState& band() const { return effect().band; }
    double Slider(int number) const { return effect().sliderValues[number]; }

    // Sets a slider through its host parameter, normalised as a host would send it, and takes
    // the change up as the next processing call would.
    void SetSlider(int number, double value)
    {
        const auto& defs = effect().sliderDefs;
        for (size_t index = 0; index < defs.size(); ++index) {
            if (defs[index].number != number) continue;
            const double x = (value - defs[index].minimum) / (defs[index].maximum - defs[index].minimum);
            aeffect_->setParameter(aeffect_, static_cast<int32_t>(index), static_cast<float>(x));
            TakeChanges();
            return;
        }
        ADD_FAILURE() << "no slider " << number;
    }

    // Processes in place, in calls of at most `block` frames.
    template <typename Sample> void Process(std::vector<Sample>& left, std::vector<Sample>& right, int block = 512)
    {
        const int frames = static_cast<int>(std::min(left.size(), right.size()));
        for (int start = 0; start < frames; start += block) {
            const int n = std::min(block, frames - start);
            Sample* channels[2] = {left.data() + start, right.data() + start};
            if constexpr (sizeof(Sample) == sizeof(double))
                aeffect_->processDoubleReplacing(aeffect_, channels, channels, n);
            else
                aeffect_->processReplacing(aeffect_, channels, channels, n);
        }
    }

    // A call with no frames: the block section alone, which takes up what the init and
    // reset sections asked of the band path.
    void ProcessNothing()
    {
        double* channels[2] = {nullptr, nullptr};
        aeffect_->processDoubleReplacing(aeffect_, channels, channels, 0);
    }

    // One frame through the double entry (its own call, so the block section runs too).
    std::pair<double, double> ProcessFrame(double left, double right)
    {
        double l = left, r = right;
        double* channels[2] = {&l, &r};
        aeffect_->processDoubleReplacing(aeffect_, channels, channels, 1);
        return {l, r};
    }

private:
    AEffect* aeffect_ = nullptr;
};

// Bands by name, as the processor indexes them.
enum Band { LO = 0, LM = 1, HM = 2, HI = 3 };

// Slider numbers.
namespace slider {
constexpr int kCompress = 1; // + band
constexpr int kCompressor = 5;
constexpr int kTransient = 6; // + band
constexpr int kTransientSwitch = 10;
constexpr int kGain = 11; // + band
constexpr int kEq = 15;
constexpr int kSolo = 16;   // + band
constexpr int kBypass = 20; // + band
constexpr int kInertia = 30;
constexpr int kPunch = 31;
constexpr int kBalance = 32;
constexpr int kStereoMs = 33;
constexpr int kMixLevel = 34;
constexpr int kInput = 40;
constexpr int kOutput = 41;
} // namespace slider

} // namespace testing_support
