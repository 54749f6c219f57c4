#include <algorithm>
#include <cmath>
#include <numbers>

#include "effect/effect.h"
#include "runtime/host_services.h"

namespace {

double FiniteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

// c(t): the smoothing coefficient of a one-pole with time constant t seconds.
double TimeCoefficient(double t, double fs) { return std::exp(-1.0 / (t * fs)); }

// w(f): the low-pass coefficient of a one-pole with corner frequency f Hz.
double CornerCoefficient(double f, double fs) { return 1.0 - std::exp(-2.0 * std::numbers::pi * f / fs); }

} // namespace

void TVexlEffect::DoInit()
{
    hostSampleRate = FiniteOrZero(HostSampleRate(hostObject));
    hostInputs = FiniteOrZero(HostNumInputs(hostObject));
    hostBlockSize = FiniteOrZero(HostBlockSize(hostObject));
    hostTempo = FiniteOrZero(HostTempo(hostObject));
    RefreshHostCopies();
    InitEditor();

    const double fs = srate;
    dsp.attack0005 = TimeCoefficient(0.0005, fs);
    dsp.release002 = TimeCoefficient(0.02, fs);
    dsp.attack005 = TimeCoefficient(0.05, fs);
    dsp.release01 = TimeCoefficient(0.1, fs);
    dsp.dbFactor = 0.11512925464970229;
    dsp.meanSquareCoef = 1.0 - std::exp(-1.0 / (1.666 * fs));

    dsp.monoBlockLimit = 64.0;
    dsp.silenceLimit = 1024.0;

    const double lookahead = std::floor(fs / 44100.0 * 64.0);
    dsp.lookahead = lookahead;
    dsp.latency = 2.0 * lookahead;

    // Line i sits at i * fs, one second of samples from the next. A line that a lower
    // rate just shortened still has its position beyond the new length for one step, at
    // most as far as the longest line made before; those slots are set aside as well.
    const double length = lookahead > fs ? fs : lookahead;
    const double last = std::max(length, longestLine_);
    if (length > longestLine_) longestLine_ = length;
    for (int i = 0; i < kDelayLineCount; ++i) {
        DelayLine& line = dsp.lines[i];
        line.length = length;
        line.writeBase = i * fs;
        line.readBase = i * fs;
    }
    ReserveLineSlots(last);

    const double punchFrequency[kBandCount] = {20.0, 40.0, 20.0, 10.0};
    for (int b = 0; b < kBandCount; ++b)
        dsp.punchCoef[b] = CornerCoefficient(punchFrequency[b], fs);

    for (BandPathChannel& channel : dsp.channel) {
        BandSplitter& s = channel.splitter;
        s.a80 = CornerCoefficient(80.0, fs);
        s.a600 = CornerCoefficient(600.0, fs);
        s.a6000 = CornerCoefficient(6000.0, fs);
    }

    // The audio thread clears the splitter states and sets every punch gain to 1 when it
    // sees the new epoch, at the start of the next block (block.cpp).
    chosenPath_.store(static_cast<int>(ResolveSimdPath(static_cast<SimdPath>(requestedPath_.load()))));
    // The regions set aside above are complete before the audio thread sees the epoch.
    dsp.delayLineEpoch.StoreRelease(static_cast<double>(++initCount_));

    // The host learns the latency now, while it switches the plug-in on, not at the first
    // block: hosts read it when the switch returns.
    dsp.reportedLatency = dsp.latency;
    HostAnnounceLatency(hostObject, ToIndex(dsp.latency));
}

int32_t TVexlEffect::LatencySamples() const noexcept
{
    const double samples = dsp.latency;
    return std::isfinite(samples) && samples > 0.0 ? ToIndex(samples) : 0;
}

void TVexlEffect::InitEditor()
{
    redrawRate = 30.0;
    editor.colourRed = 0.0;
    editor.colourGreen = 0.0;
    editor.colourBlue = 0.0;
    editor.colourAlpha = 0.0;
    InitEditorConstants();
}

void TVexlEffect::ReserveLineSlots(double last)
{
    // Bounded like a script loop, against absurd rates.
    const double reach = std::min(std::max(last, 0.0), 999999.0);
    ScriptMemory& memory = Memory();
    for (const DelayLine& line : dsp.lines) {
        for (const double base : {static_cast<double>(line.writeBase), static_cast<double>(line.readBase)}) {
            const int32_t first = ToIndex(base);
            const int32_t end = ToIndex(base + reach);
            if (end >= first) {
                memory.Reserve(first, end - first + 1);
                continue;
            }
            // Slots past the top of the index range all convert to the lowest index.
            memory.Reserve(first, INT32_MAX - first + 1);
            memory.Reserve(INT32_MIN, 1);
        }
    }
}
