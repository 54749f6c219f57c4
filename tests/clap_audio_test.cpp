// The CLAP build sounds exactly like the VST 2.4 build: the same programme material through
// both, sample for sample, at three block sizes, 32-bit and 64-bit, in place and out of
// place, with parameter changes arriving in the middle of blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "bench/programme_material.h"
#include "tests/clap_test_library.h"
#include "tests/plugin_fixture.h"
#include "tests/restart_material.h"

namespace {

using testing_support::ClapInstance;
using testing_support::EventList;

constexpr double kRate = 44100.0;
constexpr int kFrames = 44100;

// A change of one parameter at one frame, as a normalised VST 2.4 value.
struct Change {
    int frame;
    int32_t index;
    float normalised;
};

// Settings at the start (frame 0) and changes later, most of them inside blocks.
const std::vector<Change> kChanges = {
    {0, 0, 0.75f},      {0, 6, 0.75f},     {0, 11, 0.425f},   {0, 24, 1.0f},     {0, 28, 0.65f},
    {1000, 10, 0.6f},   {7001, 13, 0.3f},  {12345, 25, 0.1f}, {20000, 26, 0.0f}, {20000, 4, 0.0f},
    {30011, 29, 0.55f}, {38000, 15, 1.0f}, {41000, 15, 0.0f},
};

template <typename Sample> struct Buffers {
    std::vector<Sample> inL, inR, outL, outR;
};

template <typename Sample> Buffers<Sample> Input()
{
    const material::Stereo m = material::Programme(kRate, kFrames);
    Buffers<Sample> b;
    b.inL.assign(m.left.begin(), m.left.end());
    b.inR.assign(m.right.begin(), m.right.end());
    b.outL.assign(kFrames, Sample(0));
    b.outR.assign(kFrames, Sample(0));
    return b;
}

// The VST 2.4 build: each block split where changes fall, the parameter set between the calls.
template <typename Sample> Buffers<Sample> RenderVst(int block)
{
    Buffers<Sample> b = Input<Sample>();
    auto vst = testing_support::StartedInstance(static_cast<float>(kRate), block);
    size_t next = 0;
    for (int start = 0; start < kFrames; start += block) {
        const int end = std::min(start + block, kFrames);
        int done = start;
        while (done < end) {
            while (next < kChanges.size() && kChanges[next].frame <= done) {
                vst->SetParameter(kChanges[next].index, kChanges[next].normalised);
                ++next;
            }
            const int stop = next < kChanges.size() ? std::min(end, kChanges[next].frame) : end;
            Sample* in[2] = {b.inL.data() + done, b.inR.data() + done};
            Sample* out[2] = {b.outL.data() + done, b.outR.data() + done};
            vst->Process(in, out, stop - done);
            done = stop;
        }
    }
    return b;
}

// The CLAP build: whole blocks, the changes as parameter events at their frames, in the
// slider's own units; in place the output overwrites the input.
template <typename Sample> Buffers<Sample> RenderClap(int block, bool inPlace)
{
    Buffers<Sample> b = Input<Sample>();
    auto clap = testing_support::NewClapInstance();
    EXPECT_TRUE(clap && clap->Start(kRate, static_cast<uint32_t>(block)));
    if (!clap) return b;
    std::vector<clap_param_info_t> infos(30);
    for (uint32_t i = 0; i < 30; ++i)
        clap->params->get_info(clap->plugin, i, &infos[i]);
    size_t next = 0;
    for (int start = 0; start < kFrames; start += block) {
        const int n = std::min(block, kFrames - start);
        EventList events;
        while (next < kChanges.size() && kChanges[next].frame < start + n) {
            const Change& c = kChanges[next++];
            const clap_param_info_t& info = infos[static_cast<size_t>(c.index)];
            events.AddValue(static_cast<clap_id>(c.index),
                            info.min_value + c.normalised * (info.max_value - info.min_value),
                            static_cast<uint32_t>(c.frame - start));
        }
        Sample* in[2] = {b.inL.data() + start, b.inR.data() + start};
        Sample* out[2] = {b.outL.data() + start, b.outR.data() + start};
        EXPECT_EQ(clap->Process(in, inPlace ? in : out, static_cast<uint32_t>(n), &events), CLAP_PROCESS_CONTINUE);
    }
    if (inPlace) {
        b.outL = b.inL;
        b.outR = b.inR;
    }
    return b;
}

template <typename Sample> void ExpectSameAsVst()
{
    for (const int block : {64, 441, 4096}) {
        const Buffers<Sample> vst = RenderVst<Sample>(block);
        for (const bool inPlace : {false, true}) {
            const Buffers<Sample> clap = RenderClap<Sample>(block, inPlace);
            int differing = 0;
            for (int i = 0; i < kFrames; ++i)
                differing += (clap.outL[i] != vst.outL[i]) + (clap.outR[i] != vst.outR[i]);
            EXPECT_EQ(differing, 0) << "block " << block << (inPlace ? " in place" : " out of place");
            EXPECT_NE(vst.outL, vst.inL); // the settings did something
        }
    }
}

// Deactivate and activate is a clean start, and so is the host's reset: the same five
// seconds rendered again equal a fresh instance's, bit for bit.
TEST(ClapAudio, RenderRestartRenderEqualsAFreshInstance)
{
    auto started = [] {
        auto clap = testing_support::NewClapInstance();
        if (!clap || !clap->Start(testing_support::kRestartRate, testing_support::kRestartBlock)) return decltype(clap)();
        EventList settings;
        settings.AddValue(testing_support::kRestartInertia, 1.0, 0);
        settings.AddValue(testing_support::kRestartPunch, 1.0, 0);
        clap->Flush(&settings);
        return clap;
    };
    auto render = [](ClapInstance& clap) {
        return testing_support::RenderRestartMaterial(
            [&](float** in, float** out, int frames) { clap.Process(in, out, static_cast<uint32_t>(frames)); });
    };
    auto fresh = started();
    auto clap = started();
    ASSERT_TRUE(fresh && clap);
    const std::vector<float> expected = render(*fresh);
    ASSERT_EQ(render(*clap), expected);
    clap->Stop();
    ASSERT_TRUE(clap->Start(testing_support::kRestartRate, testing_support::kRestartBlock));
    EXPECT_EQ(render(*clap), expected);
    {
        testing_support::AudioScope audio;
        clap->plugin->reset(clap->plugin);
    }
    EXPECT_EQ(render(*clap), expected);
}

TEST(ClapAudio, EqualsTheVstBuildIn32Bits) { ExpectSameAsVst<float>(); }

TEST(ClapAudio, EqualsTheVstBuildIn64Bits) { ExpectSameAsVst<double>(); }

} // namespace
