#pragma once
// TVexl: the runtime object under every effect. Its virtual operations are the sections
// the runtime calls (slider, block and sample come from the classes below it).

#include <cstdint>

#include "runtime/mouse.h"

class TVexl : public CVexlMouse {
public:
    TVexl();
    virtual ~TVexl();

    virtual void DoReset();
    virtual void DoClose() {}
    virtual void DoSuspend() {}
    // Switching on: the init section, a clean start of the audio thread's state, and every
    // slider marked, so that the first block runs the slider section.
    virtual void DoResume();
    virtual void DoInit() {}
    virtual void DoInitOnce();
    virtual void DoGraphics() {}
    virtual void DoIdle();
    virtual void DoSerialize() {}
    virtual int32_t SetState(const void* data, int32_t byteCount, bool isPreset);
    virtual int32_t GetState(void** data, bool isPreset);
    // The mouse button went up: the editor's edit gestures end here, not at the next paint.
    virtual void EndEditGestures() {}
    // What the init section sets for the drawing section alone, for an editor that shows
    // values without processing.
    virtual void InitEditor() {}
    // The audio thread starts afresh at its next block (any thread).
    virtual void RequestCleanStart() noexcept {}
    // The delay the effect reports, in samples (0 before the init section ran).
    virtual int32_t LatencySamples() const noexcept { return 0; }

    // The audio thread, at the start of each processing call: the slider section runs when
    // some slider changed since the last call (runtime/sliders.h).
    void ApplySliderChanges() noexcept
    {
        if (TakeSliderChanges()) DoSlider();
    }

    uint32_t lastRedraw = 0;
    int32_t stateLoadCounter = 0;

    // The host values as the runtime last fetched them (the effect keeps working copies).
    SharedValue hostSampleRate;
    SharedValue hostInputs;
    SharedValue hostBlockSize;
    SharedValue hostTempo;
    SharedValue hostTimeSigNumerator;
    SharedValue hostTimeSigDenominator;

    // The state chunk: this marker, then the values of sliders 1 to kStateSliders, each a
    // float in the machine's order (little-endian on every platform built for).
    static constexpr float kStateMarker = -1000.0f;
    static constexpr int kStateSliders = 64;
};
