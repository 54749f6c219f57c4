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

    uint32_t lastRedraw = 0;
    int32_t stateLoadCounter = 0;

    // The host values as the runtime last fetched them (the effect keeps working copies).
    SharedValue hostSampleRate;
    SharedValue hostInputs;
    SharedValue hostBlockSize;
    SharedValue hostTempo;
    SharedValue hostTimeSigNumerator;
    SharedValue hostTimeSigDenominator;

    static constexpr float kStateMarker = -1000.0f;
};
