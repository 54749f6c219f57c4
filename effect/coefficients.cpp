#include <algorithm>
#include <cmath>

#include "effect/effect.h"

namespace {
double FromDb(double db) { return std::pow(10.0, db / 20.0); }
} // namespace

void TVexlEffect::DoSlider()
{
    RefreshHostCopies();
    for (const SliderDef& def : sliderDefs)
        sliderValue[def.number] = sliderValues[def.number];
    UpdateCoefficients();
    for (auto& channelMeters : dsp.compMeter)
        for (SharedValue& meter : channelMeters)
            meter = 1.0;
    for (SharedValue& meter : dsp.transientMeter)
        meter = 1.0;
}

void TVexlEffect::UpdateCoefficients()
{
    const SharedValue* s = sliderValues;
    const double fs = srate;
    const double g = s[30];
    const double h = 1.0 - g;

    double threshold[kBandCount];
    for (int b = 0; b < kBandCount; ++b)
        threshold[b] = -s[1 + b];
    for (int b = 0; b < kBandCount; ++b)
        dsp.compActive[b] = IsOn(s[1 + b]) ? 1.0 : 0.0;
    // LM's makeup is a tenth of the others'.
    const double makeupPerDb[kBandCount] = {0.15, 0.015, 0.15, 0.15};
    double makeup[kBandCount];
    for (int b = 0; b < kBandCount; ++b) {
        makeup[b] = std::pow(10.0, s[1 + b] * makeupPerDb[b] / 20.0);
        dsp.makeupGain[b] = makeup[b];
    }

    // Inertia blends fast, hard-kneed behaviour (h) into slow, soft-kneed behaviour (g).
    dsp.inertia = g;
    const double attackFast[kBandCount] = {0.015, 0.01, 0.01, 0.005};
    const double attackSlow[kBandCount] = {0.05, 0.03, 0.02, 0.01};
    const double releaseFast[kBandCount] = {0.1, 0.08, 0.05, 0.03};
    const double releaseSlow[kBandCount] = {2.0, 1.0, 0.5, 0.25};
    const double ratioFast[kBandCount] = {1.5, 2.0, 1.5, 1.5};
    const double ratioSlow[kBandCount] = {4.0, 5.0, 4.0, 4.0};
    const double thresholdFast[kBandCount] = {1.41, 1.41, 1.41, 1.78};
    const double thresholdSlow[kBandCount] = {0.891, 0.891, 0.891, 1.26};
    for (int b = 0; b < kBandCount; ++b) {
        dsp.attackTime[b] = attackFast[b] * h + attackSlow[b] * g;
        dsp.releaseTime[b] = releaseFast[b] * h + releaseSlow[b] * g;
        dsp.knee[b] = 0.1 * h + 12.0 * g;
        dsp.ratio[b] = ratioFast[b] * h + ratioSlow[b] * g;
        dsp.threshold[b] = threshold[b] * (thresholdFast[b] * h + thresholdSlow[b] * g);
    }

    const double eqNorm = std::max(
        1.0, 0.18 * (makeup[0] * makeup[0] + makeup[1] * makeup[1] + makeup[2] * makeup[2] + makeup[3] * makeup[3]));
    dsp.eqNorm = eqNorm;

    dsp.inputGain = FromDb(s[40]);
    dsp.outputGain = FromDb(s[41]);
    const double balanceGain = FromDb(s[32]);
    dsp.balanceGain = balanceGain;
    dsp.balanceInverse = 1.0 / balanceGain;
    dsp.msMode = s[33];
    dsp.punchOn = s[31];
    for (int b = 0; b < kBandCount; ++b)
        dsp.transientAmount[b] = 0.5 * s[6 + b];

    const bool anySolo = IsOn(s[16]) || IsOn(s[17]) || IsOn(s[18]) || IsOn(s[19]);
    for (int b = 0; b < kBandCount; ++b)
        dsp.soloPass[b] = !anySolo || IsOn(s[16 + b]) ? 1.0 : 0.0;

    for (int b = 0; b < kBandCount; ++b)
        dsp.eqGain[b] = FromDb(s[11 + b]) * dsp.soloPass[b] * eqNorm;

    // A boosted outer band takes a fifth of its boost (in dB) off its inner neighbour.
    if (!IsOn(s[17]) && !IsOn(s[18])) {
        if (dsp.eqGain[0] > 1.0) dsp.eqGain[1] = dsp.eqGain[1] * std::pow(1.0 / dsp.eqGain[0], 0.2);
        if (dsp.eqGain[3] > 1.0) dsp.eqGain[2] = dsp.eqGain[2] * std::pow(1.0 / dsp.eqGain[3], 0.2);
    }

    if (!IsOn(s[34])) {
        // "0dBfs": the band path runs 9 dB down, and the output undoes it.
        dsp.mixLevelIn = 0.355;
        dsp.mixLevelOut = 2.8169014084507045;
    } else {
        dsp.mixLevelIn = 1.0;
        dsp.mixLevelOut = 1.0;
    }

    // Bypass overrides solo: a bypassed band passes at unity.
    for (int b = 0; b < kBandCount; ++b) {
        if (!IsOn(s[20 + b])) continue;
        dsp.compActive[b] = 0.0;
        dsp.transientAmount[b] = 0.0;
        dsp.eqGain[b] = 1.0;
        dsp.makeupGain[b] = 1.0;
    }

    if (!IsOn(s[5])) {
        for (int b = 0; b < kBandCount; ++b) {
            dsp.compActive[b] = 0.0;
            dsp.makeupGain[b] = 1.0;
        }
    }
    if (!IsOn(s[10]))
        for (SharedValue& amount : dsp.transientAmount)
            amount = 0.0;
    if (!IsOn(s[15]))
        for (SharedValue& gain : dsp.eqGain)
            gain = 1.0;

    for (BandPathChannel& channel : dsp.channel) {
        for (int b = 0; b < kBandCount; ++b) {
            BandCompSettings& c = channel.compSettings[b];
            c.threshold = dsp.threshold[b] - dsp.knee[b];
            c.belowThreshold = LevelBelowThreshold(c.threshold);
            c.attack = std::exp(-1.0 / (dsp.attackTime[b] * fs));
            c.release = std::exp(-1.0 / (dsp.releaseTime[b] * fs));
            c.ratioFactor = 1.0 - 1.0 / dsp.ratio[b];
            c.knee = dsp.knee[b];
            c.active = dsp.compActive[b];
        }
    }
    for (BandPathChannel& channel : dsp.channel)
        for (int b = 0; b < kBandCount; ++b)
            channel.transientAmount[b] = dsp.transientAmount[b];
}
