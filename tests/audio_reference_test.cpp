// The processor against its plain transcription (tests/audio_reference.h), on each
// instruction-set path of the band path: outputs of both audio entries within 1e-9 (on
// signals up to full scale, relative above it), detector states and meters within the
// same, and latency, mono state and sample counter exactly, over programme material,
// silences, mono stretches, rates and rate changes, parameter changes between blocks
// and every combination of the switches.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "bench/programme_material.h"
#include "effect/band_path.h"
#include "effect/band_state.h"
#include "runtime/fp_mode.h"
#include "tests/audio_effect_fixture.h"
#include "tests/audio_reference.h"

using namespace testing_support;

namespace {

constexpr double kTolerance = 1e-9;
const char* const kBandNames[kBandCount] = {"LO", "LM", "HM", "HI"};

struct Change {
    int frame;
    int slider; // 0: a restart at `value` Hz
    double value;
};

std::vector<double> Sliders(const LinkedEffect& p)
{
    std::vector<double> s(kSliderCount);
    for (int n = 0; n < kSliderCount; ++n)
        s[n] = p.Slider(n);
    return s;
}

// 1e-9, or that part of the value above full scale.
double Allowed(double reference) { return kTolerance * std::max(1.0, std::fabs(reference)); }
bool Near(double value, double reference) { return std::fabs(value - reference) <= Allowed(reference); }

// The float entry rounds: within the tolerance before rounding is within one float step
// after it.
bool NearSample(float value, double reference)
{
    const auto rounded = static_cast<float>(reference);
    if (value == rounded) return true;
    const float step = std::nextafter(std::fabs(rounded), std::numeric_limits<float>::infinity()) - std::fabs(rounded);
    return std::fabs(static_cast<double>(value) - reference) <= Allowed(reference) + step;
}
bool NearSample(double value, double reference) { return Near(value, reference); }

// The sliders that differ from their defaults, for a failure report.
std::string Setting(const LinkedEffect& p)
{
    std::ostringstream text;
    text << "rate " << static_cast<double>(p.effect().srate) << ", sliders";
    for (const SliderDef& def : p.effect().sliderDefs)
        if (p.Slider(def.number) != def.defaultValue) text << " " << def.name << "=" << p.Slider(def.number);
    return text.str();
}

// Each band's result and detector outputs against the reference's, as the block left them.
std::string BandReport(const reference::Processor& ref, const BandPathState& s)
{
    std::ostringstream text;
    text.precision(17);
    for (int c = 0; c < kChannelCount; ++c)
        for (int b = 0; b < kBandCount; ++b) {
            const int l = Lane(c, b);
            const double worst = std::max({std::fabs(s.band[l] - ref.ch[c].band[b]),
                                           std::fabs(s.gainDivisor[l] - ref.ch[c].comp[b].gainDivisor),
                                           std::fabs(s.transientGain[l] - ref.ch[c].shaper[b].transientGain)});
            text << "\n  channel " << c + 1 << " " << kBandNames[b] << ": band " << s.band[l] << " (reference "
                 << ref.ch[c].band[b] << "), divisor " << s.gainDivisor[l] << " (" << ref.ch[c].comp[b].gainDivisor
                 << "), transient gain " << s.transientGain[l] << " (" << ref.ch[c].shaper[b].transientGain
                 << "), largest difference " << worst;
        }
    return text.str();
}

void ExpectSameState(const reference::Processor& ref, const LinkedEffect& p, int frame, const std::string& where)
{
    const DspVariables& dsp = p.dsp();
    const BandPathState& s = p.band();
    for (int c = 0; c < kChannelCount; ++c)
        for (int b = 0; b < kBandCount; ++b) {
            const int l = Lane(c, b);
            const std::string at = where + ", frame " + std::to_string(frame) + ", channel " + std::to_string(c + 1) +
                                   " band " + kBandNames[b];
            ASSERT_TRUE(Near(s.band[l], ref.ch[c].band[b])) << at << BandReport(ref, s);
            ASSERT_TRUE(Near(s.gainDivisor[l], ref.ch[c].comp[b].gainDivisor)) << at << BandReport(ref, s);
            ASSERT_TRUE(Near(s.smoothGain[l], ref.ch[c].comp[b].smoothGain)) << at << BandReport(ref, s);
            ASSERT_TRUE(Near(s.transientGain[l], ref.ch[c].shaper[b].transientGain)) << at << BandReport(ref, s);
            ASSERT_TRUE(Near(dsp.compMeter[c][b], ref.compMeter[c][b]))
                << at << ": meter " << dsp.compMeter[c][b] << ", reference " << ref.compMeter[c][b];
        }
    for (int b = 0; b < kBandCount; ++b)
        ASSERT_TRUE(Near(dsp.transientMeter[b], ref.transientMeter[b])) << where << " transient meter " << b;
    ASSERT_EQ(dsp.latency, ref.latency) << where;
    ASSERT_EQ(dsp.monoInput, ref.monoInput) << where << ", frame " << frame;
    ASSERT_EQ(dsp.monoCount, ref.monoCount) << where << ", frame " << frame;
    ASSERT_EQ(dsp.sampleCounter, ref.sampleCounter) << where << ", frame " << frame;
}

class AudioReference : public ::testing::TestWithParam<SimdPath> {
protected:
    void SetUp() override
    {
        if (GetParam() == SimdPath::kAvx2 && !CpuRunsAvx2()) GTEST_SKIP() << "this processor has no AVX2 and FMA";
        if (GetParam() == SimdPath::kAvx512 && !(kBandKernelsAvx512.floats && CpuRunsAvx512()))
            GTEST_SKIP() << "this processor or build has no AVX-512";
    }

    // Runs the plug-in through the entry for Sample and the reference side by side.
    template <typename Sample>
    void Compare(float rate, const material::Stereo& input, std::vector<Change> changes, std::vector<int> blocks)
    {
        LinkedEffect p(rate, 512, GetParam());
        ASSERT_EQ(p.effect().ChosenSimdPath(), GetParam());
        const std::string path = std::string(SimdPathName(GetParam())) + " path";
        reference::Processor ref;
        ref.Init(rate);
        ref.Slider(Sliders(p).data());
        const int frames = static_cast<int>(input.left.size());
        size_t nextChange = 0, nextBlock = 0;
        for (int start = 0; start < frames;) {
            while (nextChange < changes.size() && changes[nextChange].frame <= start) {
                const Change& c = changes[nextChange++];
                if (c.slider == 0) {
                    // A restart begins afresh, as a new instance would.
                    p.Restart(static_cast<float>(c.value));
                    ref = reference::Processor();
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
                for (int side = 0; side < 2; ++side) {
                    const Sample out = side == 0 ? left[i] : right[i];
                    const double expected = side == 0 ? refLeft[i] : refRight[i];
                    ASSERT_TRUE(NearSample(out, expected))
                        << path << ": " << (side == 0 ? "left" : "right") << " output at frame " << start + i << " is "
                        << out << ", the reference " << expected << " (" << Setting(p)
                        << "); the bands at the end of that block:" << BandReport(ref, p.band());
                }
            }
            ExpectSameState(ref, p, start + n, path + " (" + Setting(p) + ")");
            if (::testing::Test::HasFatalFailure()) return;
            start += n;
        }
    }
};

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

// The programme raised to peaks of 0 dBFS.
material::Stereo FullScale(double rate, int frames, uint64_t seed)
{
    material::Stereo s = material::Programme(rate, frames, seed);
    const double gain = std::pow(10.0, 3.0 / 20.0);
    for (int n = 0; n < frames; ++n) {
        s.left[n] *= gain;
        s.right[n] *= gain;
    }
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

TEST_P(AudioReference, DefaultSettingsOnFullScaleProgramme)
{
    Compare<double>(44100, FullScale(44100, 3 * 44100, 1), {}, {512});
}

TEST_P(AudioReference, EveryShaperPunchAndFastInertiaInOddBlockSizes)
{
    Compare<double>(48000, material::Programme(48000, 2 * 48000, 3),
                    {{0, 6, 10}, {0, 7, -7}, {0, 8, 5}, {0, 9, -10}, {0, slider::kPunch, 1}, {0, 30, 0}},
                    {1, 7, 64, 333, 4096, 512, 2});
}

TEST_P(AudioReference, StereoModeMonoStretchesSilencesAndHardCompression)
{
    std::vector<Change> changes = {
        {0, slider::kStereoMs, 0}, {0, 1, 40}, {0, 2, 40}, {0, 3, 40}, {0, 4, 40}, {0, slider::kMixLevel, 1},
        {0, slider::kBalance, 3},  {0, 6, 3},  {0, 9, 6}};
    Compare<double>(44100, Patchwork(44100, 4 * 44100), changes, {128});
}

TEST_P(AudioReference, MidSideSilencesWithGainsAndSlowInertia)
{
    std::vector<Change> changes = {{0, slider::kInput, 12},   {0, slider::kOutput, -6}, {0, 30, 1},
                                   {0, slider::kBalance, -3}, {0, slider::kPunch, 1},   {0, 7, 10}};
    Compare<double>(96000, Patchwork(96000, 3 * 96000), changes, {256, 100});
}

TEST_P(AudioReference, RateChangesMidStream)
{
    // 96 kHz then 44.1 kHz: the lines shorten while their positions may lie beyond.
    std::vector<Change> changes = {{0, 8, 4}, {20000, 0, 96000}, {50000, 0, 44100}, {70000, 0, 48000}};
    Compare<double>(44100, material::Programme(44100, 100000, 4), changes, {500});
}

TEST_P(AudioReference, LinesStraddlingAMemoryBlockBoundary)
{
    // At 65500 Hz lines 1 and 2 run from one block of script memory into the next.
    LinkedEffect p(65500);
    const DelayLine& line = p.dsp().lines[1];
    ASSERT_NE(ToIndex(line.writeBase) >> 16, ToIndex(line.writeBase + line.length) >> 16);
    Compare<double>(65500, material::Programme(65500, 2 * 65500, 6), {{0, 7, 8}}, {512});
}

TEST_P(AudioReference, LinesSharingSlotsStepInTheScriptsOrder)
{
    // At 10 Hz the lines (no longer than their spacing) overlap no more; at 0.5 Hz the
    // bases i fs round to shared cells, and the lines must step one after another.
    Compare<double>(0.5f, material::Programme(44100, 3000, 8), {{0, 6, 4}, {1500, 0, 10}}, {100});
}

TEST_P(AudioReference, FloatEntryRoundsTheSameOutput)
{
    // Blocks longer and shorter than the lines, across the silences and the mono stretch.
    Compare<float>(44100, Patchwork(44100, 2 * 44100), {{0, 6, -10}, {0, 9, 10}}, {64, 4096, 1, 31});
}

TEST_P(AudioReference, ParameterChangesBetweenBlocks)
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

TEST_P(AudioReference, EveryCombinationOfTheSwitches)
{
    // The fourteen on/off sliders in Gray-code order, one of them flipped per block of
    // 32 frames, so each of the 16384 combinations runs on a stream in motion; every
    // shaper on and one band without compression make each switch count.
    const int switches[14] = {slider::kCompressor,  slider::kTransientSwitch, slider::kEq,
                              slider::kSolo + LO,   slider::kSolo + LM,       slider::kSolo + HM,
                              slider::kSolo + HI,   slider::kBypass + LO,     slider::kBypass + LM,
                              slider::kBypass + HM, slider::kBypass + HI,     slider::kPunch,
                              slider::kStereoMs,    slider::kMixLevel};
    const int kBlock = 32, kCombinations = 1 << 14;
    std::vector<Change> changes = {{0, 6, 5}, {0, 7, -4}, {0, 8, 8}, {0, 9, -6}, {0, 3, 0}};
    // Start from every switch off, then flip one per block.
    for (int i = 0; i < 14; ++i)
        changes.push_back({0, switches[i], 0});
    for (int n = 1; n < 2 * kCombinations; ++n) {
        const int gray = n ^ (n >> 1), previous = (n - 1) ^ ((n - 1) >> 1);
        const int bit = std::countr_zero(static_cast<unsigned>(gray ^ previous));
        // Bit 14 runs the sweep again with a quiet programme: the compressors idle.
        if (bit == 14) {
            changes.push_back({n * kBlock, slider::kInput, -30});
            continue;
        }
        changes.push_back({n * kBlock, switches[bit], static_cast<double>((gray >> bit) & 1)});
    }
    Compare<double>(48000, FullScale(48000, 2 * kCombinations * kBlock, 12), changes, {kBlock});
}

TEST(AudioSimdPaths, ThePathsComputeApart)
{
    // Fused multiply-adds, and AVX-512's Newton steps for division and square root, round
    // differently: two paths cannot agree bit for bit on a programme unless one of them
    // did not run.
    if (!CpuRunsAvx2()) GTEST_SKIP() << "this processor has no AVX2 and FMA";
    std::vector<SimdPath> paths = {SimdPath::kBaseline, SimdPath::kAvx2};
    const bool avx512 = kBandKernelsAvx512.floats && CpuRunsAvx512();
    if (avx512) paths.push_back(SimdPath::kAvx512);
    const material::Stereo music = FullScale(48000, 48000, 2);
    std::vector<std::vector<double>> left;
    for (SimdPath path : paths) {
        LinkedEffect p(48000, 512, path);
        ASSERT_EQ(p.effect().ChosenSimdPath(), path);
        std::vector<double> l = music.left, r = music.right;
        p.Process(l, r);
        for (size_t k = 0; k < left.size(); ++k)
            EXPECT_NE(l, left[k]) << SimdPathName(path) << " and " << SimdPathName(paths[k]);
        left.push_back(std::move(l));
    }
    // The best is the widest that runs; a narrower one is had on request.
    const SimdPath best = avx512 ? SimdPath::kAvx512 : SimdPath::kAvx2;
    EXPECT_EQ(LinkedEffect(48000, 512, SimdPath::kBest).effect().ChosenSimdPath(), best);
    EXPECT_EQ(LinkedEffect(48000, 512, SimdPath::kBaseline).effect().ChosenSimdPath(), SimdPath::kBaseline);
}

INSTANTIATE_TEST_SUITE_P(OnPath, AudioReference,
                         ::testing::Values(SimdPath::kBaseline, SimdPath::kAvx2, SimdPath::kAvx512),
                         [](const ::testing::TestParamInfo<SimdPath>& info) {
                             return std::string(SimdPathName(info.param));
                         });

} // namespace
