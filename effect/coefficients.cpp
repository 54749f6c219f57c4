#include <algorithm>
#include <cmath>

#include "effect/effect.h"
#include "effect/parameter_table.h"

namespace {
double FromDb(double db) { return std::pow(10.0, db / 20.0); }
} // namespace

void SoloPasses(const bool (&solo)[kBandCount], bool (&pass)[kBandCount]) noexcept
{
    const bool anySolo = solo[0] || solo[1] || solo[2] || solo[3];
    for (int b = 0; b < kBandCount; ++b)
        pass[b] = !anySolo || solo[b];
}

// Called on the audio thread at the start of a block, when some slider changed: the values
// the runtime took for it are the ones every coefficient below comes from.
void TVexlEffect::DoSlider()
{
    RefreshHostCopies();
    for (const SliderDef& def : sliderDefs)
        sliderValue[def.number] = appliedValues[def.number];
    UpdateCoefficients();
    settingsStale_ = true;
    for (auto& channelMeters : dsp.compMeter)
        for (SharedValue& meter : channelMeters)
            meter = 1.0;
    for (SharedValue& meter : dsp.transientMeter)
        meter = 1.0;
}

void TVexlEffect::UpdateCoefficients()
{
    auto s = [this](Param p) { return static_cast<double>(sliderValue[SliderOf(p)]); };
    auto band = [&s](Param lo, int b) { return s(Band(lo, b)); };
    const double fs = srate;
    const double g = s(Param::Inertia);
    const double h = 1.0 - g;

    double threshold[kBandCount];
    for (int b = 0; b < kBandCount; ++b)
        threshold[b] = -band(Param::LoCompress, b);
    for (int b = 0; b < kBandCount; ++b)
        dsp.compActive[b] = IsOn(band(Param::LoCompress, b)) ? 1.0 : 0.0;
    // LM's makeup is a tenth of the others'.
    const double makeupPerDb[kBandCount] = {0.15, 0.015, 0.15, 0.15};
    double makeup[kBandCount];
    for (int b = 0; b < kBandCount; ++b) {
        makeup[b] = std::pow(10.0, band(Param::LoCompress, b) * makeupPerDb[b] / 20.0);
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

    dsp.inputGain = FromDb(s(Param::Input));
    dsp.outputGain = FromDb(s(Param::Output));
    const double balanceGain = FromDb(s(Param::Balance));
    dsp.balanceGain = balanceGain;
    dsp.balanceInverse = 1.0 / balanceGain;
    dsp.msMode = s(Param::StereoMode);
    dsp.punchOn = s(Param::Punch);
    for (int b = 0; b < kBandCount; ++b)
        dsp.transientAmount[b] = 0.5 * band(Param::LoTransient, b);

    bool solo[kBandCount], soloPass[kBandCount];
    for (int b = 0; b < kBandCount; ++b)
        solo[b] = IsOn(band(Param::LoSolo, b));
    SoloPasses(solo, soloPass);
    for (int b = 0; b < kBandCount; ++b)
        dsp.soloPass[b] = soloPass[b] ? 1.0 : 0.0;

    for (int b = 0; b < kBandCount; ++b)
        dsp.eqGain[b] = FromDb(band(Param::LoGain, b)) * dsp.soloPass[b] * eqNorm;

    // A boosted outer band takes a fifth of its boost (in dB) off its inner neighbour.
    if (!IsOn(s(Param::LmSolo)) && !IsOn(s(Param::HmSolo))) {
        if (dsp.eqGain[0] > 1.0) dsp.eqGain[1] = dsp.eqGain[1] * std::pow(1.0 / dsp.eqGain[0], 0.2);
        if (dsp.eqGain[3] > 1.0) dsp.eqGain[2] = dsp.eqGain[2] * std::pow(1.0 / dsp.eqGain[3], 0.2);
    }

    if (!IsOn(s(Param::MixLevel))) {
        // "0dBfs": the band path runs 9 dB down, and the output undoes it.
        dsp.mixLevelIn = 0.355;
        dsp.mixLevelOut = 2.8169014084507045;
    } else {
        dsp.mixLevelIn = 1.0;
        dsp.mixLevelOut = 1.0;
    }

    // Bypass overrides solo: a bypassed band passes at unity.
    for (int b = 0; b < kBandCount; ++b) {
        if (!IsOn(band(Param::LoBypass, b))) continue;
        dsp.compActive[b] = 0.0;
        dsp.transientAmount[b] = 0.0;
        dsp.eqGain[b] = 1.0;
        dsp.makeupGain[b] = 1.0;
    }

    if (!IsOn(s(Param::Compressor))) {
        for (int b = 0; b < kBandCount; ++b) {
            dsp.compActive[b] = 0.0;
            dsp.makeupGain[b] = 1.0;
        }
    }
    if (!IsOn(s(Param::Transient)))
        for (SharedValue& amount : dsp.transientAmount)
            amount = 0.0;
    if (!IsOn(s(Param::Eq)))
        for (SharedValue& gain : dsp.eqGain)
            gain = 1.0;

    // Both channels hold the same settings: each is worked out once.
    for (int b = 0; b < kBandCount; ++b) {
        const double threshold = dsp.threshold[b] - dsp.knee[b];
        const double belowThreshold = LevelBelowThreshold(threshold);
        const double attack = std::exp(-1.0 / (dsp.attackTime[b] * fs));
        const double release = std::exp(-1.0 / (dsp.releaseTime[b] * fs));
        const double ratioFactor = 1.0 - 1.0 / dsp.ratio[b];
        for (BandPathChannel& channel : dsp.channel) {
            BandCompSettings& c = channel.compSettings[b];
            c.threshold = threshold;
            c.belowThreshold = belowThreshold;
            c.attack = attack;
            c.release = release;
            c.ratioFactor = ratioFactor;
            c.knee = dsp.knee[b];
            c.active = dsp.compActive[b];
            channel.transientAmount[b] = dsp.transientAmount[b];
        }
    }
}
