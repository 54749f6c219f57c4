// The slider section and the coefficient update: thresholds, times, ratios, makeup,
// band gains with their interaction, solo, bypass, the switches and the meter reset.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/audio_effect_fixture.h"

using namespace testing_support;

namespace {

double Db(double linear) { return 20.0 * std::log10(linear); }

TEST(AudioCoefficients, DefaultMakeupNormAndBandGains)
{
    LinkedEffect p;
    const DspVariables& dsp = p.dsp();
    EXPECT_NEAR(dsp.makeupGain[LO], 1.2957, 5e-5);
    EXPECT_NEAR(dsp.makeupGain[LM], 1.0262, 5e-5);
    EXPECT_NEAR(dsp.makeupGain[HM], 1.2957, 5e-5);
    EXPECT_NEAR(dsp.makeupGain[HI], 1.2957, 5e-5);
    EXPECT_NEAR(dsp.eqNorm, 1.0961, 5e-5);
    EXPECT_NEAR(Db(dsp.eqNorm), 0.80, 0.005);
    // 0.18 (3 * 10^(2.25/10) + 10^(0.225/10)), from the makeup of 15 dB at 0.15 and 0.015.
    const double norm = 0.18 * (3 * std::pow(10.0, 0.225) + std::pow(10.0, 0.0225));
    EXPECT_NEAR(dsp.eqNorm, norm, 1e-12);
    EXPECT_NEAR(dsp.eqGain[LO], norm, 1e-12);
    EXPECT_NEAR(dsp.eqGain[HI], norm, 1e-12);
    EXPECT_NEAR(dsp.eqGain[LM], 1.0762, 5e-5);
    EXPECT_NEAR(Db(dsp.eqGain[LM]), 0.64, 0.005);
    EXPECT_NEAR(dsp.eqGain[LM], std::pow(norm, 0.8), 1e-12);
    EXPECT_NEAR(dsp.eqGain[HM], std::pow(norm, 0.8), 1e-12);
    for (int b = 0; b < kBandCount; ++b) {
        EXPECT_EQ(dsp.compActive[b], 1.0);
        EXPECT_EQ(dsp.soloPass[b], 1.0);
    }
    EXPECT_EQ(dsp.mixLevelIn, 0.355);
    EXPECT_EQ(dsp.mixLevelOut, 2.8169014084507045);
    EXPECT_EQ(dsp.inputGain, 1.0);
    EXPECT_EQ(dsp.outputGain, 1.0);
    EXPECT_EQ(dsp.balanceGain, 1.0);
    EXPECT_EQ(dsp.msMode, 1.0);
}

struct InertiaRow {
    double attack, release, knee, ratio, thresholdPerDb;
};

void ExpectInertia(double inertia, const InertiaRow (&rows)[4])
{
    LinkedEffect p(48000);
    p.SetSlider(slider::kInertia, inertia);
    for (int b = 0; b < kBandCount; ++b)
        p.SetSlider(slider::kCompress + b, 20);
    const DspVariables& dsp = p.dsp();
    const double fs = 48000;
    EXPECT_EQ(dsp.inertia, inertia);
    for (int b = 0; b < kBandCount; ++b) {
        const InertiaRow& r = rows[b];
        EXPECT_DOUBLE_EQ(dsp.attackTime[b], r.attack) << b;
        EXPECT_DOUBLE_EQ(dsp.releaseTime[b], r.release) << b;
        EXPECT_DOUBLE_EQ(dsp.knee[b], r.knee) << b;
        EXPECT_DOUBLE_EQ(dsp.ratio[b], r.ratio) << b;
        EXPECT_DOUBLE_EQ(dsp.threshold[b], -20 * r.thresholdPerDb) << b;
        for (const BandPathChannel& ch : dsp.channel) {
            const BandCompSettings& s = ch.compSettings[b];
            EXPECT_DOUBLE_EQ(s.threshold, -20 * r.thresholdPerDb - r.knee);
            EXPECT_DOUBLE_EQ(s.attack, std::exp(-1.0 / (r.attack * fs)));
            EXPECT_DOUBLE_EQ(s.release, std::exp(-1.0 / (r.release * fs)));
            EXPECT_DOUBLE_EQ(s.ratioFactor, 1.0 - 1.0 / r.ratio);
            EXPECT_DOUBLE_EQ(s.knee, r.knee);
            EXPECT_EQ(s.active, 1.0);
        }
    }
}

TEST(AudioCoefficients, InertiaZeroIsFastAndHardKneed)
{
    ExpectInertia(0.0, {{0.015, 0.1, 0.1, 1.5, 1.41},
                        {0.01, 0.08, 0.1, 2, 1.41},
                        {0.01, 0.05, 0.1, 1.5, 1.41},
                        {0.005, 0.03, 0.1, 1.5, 1.78}});
}

TEST(AudioCoefficients, InertiaOneIsSlowAndSoftKneed)
{
    ExpectInertia(
        1.0, {{0.05, 2, 12, 4, 0.891}, {0.03, 1, 12, 5, 0.891}, {0.02, 0.5, 12, 4, 0.891}, {0.01, 0.25, 12, 4, 1.26}});
}

TEST(AudioCoefficients, OuterBoostTakesAFifthOffTheInnerNeighbour)
{
    LinkedEffect p;
    for (int b = 0; b < kBandCount; ++b)
        p.SetSlider(slider::kCompress + b, 0);
    const DspVariables& dsp = p.dsp();
    ASSERT_EQ(dsp.eqNorm, 1.0);
    p.SetSlider(slider::kGain + LO, 6);
    EXPECT_NEAR(Db(dsp.eqGain[LO]), 6.0, 1e-12);
    EXPECT_NEAR(Db(dsp.eqGain[LM]), -1.2, 1e-12);
    EXPECT_NEAR(Db(dsp.eqGain[HM]), 0.0, 1e-12);
    p.SetSlider(slider::kGain + HI, 6);
    EXPECT_NEAR(Db(dsp.eqGain[HM]), -1.2, 1e-12);
    // A cut does not lift the neighbour.
    p.SetSlider(slider::kGain + LO, -6);
    EXPECT_NEAR(Db(dsp.eqGain[LM]), 0.0, 1e-12);
    // LM or HM soloed: no interaction at all.
    p.SetSlider(slider::kGain + LO, 6);
    p.SetSlider(slider::kSolo + HM, 1);
    EXPECT_EQ(dsp.eqGain[LM], 0.0);
    EXPECT_NEAR(Db(dsp.eqGain[HM]), 0.0, 1e-12);
}

TEST(AudioCoefficients, SoloMutesTheOtherBandsAndBypassOverridesIt)
{
    LinkedEffect p;
    const DspVariables& dsp = p.dsp();
    p.SetSlider(slider::kTransient + LO, 4);
    p.SetSlider(slider::kSolo + LM, 1);
    EXPECT_EQ(dsp.soloPass[LO], 0.0);
    EXPECT_EQ(dsp.soloPass[LM], 1.0);
    EXPECT_EQ(dsp.eqGain[LO], 0.0);
    EXPECT_DOUBLE_EQ(dsp.eqGain[LM], dsp.eqNorm);
    EXPECT_EQ(dsp.eqGain[HM], 0.0);
    EXPECT_EQ(dsp.eqGain[HI], 0.0);
    EXPECT_EQ(dsp.transientAmount[LO], 2.0);

    p.SetSlider(slider::kBypass + LO, 1);
    EXPECT_EQ(dsp.soloPass[LO], 0.0);
    EXPECT_EQ(dsp.eqGain[LO], 1.0);
    EXPECT_EQ(dsp.makeupGain[LO], 1.0);
    EXPECT_EQ(dsp.compActive[LO], 0.0);
    EXPECT_EQ(dsp.transientAmount[LO], 0.0);
    for (const BandPathChannel& ch : dsp.channel) {
        EXPECT_EQ(ch.compSettings[LO].active, 0.0);
        EXPECT_EQ(ch.transientAmount[LO], 0.0);
    }
    EXPECT_EQ(dsp.eqGain[HM], 0.0);

    // With EQ off every band gain is 1, so the solo is inaudible.
    p.SetSlider(slider::kEq, 0);
    for (int b = 0; b < kBandCount; ++b)
        EXPECT_EQ(dsp.eqGain[b], 1.0);
}

TEST(AudioCoefficients, SwitchesAndZeroAmountTurnSectionsOff)
{
    LinkedEffect p;
    const DspVariables& dsp = p.dsp();
    const double norm = dsp.eqNorm;
    p.SetSlider(slider::kCompressor, 0);
    for (int b = 0; b < kBandCount; ++b) {
        EXPECT_EQ(dsp.compActive[b], 0.0);
        EXPECT_EQ(dsp.makeupGain[b], 1.0);
    }
    // The norm comes from the makeup before the switch.
    EXPECT_EQ(dsp.eqNorm, norm);
    EXPECT_GT(norm, 1.09);

    p.SetSlider(slider::kCompressor, 1);
    p.SetSlider(slider::kCompress + HM, 0);
    EXPECT_EQ(dsp.compActive[HM], 0.0);
    EXPECT_EQ(dsp.makeupGain[HM], 1.0);
    EXPECT_EQ(dsp.compActive[HI], 1.0);
    // 0.18 (2 10^0.225 + 10^0.0225 + 1) = 0.974, so the norm is 1.
    EXPECT_EQ(dsp.eqNorm, 1.0);

    for (int b = 0; b < kBandCount; ++b)
        p.SetSlider(slider::kTransient + b, -3 + b);
    EXPECT_EQ(dsp.transientAmount[LO], -1.5);
    EXPECT_EQ(dsp.channel[1].transientAmount[HI], 0.0); // slider 9 at 0
    EXPECT_EQ(dsp.channel[1].transientAmount[LM], -1.0);
    p.SetSlider(slider::kTransientSwitch, 0);
    for (int b = 0; b < kBandCount; ++b) {
        EXPECT_EQ(dsp.transientAmount[b], 0.0);
        EXPECT_EQ(dsp.channel[0].transientAmount[b], 0.0);
    }
}

TEST(AudioCoefficients, GainsBalanceModeAndMixLevel)
{
    LinkedEffect p;
    const DspVariables& dsp = p.dsp();
    p.SetSlider(slider::kInput, 6);
    p.SetSlider(slider::kOutput, -12.5);
    p.SetSlider(slider::kBalance, 2);
    p.SetSlider(slider::kStereoMs, 0);
    p.SetSlider(slider::kPunch, 1);
    p.SetSlider(slider::kMixLevel, 1);
    EXPECT_DOUBLE_EQ(dsp.inputGain, std::pow(10.0, 0.3));
    EXPECT_DOUBLE_EQ(dsp.outputGain, std::pow(10.0, -12.5 / 20));
    EXPECT_DOUBLE_EQ(dsp.balanceGain, std::pow(10.0, 0.1));
    EXPECT_DOUBLE_EQ(dsp.balanceInverse, 1.0 / std::pow(10.0, 0.1));
    EXPECT_EQ(dsp.msMode, 0.0);
    EXPECT_EQ(dsp.punchOn, 1.0);
    EXPECT_EQ(dsp.mixLevelIn, 1.0);
    EXPECT_EQ(dsp.mixLevelOut, 1.0);
}

TEST(AudioCoefficients, SliderSectionCopiesSlidersAndResetsTheMeters)
{
    LinkedEffect p;
    TVexlEffect& e = p.effect();
    for (auto& row : e.dsp.compMeter)
        for (SharedValue& m : row)
            m = 0.25;
    for (SharedValue& m : e.dsp.transientMeter)
        m = 0.5;
    p.SetSlider(slider::kGain + HM, 3.3);
    for (const auto& row : e.dsp.compMeter)
        for (const SharedValue& m : row)
            EXPECT_EQ(m, 1.0);
    for (const SharedValue& m : e.dsp.transientMeter)
        EXPECT_EQ(m, 1.0);
    for (const SliderDef& def : e.sliderDefs)
        EXPECT_EQ(e.sliderValue[def.number], e.sliderValues[def.number]);
    EXPECT_NEAR(e.sliderValue[13], 3.3, 1e-9);
}

} // namespace
