// The init section: rate-dependent constants, lookahead and latency, the delay lines in
// script memory, the splitter and punch coefficients, and the host values it takes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "bench/programme_material.h"
#include "tests/audio_effect_fixture.h"
#include "tests/plugin_fixture.h"

using testing_support::LinkedEffect;
using testing_support::LinkedTimeInfo;

namespace {

double C(double t, double fs) { return std::exp(-1.0 / (t * fs)); }
double W(double f, double fs) { return 1.0 - std::exp(-2.0 * std::numbers::pi * f / fs); }

struct RateCase {
    float rate;
    double lookahead;
    double latency;
};

TEST(AudioInit, LookaheadAndLatencyFollowTheRate)
{
    for (const RateCase c : {RateCase{44100, 64, 128}, RateCase{48000, 69, 138}, RateCase{96000, 139, 278}}) {
        LinkedEffect p(c.rate);
        const DspVariables& dsp = p.dsp();
        EXPECT_EQ(dsp.lookahead, c.lookahead) << c.rate;
        EXPECT_EQ(dsp.latency, c.latency) << c.rate;
        for (int i = 0; i < kDelayLineCount; ++i) {
            EXPECT_EQ(dsp.lines[i].length, c.lookahead);
            EXPECT_EQ(dsp.lines[i].writeBase, i * static_cast<double>(c.rate));
            EXPECT_EQ(dsp.lines[i].readBase, i * static_cast<double>(c.rate));
        }
        for (int ch = 0; ch < kChannelCount; ++ch)
            EXPECT_EQ(p.band().linePosition[ch], 0.0);
    }
}

TEST(AudioInit, OnePoleSplitterAndPunchConstantsAtTheRate)
{
    const double fs = 48000;
    LinkedEffect p(48000);
    const DspVariables& dsp = p.dsp();
    EXPECT_DOUBLE_EQ(dsp.attack0005, C(0.0005, fs));
    EXPECT_DOUBLE_EQ(dsp.release002, C(0.02, fs));
    EXPECT_DOUBLE_EQ(dsp.attack005, C(0.05, fs));
    EXPECT_DOUBLE_EQ(dsp.release01, C(0.1, fs));
    EXPECT_DOUBLE_EQ(dsp.dbFactor, std::log(10.0) / 20.0);
    EXPECT_DOUBLE_EQ(dsp.meanSquareCoef, 1.0 - std::exp(-1.0 / (1.666 * fs)));
    EXPECT_EQ(dsp.monoBlockLimit, 64.0);
    EXPECT_EQ(dsp.silenceLimit, 1024.0);
    for (const BandPathChannel& ch : dsp.channel) {
        EXPECT_DOUBLE_EQ(ch.splitter.a80, W(80, fs));
        EXPECT_DOUBLE_EQ(ch.splitter.a600, W(600, fs));
        EXPECT_DOUBLE_EQ(ch.splitter.a6000, W(6000, fs));
    }
    // The band path's states follow at the next processing call.
    p.ProcessNothing();
    for (int c = 0; c < kChannelCount; ++c) {
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(SplitterPole(p.band(), c, k), 0.0);
        for (int b = 0; b < kBandCount; ++b)
            EXPECT_EQ(p.band().punchGain[Lane(c, b)], 1.0);
    }
    EXPECT_DOUBLE_EQ(dsp.punchCoef[0], W(20, fs));
    EXPECT_DOUBLE_EQ(dsp.punchCoef[1], W(40, fs));
    EXPECT_DOUBLE_EQ(dsp.punchCoef[2], W(20, fs));
    EXPECT_DOUBLE_EQ(dsp.punchCoef[3], W(10, fs));
}

TEST(AudioInit, EveryDelaySlotHasItsHomeBeforeProcessingAndProcessingMakesNone)
{
    for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
        LinkedEffect p(rate);
        const ScriptMemory& memory = p.effect().Memory();
        for (int i = 0; i < kDelayLineCount; ++i) {
            const DelayLine& line = p.dsp().lines[i];
            for (int k = 0; k <= line.length; ++k)
                ASSERT_NE(memory.Find(ToIndex(line.writeBase + k)), nullptr) << rate << " line " << i;
        }
        // The lines live in regions of their own size, not in blocks of 65536.
        EXPECT_EQ(memory.BlockCount(), 0);
        const int regions = memory.RegionCount();
        std::vector<double> left(3000), right(3000);
        for (int i = 0; i < 3000; ++i)
            left[i] = right[i] = std::sin(0.01 * i);
        p.Process(left, right, 256);
        EXPECT_EQ(memory.BlockCount(), 0);
        EXPECT_EQ(memory.RegionCount(), regions);
    }
}

TEST(AudioInit, DelayLinesHoldTheirSamplesInScriptMemory)
{
    LinkedEffect p(44100);
    p.SetSlider(testing_support::slider::kStereoMs, 0);
    p.SetSlider(testing_support::slider::kMixLevel, 1);
    std::vector<double> left(10, 0.5), right(10, 0.0);
    p.Process(left, right);
    // Channel 1's LO lookahead line (8) got the LO band: z1 after each sample.
    const double a = p.dsp().channel[0].splitter.a80;
    double z = 0.0;
    for (int n = 0; n < 10; ++n) {
        z = z + a * (0.5 - z);
        // Within rounding: fused multiply-adds may round the last bit apart.
        EXPECT_NEAR(p.effect().MemoryCell(8 * 44100 + n), z, 1e-16) << n;
    }
    EXPECT_EQ(p.band().linePosition[0], 10.0);
}

// A restart at a new rate moves the lines and starts afresh (the sound of a restart against
// a fresh instance is tested through every format's interface).
TEST(AudioInit, RestartAtANewRateMovesTheLinesAndClearsTheState)
{
    LinkedEffect p(44100);
    p.SetSlider(testing_support::slider::kPunch, 1);
    const material::Stereo programme = material::Programme(44100, 30000, 4);
    std::vector<double> left = programme.left, right = programme.right;
    p.Process(left, right);
    ASSERT_NE(p.band().punchGain[0], 1.0);
    ASSERT_NE(p.dsp().sampleCounter, 0.0);
    p.Restart(96000);
    for (int i = 0; i < kDelayLineCount; ++i) {
        EXPECT_EQ(p.dsp().lines[i].length, 139.0);
        EXPECT_EQ(p.dsp().lines[i].writeBase, i * 96000.0);
    }
    p.ProcessNothing();
    EXPECT_EQ(p.band().punchGain[0], 1.0);
    EXPECT_EQ(p.band().smoothGain[0], 0.0);
    EXPECT_EQ(p.dsp().sampleCounter, 0.0);
    EXPECT_EQ(p.dsp().monoCount, 0.0);
    left = programme.left;
    right = programme.right;
    p.Process(left, right);
    EXPECT_TRUE(std::isfinite(left.back()));
}

TEST(AudioInit, TakesTheHostValuesAndMakesNonFiniteOnesZero)
{
    VstTimeInfo info{};
    info.tempo = 133.0;
    info.timeSigNumerator = 7;
    info.timeSigDenominator = 8;
    info.flags = kVstTempoValid | kVstTimeSigValid;
    LinkedTimeInfo() = info;
    {
        LinkedEffect p(48000, 256);
        TVexlEffect& e = p.effect();
        EXPECT_EQ(e.srate, 48000.0);
        EXPECT_EQ(e.numChannels, 2.0);
        EXPECT_EQ(e.samplesBlock, 256.0);
        EXPECT_EQ(e.tempo, 133.0);
        EXPECT_EQ(e.hostTempo, 133.0);
        EXPECT_EQ(e.redrawRate, 30.0);
        // The block section reads the signature into the runtime and the working copies.
        p.ProcessFrame(0.0, 0.0);
        EXPECT_EQ(e.tsNum, 7.0);
        EXPECT_EQ(e.tsDenom, 8.0);
    }
    info.tempo = std::numeric_limits<double>::infinity();
    LinkedTimeInfo() = info;
    {
        LinkedEffect p(44100);
        TVexlEffect& e = p.effect();
        e.editor.colourRed = 0.5;
        e.editor.colourAlpha = 0.5;
        p.Restart(std::numeric_limits<float>::quiet_NaN());
        EXPECT_EQ(e.srate, 0.0);
        EXPECT_EQ(e.hostSampleRate, 0.0);
        EXPECT_EQ(e.tempo, 0.0);
        EXPECT_EQ(e.dsp.lookahead, 0.0);
        EXPECT_EQ(e.editor.colourRed, 0.0);
        EXPECT_EQ(e.editor.colourAlpha, 0.0);
    }
    LinkedTimeInfo().reset();
}

} // namespace
