#pragma once
// What the editor reads from the processor it belongs to when the host hands it the
// processor's instance (the LV2 instance-access feature): the processor's LV2 handle
// points at a MeterSource. The editor library calls only the function in it, so the code
// that touches the processor's effect is the processor library's own.

#include <cstdint>

#include "effect/dsp_variables.h"

struct MeterReading {
    // The lowest gain of each compressor since the previous reading, per processed channel.
    double compression[kChannelCount][kBandCount];
    double transient[kBandCount];
    // 1 while the processor takes its input for mono.
    double monoInput;
};

struct MeterSource {
    static constexpr uint32_t kMagic = 0x544C4D53; // "TLMS"

    uint32_t magic = kMagic;
    // Fills `reading` and starts the compression meters afresh, as the editor does once it
    // has drawn them. The editor's thread, while the processor runs.
    void (*take)(MeterSource* source, MeterReading* reading) = nullptr;
};
