#pragma once
// TVexlEffect: the four-band mastering processor, written against the script runtime.
// Its sections are the runtime's virtual operations; its variables are script values.

#include <type_traits>

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
    // The editor's layout and colour constants, set by the init section.
    void InitEditorConstants();
    void ResetVariables() noexcept;
    void DefineStrings();
};
