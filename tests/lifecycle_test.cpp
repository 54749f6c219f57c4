// Making, opening, running and closing instances through the exported entry points.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/programme_material.h"
#include "tests/plugin_fixture.h"
#include "tests/restart_material.h"

using testing_support::NewInstance;

namespace {

TEST(Lifecycle, FreshRecordDescribesThePlugin)
{
    auto p = NewInstance();
    ASSERT_TRUE(p);
    const AEffect* e = p->effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 30);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x1031);
    EXPECT_EQ(e->uniqueID, 0x544C5647);
    EXPECT_EQ(e->version, 1);
    // Not switched on yet: no latency known.
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_EQ(p->TextOpcode(effGetEffectName), "Tolvanger");
}

TEST(Lifecycle, HostAnsweringVersionZeroGetsNoInstance)
{
    EXPECT_EQ(NewInstance("VSTPluginMain", 0), nullptr);
    EXPECT_EQ(NewInstance("main", 0), nullptr);
    EXPECT_EQ(NewInstance("MAIN", 0), nullptr);
}

TEST(Lifecycle, EveryEntryPointMakesAnIndependentInstance)
{
    auto a = NewInstance("VSTPluginMain");
    auto b = NewInstance("main");
    auto c = NewInstance("MAIN");
    ASSERT_TRUE(a && b && c);
    EXPECT_NE(a->effect(), b->effect());
    EXPECT_NE(b->effect(), c->effect());
    for (auto* p : {a.get(), b.get(), c.get()}) {
        EXPECT_EQ(p->effect()->numParams, 30);
        EXPECT_FLOAT_EQ(p->GetParameter(0), 0.375f);
    }
    a->SetParameter(0, 1.0f);
    char name[] = "Changed";
    a->Dispatch(effSetProgramName, 0, 0, name);
    EXPECT_FLOAT_EQ(a->GetParameter(0), 1.0f);
    EXPECT_FLOAT_EQ(b->GetParameter(0), 0.375f);
    EXPECT_FLOAT_EQ(c->GetParameter(0), 0.375f);
    EXPECT_EQ(a->TextOpcode(effGetProgramName), "Changed");
    EXPECT_EQ(b->TextOpcode(effGetProgramName), "Tolvanger");
}

// The sound of an instance: a second of programme in blocks of 256 through the double
// entry, both channels one after the other.
std::vector<double> SoundAfter(hostkit::PluginInstance& p, const material::Stereo& music)
{
    std::vector<double> left = music.left, right = music.right, sound;
    for (size_t start = 0; start < left.size(); start += 256) {
        const auto n = static_cast<int32_t>(std::min<size_t>(256, left.size() - start));
        double* channels[2] = {left.data() + start, right.data() + start};
        p.Process(channels, channels, n);
    }
    sound.insert(sound.end(), left.begin(), left.end());
    sound.insert(sound.end(), right.begin(), right.end());
    return sound;
}

// Mains off and on is a clean start: the same five seconds rendered again after it equal a
// fresh instance's, bit for bit, with nothing of the first run in lines, filters or envelopes.
TEST(Lifecycle, RenderRestartRenderEqualsAFreshInstance)
{
    using testing_support::kRestartInertia, testing_support::kRestartPunch;
    auto started = [] {
        auto p = testing_support::StartedInstance(static_cast<float>(testing_support::kRestartRate),
                                                  testing_support::kRestartBlock);
        p->SetParameter(kRestartInertia, 1.0f);
        p->SetParameter(kRestartPunch, 1.0f);
        return p;
    };
    auto render = [](hostkit::PluginInstance& p) {
        return testing_support::RenderRestartMaterial(
            [&](float** in, float** out, int frames) { p.Process(in, out, frames); });
    };
    auto fresh = started();
    const std::vector<float> expected = render(*fresh);
    auto p = started();
    ASSERT_EQ(render(*p), expected);
    p->Dispatch(effMainsChanged, 0, 0);
    p->Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(render(*p), expected);
}

TEST(Lifecycle, HostLikeOrdersOfOpenMainsAndClose)
{
    {
        auto p = NewInstance();
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Dispatch(effClose), 1); // close without open
    }
    struct Call {
        int32_t opcode;
        intptr_t value;
        float rate;
    };
    const Call open{effOpen, 0, 0}, on{effMainsChanged, 1, 0}, off{effMainsChanged, 0, 0};
    const Call at44{effSetSampleRate, 0, 44100}, at48{effSetSampleRate, 0, 48000}, at96{effSetSampleRate, 0, 96000};
    const Call block256{effSetBlockSize, 256, 0};
    struct Order {
        const char* what;
        float rate; // the rate the order leaves the instance running at
        std::vector<Call> calls;
    };
    const Order orders[] = {
        {"mains switched on, off and on twice", 48000, {open, at48, block256, on, off, on, on, off, on}},
        // Some hosts switch on before they open, and open twice; the rate is then the default.
        {"mains on before open, open twice", 44100, {on, open, open, on}},
        {"a higher rate after a suspend", 96000, {open, at44, on, at96, off, on}},
        {"a lower rate after a suspend", 44100, {open, at96, on, off, at44, on}},
        {"a new rate and mains on without a suspend", 96000, {open, at48, on, at96, on}},
        {"opened again while running", 48000, {open, at48, on, open, on}},
    };
    const material::Stereo music = material::Programme(48000, 48000, 5);
    for (const Order& order : orders) {
        auto p = NewInstance();
        ASSERT_TRUE(p);
        for (const Call& c : order.calls)
            p->Dispatch(c.opcode, 0, c.value, nullptr, c.rate);
        const std::vector<double> sound = SoundAfter(*p, music);
        EXPECT_EQ(p->Dispatch(effClose), 1) << order.what;

        auto fresh = testing_support::StartedInstance(order.rate, 256);
        ASSERT_TRUE(fresh);
        const std::vector<double> expected = SoundAfter(*fresh, music);
        EXPECT_TRUE(std::all_of(sound.begin(), sound.end(), [](double v) { return std::isfinite(v); }))
            << order.what;
        // Not the input: the instance ran.
        EXPECT_NE(std::vector<double>(sound.begin(), sound.begin() + 48000), music.left) << order.what;
        EXPECT_EQ(sound, expected) << order.what << ": the sound differs from a freshly started instance's";
    }
}

#ifndef _WIN32
// The Windows build reads its DLL's export table instead (WindowsLibrary tests).
TEST(Lifecycle, ExportsOnlyTheThreeEntryPoints)
{
    std::string command = "nm -D --defined-only ";
    command += testing_support::PluginPath();
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s(line);
        // "address type name"
        const size_t space = s.find_last_of(' ');
        std::string name = s.substr(space + 1);
        if (!name.empty() && name.back() == '\n') name.pop_back();
        names += name + " ";
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(names, "MAIN VSTPluginMain main ");
}
#endif

} // namespace
