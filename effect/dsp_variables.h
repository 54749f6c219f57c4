#pragma once
// The processing variables of the effect that more than one thread touches: constants
// from the init section, the coefficients of the slider section, the delay lines'
// layout, the meters and the mono state. Every one is a script value that the reset
// section sets to 0, so the structs below hold nothing but SharedValue (the reset walks
// them as one array of SharedValue). The band path's running state is in band_state.h.

#include "runtime/shared_value.h"

constexpr int kBandCount = 4;    // LO, LM, HM, HI
constexpr int kChannelCount = 2; // the two processed channels: left/right or mid/side
constexpr int kDelayLineCount = 16;

// A delay line in script memory: length + 1 slots from the base upward, so a line with
// read base = write base delays by exactly length samples. Its position is the audio
// thread's own (BandPathState in band_state.h).
struct DelayLine {
    SharedValue length;
    SharedValue writeBase;
    SharedValue readBase;
};

// The coefficients of the six one-poles that divide a channel into LO, LM, HM and HI
// (their states are the audio thread's own).
struct BandSplitter {
    SharedValue a80;
    SharedValue a600;
    SharedValue a6000;
};

// What the coefficient update hands one band's compressor.
struct BandCompSettings {
    SharedValue threshold; // effective threshold: band threshold minus knee, dB
    SharedValue attack;
    SharedValue release;
    SharedValue ratioFactor; // 1 - 1/ratio
    SharedValue knee;
    SharedValue active;
    // Below this linear level the band is not over the threshold (band_path.h).
    SharedValue belowThreshold;
};

// A channel's band-path settings. The states that carry from sample to sample (filters,
// detectors, envelopes, the silence hold) belong to the audio thread alone and live in
// BandPathState, stepped for all eight band-channels at once.
struct BandPathChannel {
    BandSplitter splitter;
    BandCompSettings compSettings[kBandCount];
    SharedValue transientAmount[kBandCount];
};

struct DspVariables {
    // One-pole constants c(t) = exp(-1/(t fs)) and the other rate-dependent values.
    SharedValue attack0005; // c(0.0005)
    SharedValue release002; // c(0.02)
    SharedValue attack005;  // c(0.05)
    SharedValue release01;  // c(0.1)
    SharedValue dbFactor;   // ln 10 / 20
    SharedValue meanSquareCoef;
    SharedValue monoBlockLimit;
    SharedValue silenceLimit;
    SharedValue lookahead;
    SharedValue latency;
    SharedValue punchCoef[kBandCount];
    // Lines 0-7: alignment delay per channel and band; 8-15: compressor lookahead.
    DelayLine lines[kDelayLineCount];

    // Coefficient update, per band.
    SharedValue threshold[kBandCount];
    SharedValue compActive[kBandCount];
    SharedValue makeupGain[kBandCount];
    SharedValue attackTime[kBandCount];
    SharedValue releaseTime[kBandCount];
    SharedValue knee[kBandCount];
    SharedValue ratio[kBandCount];
    SharedValue eqGain[kBandCount];
    SharedValue soloPass[kBandCount];
    SharedValue transientAmount[kBandCount];
    // Coefficient update, global.
    SharedValue inertia;
    SharedValue eqNorm;
    SharedValue inputGain;
    SharedValue outputGain;
    SharedValue balanceGain;
    SharedValue balanceInverse;
    SharedValue msMode;
    SharedValue punchOn;
    SharedValue mixLevelIn;
    SharedValue mixLevelOut;

    // Stereo frame and block section.
    SharedValue lastInputLeft;
    SharedValue lastInputRight;
    SharedValue sampleCounter;
    SharedValue monoInput;
    SharedValue monoCount;
    SharedValue compMeter[kChannelCount][kBandCount];
    SharedValue transientMeter[kBandCount];
    SharedValue reportedLatency;
    SharedValue playState; // playing + 4 * recording
    SharedValue musicalPosition;
    // Set by the init section to a number it has never used before, and 0 by the reset:
    // the audio thread compares it with the one its delay-line block pointers were taken
    // under, so pointers into a cleared memory are never used, and takes the init
    // section's clearing of the splitters and punch stages from it.
    SharedValue delayLineEpoch;

    BandPathChannel channel[kChannelCount];
};
