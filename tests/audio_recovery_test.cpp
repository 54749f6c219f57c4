// One non-finite sample from the host must not silence a channel for good: the next
// block starts from a clean state, and finite input is processed as it always was.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "bench/programme_material.h"
#include "tests/audio_effect_fixture.h"

using testing_support::LinkedEffect;

namespace {

constexpr int kBlock = 512;

bool AllFinite(const std::vector<double>& v, size_t from = 0)
{
    for (size_t i = from; i < v.size(); ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

// Feeds a block holding one bad sample, then programme material; a fresh instance gets
// only the programme. From the block after the bad one on, the two must agree exactly
// (in "Stereo" mode a bad left sample touches the left channel's path only, so only the
// left output is compared there; the right one keeps its own history).
void ExpectRecoveryFrom(double bad, bool stereoMode, bool leftOnly)
{
    LinkedEffect damaged, fresh;
    if (stereoMode) {
        damaged.SetSlider(testing_support::slider::kStereoMs, 0);
        fresh.SetSlider(testing_support::slider::kStereoMs, 0);
    }
    const auto warmup = material::Programme(44100, kBlock, 7);
    std::vector<double> left = warmup.left, right = warmup.right;
    left[100] = bad;
    if (!leftOnly) right[300] = bad;
    damaged.Process(left, right, kBlock);

    const auto music = material::Programme(44100, 44100, 3);
    std::vector<double> dl = music.left, dr = music.right, fl = music.left, fr = music.right;
    damaged.Process(dl, dr, kBlock);
    fresh.Process(fl, fr, kBlock);
    EXPECT_TRUE(AllFinite(dl));
    EXPECT_TRUE(AllFinite(dr));
    for (size_t i = 0; i < dl.size(); ++i) {
        ASSERT_EQ(dl[i], fl[i]) << "left " << i;
        if (!stereoMode) {
            ASSERT_EQ(dr[i], fr[i]) << "right " << i;
        }
    }
    for (int c = 0; c < 2; ++c)
        for (int b = 0; b < 4; ++b)
            EXPECT_TRUE(std::isfinite(damaged.dsp().compMeter[c][b]));
    for (int b = 0; b < 4; ++b)
        EXPECT_TRUE(std::isfinite(damaged.dsp().transientMeter[b]));
}

TEST(AudioRecovery, NaNInOneChannelOfMidSide) { ExpectRecoveryFrom(std::nan(""), false, true); }
TEST(AudioRecovery, InfinityInBothChannels)
{
    ExpectRecoveryFrom(std::numeric_limits<double>::infinity(), false, false);
}
TEST(AudioRecovery, NaNInTheLeftChannelOfStereo) { ExpectRecoveryFrom(std::nan(""), true, true); }
TEST(AudioRecovery, OverflowInsideTheDetectorsCountsAsNonFinite)
{
    // With the compressors off, a value near the largest double reaches the transient
    // shaper whole, and its square overflows the mean square to infinity.
    LinkedEffect damaged;
    damaged.SetSlider(testing_support::slider::kCompressor, 0.0);
    damaged.SetSlider(testing_support::slider::kTransient, 5.0);
    std::vector<double> left(kBlock, 0.0), right(kBlock, 0.0);
    left[10] = left[11] = 1e300;
    damaged.Process(left, right, kBlock);
    EXPECT_FALSE(std::isfinite(damaged.band().meanSquare[Lane(0, 0)]));
    std::vector<double> l(kBlock, 0.25), r(kBlock, 0.25);
    damaged.Process(l, r, kBlock);
    EXPECT_TRUE(AllFinite(l));
    EXPECT_TRUE(AllFinite(r));
}

TEST(AudioRecovery, MetersStayFiniteWhileTheBadBlockIsOnItsWay)
{
    LinkedEffect p;
    std::vector<float> left(64, std::numeric_limits<float>::quiet_NaN()), right(64, 0.5f);
    p.Process(left, right, 64);
    // the next call's block section reads the meters before any frame runs
    std::vector<float> l2(1, 0.1f), r2(1, 0.1f);
    p.Process(l2, r2, 1);
    for (int c = 0; c < 2; ++c)
        for (int b = 0; b < 4; ++b) {
            EXPECT_TRUE(std::isfinite(p.dsp().compMeter[c][b]));
            EXPECT_LE(p.dsp().compMeter[c][b], 1.0);
        }
    EXPECT_TRUE(std::isfinite(l2[0]));
    EXPECT_TRUE(std::isfinite(r2[0]));
}

} // namespace
