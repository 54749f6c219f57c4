#include <algorithm>
#include <cmath>

#include "effect/effect.h"
#include "runtime/host_services.h"

// Called on the audio thread once per processing call, before its first frame.
void TVexlEffect::DoBlock()
{
    RecoverNonFiniteChannels();

    const double latency = dsp.latency;
    if (!(std::fabs(latency - dsp.reportedLatency) < 0.00001)) {
        dsp.reportedLatency = latency;
        HostSetLatency(hostObject, ToIndex(latency));
    }

    // The transport is read for the script's sake; the processing does not use it.
    double hostTempoNow = hostTempo;
    double numerator = hostTimeSigNumerator;
    double denominator = hostTimeSigDenominator;
    HostTempoAndSignature(hostObject, &hostTempoNow, &numerator, &denominator);
    hostTempo = hostTempoNow;
    hostTimeSigNumerator = numerator;
    hostTimeSigDenominator = denominator;
    const double playing = HostPlaying(hostObject);
    const double recording = HostRecording(hostObject);
    dsp.playState = playing + 4.0 * recording;
    dsp.musicalPosition = HostMusicalPosition(hostObject);
    RefreshHostCopies();

    // The meters keep the lowest gain seen at block starts since the editor last took them.
    const bool monoInput = IsOn(dsp.monoInput);
    for (int c = 0; c < kChannelCount; ++c) {
        if (c == 1 && monoInput) break;
        for (int b = 0; b < kBandCount; ++b) {
            SharedValue& meter = dsp.compMeter[c][b];
            const double lowest = std::min(static_cast<double>(meter), 1.0 / dsp.channel[c].compressor[b].gainDivisor);
            meter = std::isfinite(lowest) ? lowest : 1.0;
        }
    }
    for (int b = 0; b < kBandCount; ++b) {
        const double activity = std::max(std::fabs(dsp.channel[0].shaper[b].transientGain),
                                         std::fabs(dsp.channel[1].shaper[b].transientGain));
        const double meter = std::min(dsp.transientMeter[b] + 0.001, 1.0 / (1.0 + activity));
        dsp.transientMeter[b] = std::isfinite(meter) ? meter : 1.0;
    }

    // Mono detection on the last frame of the previous block; a silent left channel
    // says nothing either way.
    const double left = dsp.lastInputLeft;
    const double right = dsp.lastInputRight;
    if (!IsOn(left)) return;
    if (!IsOn(left - right)) {
        dsp.monoCount = std::min(dsp.monoCount + 1.0, static_cast<double>(dsp.monoBlockLimit));
    } else {
        const double count = dsp.monoCount - 1.0;
        dsp.monoCount = std::max(count, 0.0);
        if (count <= 0.0) dsp.monoInput = 0.0;
    }
    if (std::fabs(dsp.monoCount - dsp.monoBlockLimit) < 0.00001) dsp.monoInput = 1.0;
}
