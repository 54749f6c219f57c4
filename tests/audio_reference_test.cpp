// The processor against its plain transcription (tests/audio_reference.h), bit for bit:
// outputs of both audio entries, detector states and meters, over programme material,
// silences, mono stretches, rate changes and parameter changes between blocks.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/programme_material.h"
#include "effect/band_path.h"
#include "runtime/fp_mode.h"
#include "tests/audio_effect_fixture.h"
#include "tests/audio_reference.h"

using namespace testing_support;

namespace {

struct Change {
    int frame;
    int slider; // 0: a restart at `value` Hz
    double value;
};

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }
uint64_t Bits(float v) { return std::bit_cast<uint32_t>(v); }

std::vector<double> Sliders(const LinkedEffect& p)
{
    std::vector<double> s(kSliderCount);
    for (int n = 0; n < kSliderCount; ++n)
        s[n] = p.Slider(n);
    return s;
}

void ExpectSameState(const reference::Processor& ref, const DspVariables& dsp, int frame)
{
    for (int c = 0; c < kChannelCount; ++c)
        for (int b = 0; b < kBandCount; ++b) {
            ASSERT_EQ(Bits(dsp.channel[c].compressor[b].gainDivisor), Bits(ref.ch[c].comp[b].gainDivisor))
                << "frame " << frame << " channel " << c << " band " << b;
            ASSERT_EQ(Bits(dsp.channel[c].compressor[b].smoothGain), Bits(ref.ch[c].comp[b].smoothGain));
            ASSERT_EQ(Bits(dsp.channel[c].shaper[b].transientGain), Bits(ref.ch[c].shaper[b].transientGain));
            ASSERT_EQ(Bits(dsp.compMeter[c][b]), Bits(ref.compMeter[c][b]));
        }
    for (int b = 0; b < kBandCount; ++b)
        ASSERT_EQ(Bits(dsp.transientMeter[b]), Bits(ref.transientMeter[b]));
    ASSERT_EQ(dsp.monoInput, ref.monoInput) << frame;
    ASSERT_EQ(dsp.monoCount, ref.monoCount) << frame;
    ASSERT_EQ(dsp.sampleCounter, ref.sampleCounter) << frame;
}

// Runs the plug-in through the entry for Sample and the reference side by side.
template <typename Sample>
void Compare(float rate, const material::Stereo& input, std::vector<Change> changes, std::vector<int> blocks)
{
    LinkedEffect p(rate);
    reference::Processor ref;
    ref.Init(rate);
    ref.Slider(Sliders(p).data());
    const int frames = static_cast<int>(input.left.size());
    size_t nextChange = 0, nextBlock = 0;
    for (int start = 0; start < frames;) {
        while (nextChange < changes.size() && changes[nextChange].frame <= start) {
            const Change& c = changes[nextChange++];
            if (c.slider == 0) {
                p.Restart(static_cast<float>(c.value));
                ref.Init(static_cast<float>(c.value));
                ref.Slider(Sliders(p).data());
                continue;
            }
            const double before = p.Slider(c.slider);
            p.SetSlider(c.slider, c.value);
            if (p.Slider(c.slider) != before) ref.Slider(Sliders(p).data());
        }
        const int n = std::min(blocks[nextBlock++ % blocks.size()], frames - start);
        std::vector<Sample> left(input.left.begin() + start, input.left.begin() + start + n);
        std::vector<Sample> right(input.right.begin() + start, input.right.begin() + start + n);
        std::vector<double> refLeft(left.begin(), left.end()), refRight(right.begin(), right.end());
        {
            // The same floating-point mode as the audio entries.
            ScopedDenormalGuard denormals;
            ref.Block();
            for (int i = 0; i < n; ++i)
                ref.Sample(refLeft[i], refRight[i]);
        }
        p.Process(left, right, n);
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(Bits(left[i]), Bits(static_cast<Sample>(refLeft[i]))) << "left at frame " << start + i;
            ASSERT_EQ(Bits(right[i]), Bits(static_cast<Sample>(refRight[i]))) << "right at frame " << start + i;
        }
        ExpectSameState(ref, p.dsp(), start + n);
        if (::testing::Test::HasFatalFailure()) return;
        start += n;
    }
}

// Programme with gaps of digital silence, a stretch under 1e-8, and a mono stretch.
material::Stereo Patchwork(double rate, int frames)
{
    material::Stereo s = material::Programme(rate, frames, 9);
    material::Noise noise(21);
    for (int n = frames / 5; n < frames / 5 + 3000; ++n)
        s.left[n] = s.right[n] = 0.0;
    for (int n = frames / 3; n < frames / 3 + 2500; ++n) {
        s.left[n] = 0.9e-8 * noise.Next();
        s.right[n] = 0.0;
    }
    for (int n = frames / 2; n < frames / 2 + frames / 4; ++n)
        s.right[n] = s.left[n];
    return s;
}

TEST(AudioShortcuts, EveryLevelUnderTheBoundIsAtMostTheThresholdInDb)
{
    // Every effective threshold the sliders can give lies in [-83.3, -0.1] dB.
    for (double threshold = -90.0; threshold <= 0.0; threshold += 0.0137) {
        const double bound = LevelBelowThreshold(threshold);
        const double below = std::nextafter(bound, 0.0);
        ASSERT_LE(20.0 * std::log10(below), threshold) << threshold;
        // ... and the bound is tight: a level a millionth of a dB over is not under it.
        ASSERT_GT(std::pow(10.0, (threshold + 1e-6) / 20.0), bound);
    }
}

TEST(AudioShortcuts, IntegerPacingMatchesTheFloatingPointRemainder)
{
    for (double counter = 0.0; counter < 200000.0; counter += 1.0) {
        ASSERT_EQ(IsCounterMultiple(counter, 2), std::fabs(std::fmod(counter, 2.0)) < 0.00001) << counter;
        ASSERT_EQ(IsCounterMultiple(counter, 4), std::fabs(std::fmod(counter, 4.0)) < 0.00001) << counter;
    }
    for (double counter : {0.5, 3.999995, 4.000001, -4.0, -3.0, 1e12, 4294967296.0})
        EXPECT_EQ(IsCounterMultiple(counter, 4), std::fabs(std::fmod(counter, 4.0)) < 0.00001) << counter;
}

TEST(AudioReference, DefaultSettingsOnProgramme)
{
    Compare<double>(44100, material::Programme(44100, 3 * 44100), {}, {512});
}

TEST(AudioReference, EveryShaperPunchAndFastInertiaInOddBlockSizes)
{
    Compare<double>(48000, material::Programme(48000, 2 * 48000, 3),
                    {{0, 6, 10}, {0, 7, -7}, {0, 8, 5}, {0, 9, -10}, {0, slider::kPunch, 1}, {0, 30, 0}},
                    {1, 7, 64, 333, 512, 2});
}

TEST(AudioReference, StereoModeMonoStretchesSilencesAndHardCompression)
{
    std::vector<Change> changes = {
        {0, slider::kStereoMs, 0}, {0, 1, 40}, {0, 2, 40}, {0, 3, 40}, {0, 4, 40}, {0, slider::kMixLevel, 1},
        {0, slider::kBalance, 3},  {0, 6, 3},  {0, 9, 6}};
    Compare<double>(44100, Patchwork(44100, 4 * 44100), changes, {128});
}

TEST(AudioReference, MidSideSilencesWithGainsAndSlowInertia)
{
    std::vector<Change> changes = {{0, slider::kInput, 12},   {0, slider::kOutput, -6}, {0, 30, 1},
                                   {0, slider::kBalance, -3}, {0, slider::kPunch, 1},   {0, 7, 10}};
    Compare<double>(96000, Patchwork(96000, 3 * 96000), changes, {256, 100});
}

TEST(AudioReference, RateChangesMidStream)
{
    // 96 kHz then 44.1 kHz: the lines shorten while their positions may lie beyond.
    std::vector<Change> changes = {{0, 8, 4}, {20000, 0, 96000}, {50000, 0, 44100}, {70000, 0, 48000}};
    Compare<double>(44100, material::Programme(44100, 100000, 4), changes, {500});
}

TEST(AudioReference, LinesStraddlingAMemoryBlockBoundary)
{
    // At 65500 Hz lines 1 and 2 run from one block of script memory into the next.
    LinkedEffect p(65500);
    const DelayLine& line = p.dsp().lines[1];
    ASSERT_NE(ToIndex(line.writeBase) >> 16, ToIndex(line.writeBase + line.length) >> 16);
    Compare<double>(65500, material::Programme(65500, 2 * 65500, 6), {{0, 7, 8}}, {512});
}

TEST(AudioReference, FloatEntryRoundsTheSameOutput)
{
    Compare<float>(44100, Patchwork(44100, 2 * 44100), {{0, 6, -10}, {0, 9, 10}}, {64});
}

TEST(AudioReference, ParameterChangesBetweenBlocks)
{
    // Every slider, moved to values from its range every few blocks.
    struct Range {
        int slider;
        double lo, hi, step;
    };
    const Range ranges[] = {
        {1, 0, 40, 1},      {2, 0, 40, 1},      {3, 0, 40, 1},      {4, 0, 40, 1},      {5, 0, 1, 1},
        {6, -10, 10, 0.1},  {7, -10, 10, 0.1},  {8, -10, 10, 0.1},  {9, -10, 10, 0.1},  {10, 0, 1, 1},
        {11, -20, 20, 0.1}, {12, -20, 20, 0.1}, {13, -20, 20, 0.1}, {14, -20, 20, 0.1}, {15, 0, 1, 1},
        {16, 0, 1, 1},      {17, 0, 1, 1},      {18, 0, 1, 1},      {19, 0, 1, 1},      {20, 0, 1, 1},
        {21, 0, 1, 1},      {22, 0, 1, 1},      {23, 0, 1, 1},      {30, 0, 1, 0.1},    {31, 0, 1, 1},
        {32, -3, 3, 0.1},   {33, 0, 1, 1},      {34, 0, 1, 1},      {40, -20, 20, 0.1}, {41, -20, 20, 0.1}};
    material::Noise pick(99);
    std::vector<Change> changes;
    for (int frame = 0; frame < 4 * 48000; frame += 1536) {
        for (int k = 0; k < 3; ++k) {
            const Range& r = ranges[static_cast<int>((pick.Next() + 1) * 15) % 30];
            const double steps = (r.hi - r.lo) / r.step;
            const double v = r.lo + r.step * static_cast<int>((pick.Next() + 1) * 0.5 * (steps + 0.999));
            changes.push_back({frame, r.slider, v});
        }
    }
    Compare<double>(48000, Patchwork(48000, 4 * 48000), changes, {512});
}

} // namespace
