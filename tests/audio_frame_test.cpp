// The stereo frame and the block section as a host sees them: the latency report,
// mid/side of a mono input, and the mono detection of "Stereo" mode.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bench/programme_material.h"
#include "tests/audio_effect_fixture.h"
#include "tests/plugin_fixture.h"

using namespace testing_support;

namespace {

// Hosts read the latency when the switch-on returns; those that read it earlier learn of
// the change through audioMasterIOChanged, sent from the dispatcher's thread.
TEST(AudioFrame, LatencyIsThereWhenTheSwitchOnReturns)
{
    for (auto [rate, delay] : {std::pair{44100.0f, 128}, std::pair{48000.0f, 138}, std::pair{96000.0f, 278}}) {
        auto p = StartedInstance(rate, 512);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->InitialDelay(), delay) << rate;
        EXPECT_EQ(p->CallCount(audioMasterIOChanged), 1) << rate;
        float l[16] = {}, r[16] = {};
        float* channels[2] = {l, r};
        p->Process(channels, channels, 16);
        EXPECT_EQ(p->InitialDelay(), delay) << rate;
        // Switching on again at the same rate changes nothing the host must hear of.
        p->Dispatch(effMainsChanged, 0, 0);
        p->Dispatch(effMainsChanged, 0, 1);
        EXPECT_EQ(p->CallCount(audioMasterIOChanged), 1) << rate;
    }
}

TEST(AudioFrame, NewRateTellsTheHostOfTheNewLatency)
{
    auto p = StartedInstance(44100, 512);
    p->Dispatch(effMainsChanged, 0, 0);
    p->Dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    p->Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(p->InitialDelay(), 278);
    EXPECT_EQ(p->CallCount(audioMasterIOChanged), 2);
}

TEST(AudioFrame, ZeroFrameCallStillReportsTheLatency)
{
    auto p = StartedInstance(48000, 512);
    float* channels[2] = {nullptr, nullptr};
    p->Process(channels, channels, 0);
    EXPECT_EQ(p->InitialDelay(), 138);
}

TEST(AudioFrame, MidSideOfAMonoInputGivesEqualOutputs)
{
    auto p = StartedInstance(44100, 512);
    p->SetParameter(27, 1.0f); // "Mix Level" K-20 too, for variety
    material::Stereo music = material::Programme(44100, 3 * 44100, 5);
    std::vector<float> left(music.left.begin(), music.left.end());
    std::vector<float> right = left;
    float* in[2] = {left.data(), right.data()};
    std::vector<float> outLeft(left.size()), outRight(left.size());
    float* out[2] = {outLeft.data(), outRight.data()};
    p->Process(in, out, static_cast<int32_t>(left.size()));
    double energy = 0;
    for (size_t n = 0; n < left.size(); ++n) {
        ASSERT_EQ(outLeft[n], outRight[n]) << n;
        energy += outLeft[n] * outLeft[n];
    }
    EXPECT_GT(energy, 100.0);
}

// Blocks of 64 frames whose last frame is loud on the left; right equals left or not.
void RunBlocks(LinkedEffect& p, int count, bool mono, std::vector<std::vector<double>>* outputs)
{
    material::Noise noise(11);
    for (int k = 0; k < count; ++k) {
        std::vector<double> left(64), right(64);
        for (int n = 0; n < 64; ++n) {
            left[n] = 0.3 * noise.Next();
            right[n] = mono ? left[n] : 0.3 * noise.Next();
        }
        left[63] = 0.25;
        right[63] = mono ? 0.25 : -0.25;
        p.Process(left, right, 64);
        if (outputs) {
            outputs->push_back(left);
            outputs->push_back(right);
        }
    }
}

TEST(AudioFrame, StereoModeFindsMonoAfterSixtyFourBlocksAndRecovers)
{
    LinkedEffect p(44100);
    p.SetSlider(slider::kStereoMs, 0);
    DspVariables& dsp = p.dsp();
    // 64 blocks of mono: the 65th call's block section counts the 64th.
    RunBlocks(p, 64, true, nullptr);
    EXPECT_EQ(dsp.monoCount, 63.0);
    EXPECT_EQ(dsp.monoInput, 0.0);
    std::vector<std::vector<double>> out;
    RunBlocks(p, 1, false, &out);
    EXPECT_EQ(dsp.monoCount, 64.0);
    EXPECT_EQ(dsp.monoInput, 1.0);
    // Right is now a copy of left although the inputs differ, for 64 blocks.
    RunBlocks(p, 63, false, &out);
    for (size_t k = 0; k < out.size(); k += 2)
        for (int n = 0; n < 64; ++n)
            ASSERT_EQ(out[k][n], out[k + 1][n]) << "block " << k / 2 << " frame " << n;
    EXPECT_EQ(dsp.monoCount, 1.0);
    EXPECT_EQ(dsp.monoInput, 1.0);
    out.clear();
    RunBlocks(p, 1, false, &out);
    EXPECT_EQ(dsp.monoCount, 0.0);
    EXPECT_EQ(dsp.monoInput, 0.0);
    int differing = 0;
    for (int n = 0; n < 64; ++n)
        differing += out[0][n] != out[1][n];
    EXPECT_GT(differing, 60);
}

TEST(AudioFrame, SilentLastLeftSampleLeavesTheMonoCountAlone)
{
    LinkedEffect p(44100);
    p.SetSlider(slider::kStereoMs, 0);
    RunBlocks(p, 11, true, nullptr);
    EXPECT_EQ(p.dsp().monoCount, 10.0);
    auto quietEnd = [&p] {
        std::vector<double> left(64, 0.1), right(64, 0.3);
        left[63] = 0.000005;
        p.Process(left, right, 64);
    };
    quietEnd(); // counts the last mono block
    EXPECT_EQ(p.dsp().monoCount, 11.0);
    quietEnd();
    quietEnd();
    EXPECT_EQ(p.dsp().monoCount, 11.0);
}

} // namespace
