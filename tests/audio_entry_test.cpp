// The processing entries: one block section per call, one sample section per frame,
// and exact pass-through while the sections leave the samples alone.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/counting_effect.h"

using testing_support::CountingInstance;

namespace {

template <typename Sample> std::vector<Sample> Ramp(int n, double scale)
{
    std::vector<Sample> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = static_cast<Sample>(std::sin(0.37 * i) * scale + 1e-3 * i);
    return v;
}

template <typename Sample> void ExpectPassThrough(bool inPlace)
{
    CountingInstance p;
    p.Dispatch(effOpen);
    p.Dispatch(effMainsChanged, 0, 1);
    const int n = 333;
    auto left = Ramp<Sample>(n, 0.9);
    auto right = Ramp<Sample>(n, -0.4);
    const auto leftIn = left, rightIn = right;
    std::vector<Sample> outL(n, Sample(7)), outR(n, Sample(7));
    Sample* in[2] = {left.data(), right.data()};
    Sample* out[2] = {inPlace ? left.data() : outL.data(), inPlace ? right.data() : outR.data()};
    if constexpr (sizeof(Sample) == 4)
        p.aeffect->processReplacing(p.aeffect, in, out, n);
    else
        p.aeffect->processDoubleReplacing(p.aeffect, in, out, n);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(out[0][i], leftIn[i]) << i;
        EXPECT_EQ(out[1][i], rightIn[i]) << i;
    }
    EXPECT_EQ(p.effect->blockRuns, 1);
    EXPECT_EQ(p.effect->sampleRuns, n);
}

TEST(AudioEntry, PassesFloatBlocksThroughExactly) { ExpectPassThrough<float>(false); }
TEST(AudioEntry, PassesFloatBlocksThroughExactlyInPlace) { ExpectPassThrough<float>(true); }
TEST(AudioEntry, PassesDoubleBlocksThroughExactly) { ExpectPassThrough<double>(false); }
TEST(AudioEntry, PassesDoubleBlocksThroughExactlyInPlace) { ExpectPassThrough<double>(true); }

TEST(AudioEntry, ZeroFrameCallRunsTheBlockSectionOnlyAndTouchesNoOutput)
{
    CountingInstance p;
    float l = 1, r = 2, ol = 5, orr = 6;
    float* in[2] = {&l, &r};
    float* out[2] = {&ol, &orr};
    p.aeffect->processReplacing(p.aeffect, in, out, 0);
    p.aeffect->processReplacing(p.aeffect, in, out, -5);
    double dl = 1, dr = 2, dol = 5, dor = 6;
    double* din[2] = {&dl, &dr};
    double* dout[2] = {&dol, &dor};
    p.aeffect->processDoubleReplacing(p.aeffect, din, dout, 0);
    EXPECT_EQ(p.effect->blockRuns, 3);
    EXPECT_EQ(p.effect->sampleRuns, 0);
    EXPECT_EQ(ol, 5);
    EXPECT_EQ(orr, 6);
    EXPECT_EQ(dol, 5);
}

TEST(AudioEntry, SectionsSeeSamplesWidenedAndOutputsRoundedToFloat)
{
    CountingInstance p;
    float l = 0.1f, r = -0.3f;
    float* io[2] = {&l, &r};
    p.aeffect->processReplacing(p.aeffect, io, io, 1);
    EXPECT_EQ(p.effect->sampleValues[0], static_cast<double>(0.1f));
    EXPECT_EQ(p.effect->sampleValues[1], static_cast<double>(-0.3f));
}

TEST(AudioEntry, BlockAndSampleCountsOverManyCalls)
{
    CountingInstance p;
    std::vector<double> a(64), b(64);
    double* io[2] = {a.data(), b.data()};
    for (int frames : {1, 64, 17, 0, 3})
        p.aeffect->processDoubleReplacing(p.aeffect, io, io, frames);
    EXPECT_EQ(p.effect->blockRuns, 5);
    EXPECT_EQ(p.effect->sampleRuns, 1 + 64 + 17 + 3);
}

TEST(AudioEntry, NullChannelPointersAreRefused)
{
    CountingInstance p;
    float a = 1;
    float* in[2] = {&a, nullptr};
    float* out[2] = {&a, &a};
    p.aeffect->processReplacing(p.aeffect, in, out, 1);
    p.aeffect->processReplacing(p.aeffect, nullptr, out, 1);
    EXPECT_EQ(p.effect->sampleRuns, 0);
    EXPECT_EQ(a, 1);
}

} // namespace
