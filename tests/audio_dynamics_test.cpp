// Band dynamics: the compressor's settled reduction against its closed form, the
// transient shaper's response to an onset and a fall, and the meters fed from both.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "bench/programme_material.h"
#include "tests/audio_effect_fixture.h"

using namespace testing_support;

namespace {

constexpr double kPi = std::numbers::pi;

// Stereo, K-20 and unit gains: channel 1 is the left input exactly.
void PlainFrame(LinkedEffect& p)
{
    p.SetSlider(slider::kStereoMs, 0);
    p.SetSlider(slider::kMixLevel, 1);
}

struct SettleCase {
    double inertia;
    double punch;
    double knee;
    double ratio;
    double thresholdPerDb;
    double figure; // 100 / (10 + knee), as a rounded figure
};

TEST(AudioCompressor, ConstantInputTenDbOverSettlesAtTheSoftKneeReduction)
{
    for (const SettleCase c : {SettleCase{0, 0, 0.1, 1.5, 1.41, 9.90}, SettleCase{1, 0, 12, 4, 0.891, 4.55},
                               SettleCase{1, 1, 12, 4, 0.891, 4.55}}) {
        LinkedEffect p(44100);
        PlainFrame(p);
        p.SetSlider(slider::kInertia, c.inertia);
        p.SetSlider(slider::kPunch, c.punch);
        const double threshold = -15 * c.thresholdPerDb - c.knee;
        const double& loDivisor = p.band().gainDivisor[Lane(0, LO)];
        ASSERT_NEAR(p.dsp().channel[0].compSettings[LO].threshold, threshold, 1e-12);
        // DC settles in LO, 10 dB over the threshold.
        const double level = std::pow(10.0, (threshold + 10) / 20);
        std::vector<double> left(3 * 44100, level), right(3 * 44100, 0.0);
        p.Process(left, right);
        const double factor = 1 - 1 / c.ratio;
        const double expected = 100 / (10 + c.knee) * factor;
        EXPECT_NEAR(20 * std::log10(loDivisor), expected, 1e-6) << c.inertia;
        EXPECT_NEAR(expected, c.figure * factor, 0.005 * factor);
        // The output is the settled band over the divisor, times the makeup.
        EXPECT_NEAR(left.back(), level / loDivisor * p.dsp().makeupGain[LO] * p.dsp().eqGain[LO], 1e-12);
    }
}

TEST(AudioCompressor, QuietBandIsNotReduced)
{
    LinkedEffect p(44100);
    PlainFrame(p);
    std::vector<double> left(20000, 0.001), right(20000, 0.0);
    p.Process(left, right);
    for (int b = 0; b < kBandCount; ++b)
        EXPECT_EQ(p.band().gainDivisor[Lane(0, b)], 1.0);
}

struct Trace {
    std::vector<double> gain;
    int onset, stop;
};

// A 3 kHz burst on a quiet bed, with the HM shaper at amount `slider`; per frame the
// HM transient gain.
Trace Burst(double sliderValue)
{
    const double fs = 48000;
    LinkedEffect p(48000);
    PlainFrame(p);
    p.SetSlider(slider::kCompressor, 0);
    p.SetSlider(slider::kTransient + HM, sliderValue);
    Trace t;
    t.onset = 2400;
    t.stop = t.onset + static_cast<int>(0.3 * fs);
    const int frames = t.stop + static_cast<int>(0.15 * fs);
    material::Noise bed(3);
    const double& hmGain = p.band().transientGain[Lane(0, HM)];
    for (int n = 0; n < frames; ++n) {
        double x = 1e-4 * bed.Next();
        if (n >= t.onset && n < t.stop) x += 0.5 * std::sin(2 * kPi * 3000 * (n - t.onset) / fs);
        p.ProcessFrame(x, 0.0);
        t.gain.push_back(hmGain);
        EXPECT_LE(p.dsp().transientMeter[HM], 1.0);
    }
    return t;
}

TEST(AudioTransient, OnsetRaisesTheGainAndAFallGivesZero)
{
    const Trace t = Burst(10); // amount 5
    double before = 0;
    for (int n = t.onset - 1200; n < t.onset; ++n)
        before = std::max(before, std::fabs(t.gain[n]));
    const auto peakAt = std::max_element(t.gain.begin() + t.onset, t.gain.begin() + t.stop);
    const double peak = *peakAt;
    EXPECT_LT(before, 0.1);
    EXPECT_GT(peak, 0.5);
    EXPECT_LT(peak, 2.5); // a 0.5 q / (q + 1) with a = 5 stays below 2.5
    EXPECT_LT(peakAt - (t.gain.begin() + t.onset), 480) << "peak within 10 ms of the onset";
    // slowEnv catches up over its 50 ms: late in the burst the gain is well below its peak.
    EXPECT_LT(t.gain[t.stop - 1], 0.5 * peak);
    // Once the level falls, slowEnv follows fastEnv at once: exactly 0.
    int firstZero = -1;
    for (int n = t.stop; n < static_cast<int>(t.gain.size()); ++n)
        if (t.gain[n] == 0.0) {
            firstZero = n;
            break;
        }
    ASSERT_GE(firstZero, 0);
    EXPECT_LT(firstZero - t.stop, 480);
    for (int n = firstZero; n < firstZero + 2400; ++n)
        ASSERT_EQ(t.gain[n], 0.0) << n;
}

TEST(AudioTransient, NegativeAmountDucksTheOnset)
{
    const Trace t = Burst(-10);
    const double low = *std::min_element(t.gain.begin() + t.onset, t.gain.begin() + t.stop);
    EXPECT_LT(low, -0.5);
    for (int n = t.onset; n < t.stop; ++n)
        ASSERT_LE(t.gain[n], 0.0);
}

TEST(AudioMeters, CompressorMeterHoldsTheLowestBlockStartGainUntilReset)
{
    LinkedEffect p(44100);
    for (int b = 0; b < kBandCount; ++b)
        p.SetSlider(slider::kCompress + b, 40);
    p.SetSlider(slider::kInertia, 0);
    DspVariables& dsp = p.dsp();
    material::Stereo music = material::Programme(44100, 44100);
    double expected[kChannelCount][kBandCount];
    for (auto& row : expected)
        for (double& m : row)
            m = 1.0;
    for (int start = 0; start + 256 <= 44100; start += 256) {
        // The block section takes 1/gainDivisor as the previous block's last frame left it.
        for (int c = 0; c < kChannelCount; ++c)
            for (int b = 0; b < kBandCount; ++b)
                expected[c][b] = std::min(expected[c][b], 1.0 / p.band().gainDivisor[Lane(c, b)]);
        std::vector<double> l(music.left.begin() + start, music.left.begin() + start + 256);
        std::vector<double> r(music.right.begin() + start, music.right.begin() + start + 256);
        p.Process(l, r);
        for (int c = 0; c < kChannelCount; ++c)
            for (int b = 0; b < kBandCount; ++b) {
                ASSERT_EQ(dsp.compMeter[c][b], expected[c][b]);
                ASSERT_LE(dsp.compMeter[c][b], 1.0);
            }
    }
    EXPECT_LT(dsp.compMeter[0][LO], 0.5);
    p.SetSlider(slider::kCompress + LO, 39);
    for (const auto& row : dsp.compMeter)
        for (const SharedValue& m : row)
            EXPECT_EQ(m, 1.0);
}

TEST(AudioMeters, TransientMeterDropsAtOnceAndRecoversAThousandthPerBlock)
{
    LinkedEffect p(48000);
    PlainFrame(p);
    p.SetSlider(slider::kTransient + LO, 10);
    DspVariables& dsp = p.dsp();
    // A step: LO's shaper sees an onset.
    for (int n = 0; n < 200; ++n)
        p.ProcessFrame(0.8, 0.0);
    p.ProcessFrame(0.8, 0.0);
    const double gain = p.band().transientGain[Lane(0, LO)];
    ASSERT_GT(gain, 0.2);
    p.ProcessFrame(0.8, 0.0);
    EXPECT_LE(dsp.transientMeter[LO], 1.0 / (1.0 + gain) + 1e-12);
    // Silence the channel (its transient gain becomes 0), then watch the recovery.
    std::vector<double> zeros(2048, 0.0), zerosRight(2048, 0.0);
    p.Process(zeros, zerosRight);
    double meter = dsp.transientMeter[LO];
    ASSERT_LT(meter, 0.9);
    for (int k = 0; k < 50; ++k) {
        p.ProcessFrame(0.0, 0.0);
        EXPECT_NEAR(dsp.transientMeter[LO] - meter, 0.001, 1e-12);
        meter = dsp.transientMeter[LO];
    }
}

} // namespace
