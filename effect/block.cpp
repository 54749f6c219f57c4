#include <algorithm>
#include <cmath>

#include "effect/effect.h"
#include "runtime/host_services.h"

void TVexlEffect::TakeRequests() noexcept
{
    // The reset section set every variable to 0; the band path's state follows here.
    const uint64_t resets = resetCount_.load(std::memory_order_acquire);
    if (resets != resetsTaken_) {
        resetsTaken_ = resets;
        band = BandPathState{};
        settingsStale_ = true;
    }
    bool clean = false;
    const uint64_t cleans = cleanStarts_.load(std::memory_order_acquire);
    if (cleans != cleanStartsTaken_) {
        cleanStartsTaken_ = cleans;
        clean = true;
    }
    // A new init since the last block: new line slots, and cleared splitters and punch
    // stages (switching on asks for a clean start besides). Epoch 0 (a reset and no init
    // since) takes the slots away.
    // Pairs with the init section's release: the regions it set aside are seen whole.
    const double epoch = dsp.delayLineEpoch.LoadAcquire();
    if (epoch != epochTaken_) {
        epochTaken_ = epoch;
        settingsStale_ = true;
        MapDelayLines(dsp.lines, epoch, Memory().View(), lineSlots_);
        if (epoch != 0.0) {
            for (int l = 0; l < kLaneCount; ++l) {
                band.inputPoles[l] = 0.0;
                band.residuePoles[l] = 0.0;
                band.punchGain[l] = 1.0;
            }
        }
    }
    if (clean) StartClean();
    kernel_ = KernelFor(static_cast<SimdPath>(chosenPath_.load(std::memory_order_relaxed)));
}

// Everything that carries over from one sample to the next goes back to where a freshly
// opened and switched-on instance has it, so a restart sounds like a first start.
void TVexlEffect::StartClean() noexcept
{
    settingsStale_ = true;
    band = BandPathState{};
    for (double& gain : band.punchGain)
        gain = 1.0;
    const MemoryView memory = Memory().View();
    for (const DelayLine& line : dsp.lines) {
        const double length = line.length;
        for (const double base : {static_cast<double>(line.writeBase), static_cast<double>(line.readBase)})
            for (int p = 0; p <= length && p < 1000000; ++p)
                if (double* cell = memory.Find(ToIndex(base + p))) *cell = 0.0;
    }
    dsp.lastInputLeft = 0.0;
    dsp.lastInputRight = 0.0;
    dsp.sampleCounter = 0.0;
    dsp.monoInput = 0.0;
    dsp.monoCount = 0.0;
    for (auto& channelMeters : dsp.compMeter)
        for (SharedValue& meter : channelMeters)
            meter = 1.0;
    for (SharedValue& meter : dsp.transientMeter)
        meter = 1.0;
}

// The editor asks for the meters by raising `asked`; the next block answers with the lowest
// compressor gains since its previous answer (and starts them again from 1) and the transient
// meters as they stand. The editor reads the answer only once its question is answered, so
// the values it reads are never mid-write; the meters themselves have the audio thread as
// their one writer. While the host bypasses the plug-in nothing of the processing is heard,
// so the answer is the meters at rest.
void TVexlEffect::AnswerMeterRequest() noexcept
{
    const uint32_t asked = meters_.asked.load(std::memory_order_acquire);
    if (asked == meters_.answered.load(std::memory_order_relaxed)) return;
    const bool rest = hostBypass;
    for (int b = 0; b < kBandCount; ++b) {
        for (int c = 0; c < kChannelCount; ++c) {
            meters_.lowest[c][b] = rest ? 1.0 : static_cast<double>(dsp.compMeter[c][b]);
            dsp.compMeter[c][b] = 1.0;
        }
        meters_.transient[b] = rest ? 1.0 : static_cast<double>(dsp.transientMeter[b]);
    }
    meters_.answered.store(asked, std::memory_order_release);
}

// Called on the audio thread once per processing call, before its first frame.
void TVexlEffect::DoBlock()
{
    TakeRequests();
    RecoverNonFiniteChannels();

    const double latency = dsp.latency;
    if (!(std::fabs(latency - dsp.reportedLatency) < 0.00001)) {
        dsp.reportedLatency = latency;
        HostSetLatency(hostObject, ToIndex(latency));
    }

    // The transport is read for the script's sake; the processing does not use it. One
    // question to the host per block.
    const HostTransport transport = HostTransportNow(hostObject);
    double hostTempoNow = hostTempo;
    double numerator = hostTimeSigNumerator;
    double denominator = hostTimeSigDenominator;
    HostTempoAndSignature(transport, &hostTempoNow, &numerator, &denominator);
    hostTempo = hostTempoNow;
    hostTimeSigNumerator = numerator;
    hostTimeSigDenominator = denominator;
    const double playing = transport.playing ? 1.0 : 0.0;
    const double recording = transport.recording ? 1.0 : 0.0;
    dsp.playState = playing + 4.0 * recording;
    dsp.musicalPosition = transport.musicalPosition;
    RefreshHostCopies();

    // The meters keep the lowest gain seen at block starts since the editor last took them.
    const bool monoInput = IsOn(dsp.monoInput);
    for (int c = 0; c < kChannelCount; ++c) {
        if (c == 1 && monoInput) break;
        for (int b = 0; b < kBandCount; ++b) {
            SharedValue& meter = dsp.compMeter[c][b];
            const double lowest = std::min(static_cast<double>(meter), 1.0 / band.gainDivisor[Lane(c, b)]);
            meter = std::isfinite(lowest) ? lowest : 1.0;
        }
    }
    for (int b = 0; b < kBandCount; ++b) {
        const double activity =
            std::max(std::fabs(band.transientGain[Lane(0, b)]), std::fabs(band.transientGain[Lane(1, b)]));
        const double meter = std::min(dsp.transientMeter[b] + 0.001, 1.0 / (1.0 + activity));
        dsp.transientMeter[b] = std::isfinite(meter) ? meter : 1.0;
    }
    AnswerMeterRequest();

    // Mono detection on the last frame of the previous block; a silent left channel
    // says nothing either way.
    const double left = dsp.lastInputLeft;
    const double right = dsp.lastInputRight;
    if (IsOn(left)) {
        if (!IsOn(left - right)) {
            dsp.monoCount = std::min(dsp.monoCount + 1.0, static_cast<double>(dsp.monoBlockLimit));
        } else {
            const double count = dsp.monoCount - 1.0;
            dsp.monoCount = std::max(count, 0.0);
            if (count <= 0.0) dsp.monoInput = 0.0;
        }
        if (std::fabs(dsp.monoCount - dsp.monoBlockLimit) < 0.00001) dsp.monoInput = 1.0;
    }

    // The settings the frames read change only with the slider section, the init section
    // and the mono detection, all of them above or in this call: they are copied then.
    if (settingsStale_ || blockSettings_.monoInput != IsOn(dsp.monoInput)) {
        LoadBlockSettings(dsp, srate, blockSettings_);
        settingsStale_ = false;
    }
}
