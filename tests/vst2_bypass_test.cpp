// The host's bypass in the VST 2.4 build: asked for with canDo "bypass" and switched with
// effSetBypass, it keeps the output in time with the reported latency and leaves the chunk
// as it is.

#include <gtest/gtest.h>

#include <vector>

#include "tests/bypass_material.h"
#include "tests/plugin_fixture.h"

namespace {

using testing_support::BypassSwitch;

template <typename Sample> void ExpectInTime(bool inPlace)
{
    auto p = testing_support::StartedInstance(static_cast<float>(testing_support::kBypassRate),
                                              testing_support::kBypassBlock);
    ASSERT_TRUE(p);
    p->SetParameter(testing_support::kBypassOutputIndex, 0.0f);
    const std::vector<unsigned char> chunk = p->GetChunk();
    const int32_t latency = p->InitialDelay();
    testing_support::ExpectBypassInTime<Sample>(
        [&](Sample** in, Sample** out, int frames, BypassSwitch change) {
            if (change != BypassSwitch::kNone) {
                EXPECT_EQ(p->Dispatch(effSetBypass, 0, change == BypassSwitch::kOn ? 1 : 0), 1);
            }
            p->Process(in, out, frames);
        },
        latency, inPlace);
    EXPECT_EQ(p->InitialDelay(), latency);
    EXPECT_EQ(p->Dispatch(effSetBypass, 0, 1), 1);
    EXPECT_EQ(p->GetChunk(), chunk) << "the bypass is the host's to keep";
}

TEST(Vst2Bypass, IsOfferedAndKeepsTheOutputInTimeWithTheLatency)
{
    auto p = testing_support::NewInstance();
    ASSERT_TRUE(p);
    char bypass[] = "bypass";
    EXPECT_EQ(p->Dispatch(effCanDo, 0, 0, bypass), 1);
    EXPECT_EQ(p->effect()->numParams, 30) << "the bypass is no parameter here";

    for (bool inPlace : {false, true}) {
        ExpectInTime<float>(inPlace);
        ExpectInTime<double>(inPlace);
    }
}

} // namespace
