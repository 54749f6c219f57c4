#pragma once
// TVexlEffect: the four-band mastering processor, written against the script runtime.
// Its sections are the runtime's virtual operations; its variables are script values.

#include <type_traits>

#include "effect/band_path.h"
#include "effect/dsp_variables.h"
#include "effect/editor_variables.h"
#include "runtime/vexl.h"

class TVexlEffect : public TVexl {
public:
    TVexlEffect();
    ~TVexlEffect() override;

    void DoSlider() override;
    void DoBlock() override;
    void DoSample() override;
    void DoReset() override;
    void DoInit() override;
    void DoGraphics() override;
    void DoSerialize() override;

    // Turns the slider values into the band path's settings. The slider section runs it,
    // and so does the drawing section right after it changes a slider (any thread).
    void UpdateCoefficients();

    // Working copies of the host values.
    SharedValue srate;
    SharedValue numChannels;
    SharedValue samplesBlock;
    SharedValue tempo;
    SharedValue tsNum;
    SharedValue tsDenom;
    // The effect's copy of every slider value, refreshed by the slider section.
    SharedValue sliderValue[kSliderCount];
    // The serialization section's loop variable.
    SharedValue loopIndex;

    DspVariables dsp;
    EditorVariables editor;

private:
    // Working copies of the runtime's host values.
    void RefreshHostCopies() noexcept
    {
        srate = hostSampleRate;
        numChannels = hostInputs;
        samplesBlock = hostBlockSize;
        tempo = hostTempo;
        tsNum = hostTimeSigNumerator;
        tsDenom = hostTimeSigDenominator;
    }

    // Returns a channel whose band-path state went non-finite to its freshly started state.
    void RecoverNonFiniteChannels() noexcept;

    // The editor's layout and colour constants, set by the init section.
    void InitEditorConstants();
    void ResetVariables() noexcept;
    void DefineStrings();

    // The audio thread's addressing of the delay lines in script memory.
    DelayLineMemory lineMemory_{Memory()};
    // How often the init section ran; it numbers the delay-line epochs.
    uint64_t initCount_ = 0;
};
