// The band splitter and the per-channel band path, heard through the plug-in's audio
// entries: band responses against the one-pole closed forms, DC, the total delay of
// twice the lookahead, and the silence hold.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "bench/programme_material.h"
#include "tests/audio_effect_fixture.h"

using namespace testing_support;

namespace {

constexpr double kPi = std::numbers::pi;

// A processor reduced to its splitter: no compression, no shaping, unit gains, Stereo,
// K-20 (no mix-level factors), so the left output is the chosen bands delayed.
void PlainBands(LinkedEffect& p)
{
    for (int b = 0; b < kBandCount; ++b)
        p.SetSlider(slider::kCompress + b, 0);
    p.SetSlider(slider::kCompressor, 0);
    p.SetSlider(slider::kTransientSwitch, 0);
    p.SetSlider(slider::kStereoMs, 0);
    p.SetSlider(slider::kMixLevel, 1);
}

// One-pole low-pass z <- z + w (x - z) at corner f: H = w / (1 - (1 - w) e^{-jW}).
std::complex<double> LowPass(double f, double signal, double fs)
{
    const double w = 1.0 - std::exp(-2.0 * kPi * f / fs);
    return w / (1.0 - (1.0 - w) * std::polar(1.0, -2.0 * kPi * signal / fs));
}

std::complex<double> BandResponse(int band, double f, double fs)
{
    const auto h80 = LowPass(80, f, fs), h600 = LowPass(600, f, fs), h6k = LowPass(6000, f, fs);
    switch (band) {
    case LO:
        return h80;
    case LM:
        return h600 * (1.0 - h80);
    case HM:
        return h6k * (1.0 - h600);
    default:
        return 1.0 - h6k;
    }
}

// Amplitude of the steady sine at f in y over a whole number of periods.
double Amplitude(const std::vector<double>& y, int start, int length, double f, double fs)
{
    double s = 0, c = 0;
    for (int n = start; n < start + length; ++n) {
        s += y[n] * std::sin(2.0 * kPi * f * n / fs);
        c += y[n] * std::cos(2.0 * kPi * f * n / fs);
    }
    return 2.0 * std::hypot(s, c) / length;
}

TEST(AudioSplitter, EachBandFollowsItsOnePoleClosedForm)
{
    const double fs = 48000;
    for (int band = 0; band < kBandCount; ++band) {
        for (double f : {30.0, 80.0, 250.0, 600.0, 2000.0, 6000.0, 15000.0}) {
            LinkedEffect p(48000);
            PlainBands(p);
            p.SetSlider(slider::kSolo + band, 1);
            ASSERT_EQ(p.dsp().eqGain[band], 1.0);
            const int frames = 48000 + 24000;
            std::vector<double> left(frames), right(frames, 0.0);
            for (int n = 0; n < frames; ++n)
                left[n] = 0.5 * std::sin(2.0 * kPi * f * n / fs);
            p.Process(left, right);
            // Settled for half a second; one second of whole periods for any integer f.
            const double measured = Amplitude(left, 24000, 48000, f, fs);
            const double expected = 0.5 * std::abs(BandResponse(band, f, fs));
            EXPECT_NEAR(measured / expected, 1.0, 1e-9) << "band " << band << " at " << f << " Hz";
        }
    }
}

TEST(AudioSplitter, DirectCurrentEndsInLo)
{
    LinkedEffect p(44100);
    PlainBands(p);
    std::vector<double> left(3 * 44100, 0.25), right(3 * 44100, 0.0);
    p.Process(left, right);
    const BandPathState& s = p.band();
    // Within rounding: the one-pole step stalls once w (x - z) is below half an ulp of z.
    EXPECT_NEAR(SplitterPole(s, 0, 0), 0.25, 1e-13);
    EXPECT_NEAR(s.band[Lane(0, LO)], 0.25, 1e-13);
    EXPECT_NEAR(s.band[Lane(0, LM)], 0.0, 1e-13);
    EXPECT_NEAR(s.band[Lane(0, HM)], 0.0, 1e-13);
    EXPECT_NEAR(s.band[Lane(0, HI)], 0.0, 1e-13);
    EXPECT_NEAR(left.back(), 0.25, 1e-13);
}

// The four bands of x summed, as the splitter defines them.
std::vector<double> BandSum(const std::vector<double>& x, double fs)
{
    const double a80 = 1 - std::exp(-2 * kPi * 80 / fs), a600 = 1 - std::exp(-2 * kPi * 600 / fs),
                 a6k = 1 - std::exp(-2 * kPi * 6000 / fs);
    double z1 = 0, z2 = 0, z3 = 0, z4 = 0, z5 = 0, z6 = 0;
    std::vector<double> y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        z1 += a80 * (x[n] - z1);
        z2 += a80 * (x[n] - z2);
        z3 += a600 * (x[n] - z2 - z3);
        z4 += a600 * (x[n] - z4);
        z5 += a6k * (x[n] - z4 - z5);
        z6 += a6k * (x[n] - z6);
        y[n] = z1 + z3 + z5 + (x[n] - z6);
    }
    return y;
}

TEST(AudioBandPath, IdleDynamicsDelayTheBandSumByTwiceTheLookahead)
{
    struct Case {
        float rate;
        int delay;
        double msMode;
        double mixLevel;
    };
    for (const Case c : {Case{44100, 128, 0, 0}, Case{48000, 138, 1, 0}, Case{96000, 278, 1, 1}}) {
        LinkedEffect p(c.rate);
        p.SetSlider(slider::kCompressor, 0);
        p.SetSlider(slider::kTransientSwitch, 0);
        p.SetSlider(slider::kEq, 0);
        p.SetSlider(slider::kStereoMs, c.msMode);
        p.SetSlider(slider::kMixLevel, c.mixLevel);
        p.SetSlider(slider::kInput, 6);
        p.SetSlider(slider::kOutput, -2.5);
        p.SetSlider(slider::kBalance, 3); // idle dynamics: no effect
        const int frames = 4000;
        std::vector<double> left(frames, 0.0), right(frames, 0.0);
        material::Noise noise(7);
        for (int n = 100; n < frames; ++n) {
            left[n] = 0.3 * noise.Next();
            right[n] = 0.3 * noise.Next();
        }
        left[100] = 0.9; // an impulse to see the delay plainly
        const auto sumLeft = BandSum(left, c.rate), sumRight = BandSum(right, c.rate);
        std::vector<double> outLeft = left, outRight = right;
        p.Process(outLeft, outRight, 333);
        const double gain = std::pow(10.0, 6.0 / 20) * std::pow(10.0, -2.5 / 20);
        for (int n = 0; n < frames; ++n) {
            const double expectLeft = n >= c.delay ? gain * sumLeft[n - c.delay] : 0.0;
            const double expectRight = n >= c.delay ? gain * sumRight[n - c.delay] : 0.0;
            ASSERT_NEAR(outLeft[n], expectLeft, 1e-12) << c.rate << " frame " << n;
            ASSERT_NEAR(outRight[n], expectRight, 1e-12) << c.rate << " frame " << n;
        }
        EXPECT_GT(std::fabs(outLeft[100 + c.delay]), 0.5);
    }
}

TEST(AudioBandPath, AThousandAndTwentyFourZerosSilenceTheChannelUntilTenToTheMinusEight)
{
    LinkedEffect p(44100);
    p.SetSlider(slider::kStereoMs, 0);
    p.SetSlider(slider::kMixLevel, 1);
    const BandPathState& s = p.band();
    std::vector<double> left(3000, 0.0), right(3000, 0.0);
    for (int n = 0; n < 500; ++n)
        left[n] = 0.7 * std::sin(0.03 * n);
    p.Process(left, right);
    // Zeros from frame 500 on: the 1024th of them (frame 1523) is the first silent one.
    EXPECT_NE(left[1522], 0.0);
    for (int n = 1523; n < 3000; ++n)
        ASSERT_EQ(left[n], 0.0) << n;
    EXPECT_EQ(s.silentCount[0], 1024.0);
    for (int b = 0; b < kBandCount; ++b) {
        EXPECT_EQ(s.gainDivisor[Lane(0, b)], 1.0);
        EXPECT_EQ(s.transientGain[Lane(0, b)], 0.0);
        EXPECT_EQ(s.band[Lane(0, b)], 0.0);
    }
    // Held: the filters and lines stand still.
    const double z1 = SplitterPole(s, 0, 0);
    const double position = s.linePosition[0];
    auto [quiet, ignored] = p.ProcessFrame(0.99e-8, 0.0);
    EXPECT_EQ(quiet, 0.0);
    EXPECT_EQ(SplitterPole(s, 0, 0), z1);
    EXPECT_EQ(s.linePosition[0], position);
    // The first sample of 1e-8 releases it at once, with the states as they were.
    p.ProcessFrame(1e-8, 0.0);
    EXPECT_EQ(s.silentCount[0], 0.0);
    EXPECT_NE(SplitterPole(s, 0, 0), z1);
    EXPECT_EQ(s.linePosition[0], position + 1);
}

TEST(AudioBandPath, BypassedBandPlaysThroughASoloOfAnother)
{
    LinkedEffect p(44100);
    PlainBands(p);
    p.SetSlider(slider::kSolo + LM, 1);
    p.SetSlider(slider::kBypass + LO, 1);
    const double fs = 44100;
    const int frames = 44100;
    std::vector<double> left(frames), right(frames, 0.0);
    for (int n = 0; n < frames; ++n)
        left[n] = 0.4 * std::sin(2 * kPi * 50 * n / fs) + 0.2 * std::sin(2 * kPi * 441 * n / fs);
    const std::vector<double> input = left;
    p.Process(left, right);
    // LO at unity through its bypass, LM at its solo gain; HM and HI muted.
    const double a80 = 1 - std::exp(-2 * kPi * 80 / fs), a600 = 1 - std::exp(-2 * kPi * 600 / fs);
    double z1 = 0, z2 = 0, z3 = 0;
    std::vector<double> expected(frames);
    for (int n = 0; n < frames; ++n) {
        z1 += a80 * (input[n] - z1);
        z2 += a80 * (input[n] - z2);
        z3 += a600 * (input[n] - z2 - z3);
        expected[n] = z1 + z3; // eqNorm is 1 with every compress amount 0
    }
    for (int n = 128; n < frames; ++n)
        ASSERT_NEAR(left[n], expected[n - 128], 1e-12) << n;
}

} // namespace
