// The core's Plugin as every format's adapter drives it: what hosts are told of the
// parameters, the one rule for typed text, the one rule for states, when a change is heard,
// and the bypass as the formats that list it as a parameter see it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "bench/programme_material.h"
#include "core/plugin.h"
#include "effect/parameter_table.h"
#include "tests/quiet_host.h"

namespace {

using testing_support::QuietHost;

struct Running {
    QuietHost host;
    Plugin plugin{host};
    Running() { plugin.Activate(); }

    // Processes `frames` of programme from `offset` on; answers the left output.
    std::vector<double> Render(int offset, int frames)
    {
        static const material::Stereo music = material::Programme(48000, 48000, 3);
        std::vector<double> left(music.left.begin() + offset, music.left.begin() + offset + frames);
        std::vector<double> right(music.right.begin() + offset, music.right.begin() + offset + frames);
        double* io[2] = {left.data(), right.data()};
        plugin.Process(io, io, frames);
        return left;
    }
};

int Index(Param p) { return ParameterIndex(p); }

TEST(Plugin, TellsHostsEachParameterAsTheTableHasIt)
{
    QuietHost host;
    const Plugin plugin(host);
    ASSERT_EQ(plugin.ParameterCount(), kParameterTableSize);
    for (int i = 0; i < kParameterTableSize; ++i) {
        const ParameterRow& row = kParameterTable[i];
        const ParameterInfo* info = plugin.Parameter(i);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->name, row.name);
        EXPECT_EQ(info->unit, row.unit);
        EXPECT_EQ(info->minimum, row.minimum);
        EXPECT_EQ(info->maximum, row.maximum);
        EXPECT_EQ(info->defaultValue, row.defaultValue);
        EXPECT_EQ(info->options.size(), row.option0 ? 2u : 0u);
        EXPECT_EQ(info->stepCount, std::lround((row.maximum - row.minimum) / row.step)) << row.name;
        // Whole steps: the switches, the choices and the four Compress sliders.
        EXPECT_EQ(info->wholeSteps, row.step == 1.0) << row.name;
        EXPECT_EQ(plugin.GetValue(i), row.defaultValue);
        EXPECT_EQ(plugin.ParameterLabel(i), "") << "the VST 2.4 label stays empty";
    }
    EXPECT_EQ(plugin.Parameter(-1), nullptr);
    EXPECT_FALSE(plugin.Parameter(kParameterTableSize - 1)->bypass);
    EXPECT_TRUE(plugin.Parameter(Plugin::kBypassParameter)->bypass);
    EXPECT_EQ(plugin.Parameter(Plugin::kParameterCountWithBypass), nullptr);
    EXPECT_EQ(plugin.Latency(), 0) << "not switched on yet";
}

TEST(Plugin, TypedTextFollowsOneRuleForEveryFormat)
{
    QuietHost host;
    const Plugin plugin(host);
    struct Case {
        Param parameter;
        const char* text;
        bool taken;
        double value;
    };
    const Case cases[] = {
        {Param::LoGain, "-3.5", true, -3.5},      {Param::LoGain, "+2 dB", true, 2.0},
        {Param::LoGain, " 6.10 ", true, 6.1},     {Param::LoGain, "-1.25DB", true, -1.25},
        {Param::LoGain, "50", true, 20.0},        {Param::LoGain, "-1e9", true, -20.0},
        {Param::LoCompress, "15dB", true, 15.0},  {Param::Inertia, "0.7", true, 0.7},
        {Param::StereoMode, "m-s", true, 1.0},    {Param::StereoMode, "STEREO", true, 0.0},
        {Param::Compressor, "on", true, 1.0},     {Param::MixLevel, "0dBfs", true, 0.0},
        {Param::LoGain, "", false, 0},            {Param::LoGain, "loud", false, 0},
        {Param::LoGain, "3 Hz", false, 0},        {Param::LoGain, "--3", false, 0},
        {Param::LoGain, "nan", false, 0},         {Param::LoGain, "inf", false, 0},
        {Param::Inertia, "0.5 dB", false, 0},     {Param::Compressor, "maybe", false, 0},
    };
    for (const Case& c : cases) {
        double value = -999.0;
        EXPECT_EQ(plugin.ParseValue(Index(c.parameter), c.text, value), c.taken) << '"' << c.text << '"';
        if (c.taken)
            EXPECT_DOUBLE_EQ(value, c.value) << '"' << c.text << '"';
        else
            EXPECT_EQ(value, -999.0) << "untouched for \"" << c.text << '"';
    }
    double value = 0.0;
    EXPECT_FALSE(plugin.ParseValue(99, "1", value));
    // Every display text reads back as the value it shows.
    for (int i = 0; i < kParameterTableSize; ++i) {
        const ParameterRow& row = kParameterTable[i];
        for (double v = row.minimum; v <= row.maximum; v += (row.maximum - row.minimum) / 8) {
            const double shown = plugin.Quantize(i, v);
            ASSERT_TRUE(plugin.ParseValue(i, plugin.ParameterText(i, shown), value)) << row.name;
            EXPECT_EQ(plugin.ParameterText(i, value), plugin.ParameterText(i, shown)) << row.name;
        }
    }
}

TEST(Plugin, StatesFollowOneRule)
{
    QuietHost host;
    Plugin plugin(host);
    plugin.SetValue(Index(Param::LoGain), 4.0);
    const void* data = nullptr;
    const int32_t size = plugin.GetState(&data);
    ASSERT_EQ(size, 260);
    const std::vector<unsigned char> saved(static_cast<const unsigned char*>(data),
                                           static_cast<const unsigned char*>(data) + size);
    plugin.SetValue(Index(Param::LoGain), -4.0);

    // No marker, too few bytes or none at all: refused, nothing changes.
    std::vector<unsigned char> foreign = saved;
    foreign[3] ^= 0x01;
    EXPECT_FALSE(plugin.SetState(foreign.data(), size));
    EXPECT_FALSE(plugin.SetState(saved.data(), 3));
    EXPECT_FALSE(plugin.SetState(nullptr, size));
    EXPECT_FALSE(plugin.SetState(saved.data(), -1));
    EXPECT_EQ(plugin.GetValue(Index(Param::LoGain)), -4.0);

    // With the marker any length is taken: what it holds is restored, the rest kept.
    const float shortChunk[] = {-1000.0f, 30.0f};
    EXPECT_TRUE(plugin.SetState(shortChunk, sizeof shortChunk));
    EXPECT_EQ(plugin.GetValue(Index(Param::LoCompress)), 30.0);
    EXPECT_EQ(plugin.GetValue(Index(Param::LoGain)), -4.0);
    std::vector<unsigned char> longer = saved;
    longer.resize(400, 0x7F);
    EXPECT_TRUE(plugin.SetState(longer.data(), static_cast<int32_t>(longer.size())));
    EXPECT_EQ(plugin.GetValue(Index(Param::LoGain)), 4.0);
    EXPECT_EQ(plugin.GetValue(Index(Param::LoCompress)), 15.0);
}

// A set is read back at once and heard from the next processing call; a state load is heard
// whole at the same point. Output gain is checked against its own arithmetic: +6.02 dB of
// output gain doubles every sample of the next block.
TEST(Plugin, AChangeIsHeardFromTheNextProcessingCall)
{
    Running reference, changed;
    EXPECT_EQ(changed.Render(0, 4000), reference.Render(0, 4000));
    changed.plugin.SetValue(Index(Param::Output), 20.0 * std::log10(2.0));
    EXPECT_NEAR(changed.plugin.GetValue(Index(Param::Output)), 6.0, 1e-12) << "quantised to 0.1 dB";
    const double gain = std::pow(10.0, 6.0 / 20.0);
    const std::vector<double> expected = reference.Render(4000, 1000);
    const std::vector<double> heard = changed.Render(4000, 1000);
    for (size_t i = 0; i < heard.size(); ++i)
        ASSERT_NEAR(heard[i], expected[i] * gain, 1e-12) << "frame " << i;

    // A whole state: both instances at the same settings again from the next call on. (The
    // first load of an instance's life runs the init section, so both load it.)
    const void* data = nullptr;
    const int32_t size = reference.plugin.GetState(&data);
    const std::vector<char> state(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    ASSERT_TRUE(reference.plugin.SetState(state.data(), size));
    ASSERT_TRUE(changed.plugin.SetState(state.data(), size));
    EXPECT_EQ(changed.plugin.GetValue(Index(Param::Output)), 0.0);
    EXPECT_EQ(changed.Render(5000, 1000), reference.Render(5000, 1000));
}

TEST(Plugin, ACleanStartSoundsLikeAFreshInstance)
{
    Running used, fresh;
    used.plugin.SetValue(Index(Param::Punch), 1.0);
    fresh.plugin.SetValue(Index(Param::Punch), 1.0);
    used.Render(0, 20000);
    used.plugin.RequestCleanStart();
    EXPECT_EQ(used.Render(20000, 20000), fresh.Render(20000, 20000));
}

// After the thirty, a switch that is the bypass: its texts, typed values and sets follow the
// rules of the thirty; the state with the bypass is the chunk and a float, and the chunk
// alone stays as it is.
TEST(Plugin, TheBypassIsASwitchAfterTheThirtyAndAFloatAfterTheChunk)
{
    QuietHost host;
    Plugin plugin(host);
    constexpr int32_t kBypass = Plugin::kBypassParameter;
    ASSERT_EQ(kBypass, kParameterTableSize);
    const ParameterInfo* info = plugin.Parameter(kBypass);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "Bypass");
    EXPECT_EQ(info->options, (std::vector<std::string>{"Off", "On"}));
    EXPECT_EQ(info->stepCount, 1);
    EXPECT_EQ(info->defaultValue, 0.0);
    EXPECT_EQ(plugin.ParameterName(kBypass), "Bypass");
    EXPECT_EQ(plugin.ParameterDisplay(kBypass), "Off");
    double typed = -1.0;
    ASSERT_TRUE(plugin.ParseValue(kBypass, " ON ", typed));
    EXPECT_EQ(typed, 1.0);

    const void* data = nullptr;
    const int32_t chunkSize = plugin.GetState(&data);
    ASSERT_EQ(chunkSize, Plugin::kStateChunkBytes);
    const std::vector<unsigned char> chunk(static_cast<const unsigned char*>(data),
                                           static_cast<const unsigned char*>(data) + chunkSize);

    plugin.SetNormalized(kBypass, 0.6);
    EXPECT_TRUE(plugin.Bypassed());
    EXPECT_EQ(plugin.GetNormalized(kBypass), 1.0);
    EXPECT_EQ(plugin.ParameterDisplay(kBypass), "On");
    plugin.SetValue(kBypass, std::nan(""));
    EXPECT_TRUE(plugin.Bypassed()) << "no number changes nothing";
    ASSERT_EQ(plugin.GetState(&data), chunkSize);
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), static_cast<const unsigned char*>(data)));

    const int32_t size = plugin.GetStateWithBypass(&data);
    ASSERT_EQ(size, chunkSize + 4);
    const auto* bytes = static_cast<const unsigned char*>(data);
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), bytes));
    EXPECT_EQ(std::vector<unsigned char>(bytes + chunkSize, bytes + size),
              (std::vector<unsigned char>{0x00, 0x00, 0x80, 0x3F}));
    const std::vector<unsigned char> withBypass(bytes, bytes + size);

    Plugin other(host);
    EXPECT_TRUE(other.SetStateWithBypass(withBypass.data(), size));
    EXPECT_TRUE(other.Bypassed());
    EXPECT_TRUE(other.SetStateWithBypass(chunk.data(), chunkSize)) << "a state saved before the bypass";
    EXPECT_FALSE(other.Bypassed());
    other.SetBypass(true);
    std::vector<unsigned char> foreign = withBypass;
    foreign[0] ^= 0x01;
    EXPECT_FALSE(other.SetStateWithBypass(foreign.data(), size));
    EXPECT_TRUE(other.Bypassed()) << "a refused state changes nothing";
    EXPECT_TRUE(other.SetState(chunk.data(), chunkSize));
    EXPECT_TRUE(other.Bypassed()) << "the chunk alone does not hold the bypass";
}

} // namespace
