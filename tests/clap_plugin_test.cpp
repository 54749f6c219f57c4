// The CLAP plug-in as a CLAP host sees it: the built Tolvanger.clap loaded through its
// clap_entry by our own test host; its texts and state checked against the VST 2.4 build, its
// preset discovery and preset loading against the factory table.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/factory_presets.h"
#include "effect/parameter_table.h"
#include "tests/bypass_material.h"
#include "tests/clap_test_library.h"
#include "tests/plugin_fixture.h"

namespace {

using testing_support::ClapInstance;
using testing_support::EventList;
using testing_support::NewClapInstance;
using testing_support::TheClapLibrary;

constexpr clap_id kLoGain = 10;
constexpr clap_id kStereoMs = 26;
constexpr clap_id kBypass = 30;

std::vector<std::string> ExportedSymbols(const std::string& path)
{
    std::vector<std::string> names;
    const std::string command = "nm -D --defined-only " + path;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        const size_t space = text.find_last_of(' ');
        names.push_back(text.substr(space + 1, text.find_last_not_of('\n') - space));
    }
    pclose(pipe);
    return names;
}

TEST(ClapEntry, ExportsOnlyTheEntryAndDescribesOnePlugin)
{
    EXPECT_EQ(ExportedSymbols(testing_support::ClapPath()), std::vector<std::string>{"clap_entry"});
    const clap_plugin_entry_t* entry = TheClapLibrary().entry();
    EXPECT_EQ(entry->clap_version.major, 1u);
    EXPECT_EQ(entry->get_factory("clap.no-such-factory"), nullptr);

    const clap_plugin_factory_t* factory = TheClapLibrary().factory();
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->id, "com.calderforges.tolvanger");
    EXPECT_STREQ(d->name, "Tolvanger");
    EXPECT_STREQ(d->vendor, "Calder Forges");
    EXPECT_STREQ(d->version, TOLVANGER_PROJECT_VERSION);
    std::vector<std::string> features;
    for (const char* const* f = d->features; *f; ++f)
        features.emplace_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "stereo", "compressor", "mastering"}));

    clap_host_t host{kClapVersion, nullptr, "h", "", "", "1", nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(factory->create_plugin(factory, &host, "com.calderforges.other"), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, d->id), nullptr);
}

TEST(ClapPorts, OneStereoMainPortEachWayThatTakes64Bits)
{
    auto clap = NewClapInstance();
    ASSERT_TRUE(clap);
    for (const bool input : {true, false}) {
        ASSERT_EQ(clap->ports->count(clap->plugin, input), 1u);
        clap_audio_port_info_t info{};
        ASSERT_TRUE(clap->ports->get(clap->plugin, 0, input, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, CLAP_PORT_STEREO);
        EXPECT_TRUE(info.flags & CLAP_AUDIO_PORT_IS_MAIN);
        EXPECT_TRUE(info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS);
        EXPECT_FALSE(clap->ports->get(clap->plugin, 1, input, &info));
    }
    EXPECT_FALSE(clap->render->has_hard_realtime_requirement(clap->plugin));
    EXPECT_TRUE(clap->render->set(clap->plugin, CLAP_RENDER_OFFLINE));
}

// Every parameter at 41 points of its range: the value the slider then holds, its text equal
// to the VST 2.4 build's display text at the same point, and the text read back to the value.
TEST(ClapParams, TextsEqualTheVstDisplaysAndReadBack)
{
    auto clap = NewClapInstance();
    auto vst = testing_support::StartedInstance();
    ASSERT_TRUE(clap && vst);
    // The thirty, then the bypass (ClapBypass below).
    const uint32_t count = clap->params->count(clap->plugin);
    ASSERT_EQ(count, 31u);
    for (uint32_t index = 0; index < 30; ++index) {
        clap_param_info_t info{};
        ASSERT_TRUE(clap->params->get_info(clap->plugin, index, &info));
        EXPECT_EQ(info.id, index);
        EXPECT_EQ(info.name, vst->ParameterName(static_cast<int32_t>(index)));
        EXPECT_TRUE(info.flags & CLAP_PARAM_IS_AUTOMATABLE);
        // Switches, choices and the whole-decibel Compress sliders take whole values only.
        const ParameterRow& row = kParameterTable[index];
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, row.step == 1.0) << info.name;
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_ENUM) != 0, row.option0 != nullptr) << info.name;
        EXPECT_DOUBLE_EQ(clap->Value(index), info.default_value) << info.name;

        for (int k = 0; k <= 40; ++k) {
            const float x = static_cast<float>(k) / 40.0f;
            vst->SetParameter(static_cast<int32_t>(index), x);
            EventList change;
            change.AddValue(index, info.min_value + x * (info.max_value - info.min_value));
            clap->Flush(&change);
            const double value = clap->Value(index);
            const std::string text = clap->Text(index, value);
            ASSERT_EQ(text, vst->ParameterDisplay(static_cast<int32_t>(index))) << info.name << " at " << x;
            double back = std::numeric_limits<double>::quiet_NaN();
            ASSERT_TRUE(clap->params->text_to_value(clap->plugin, index, text.c_str(), &back)) << text;
            EXPECT_EQ(clap->Text(index, back), text);
            EXPECT_NEAR(back, value, 1e-9) << info.name << " " << text;
        }
    }
    double v = 0.0;
    EXPECT_FALSE(clap->params->get_value(clap->plugin, count, &v));
    EXPECT_FALSE(clap->params->text_to_value(clap->plugin, kLoGain, "loud", &v));
    EXPECT_FALSE(clap->params->text_to_value(clap->plugin, kLoGain, "", &v));
    EXPECT_EQ(clap->Text(kStereoMs, 0.0), "Stereo");
    EXPECT_EQ(clap->Text(kStereoMs, 1.0), "M-S");
}

TEST(ClapState, TravelsThroughShortReadsAndWritesIntoAFreshInstance)
{
    auto from = NewClapInstance();
    auto into = NewClapInstance();
    ASSERT_TRUE(from && into);
    EventList changes;
    changes.AddValue(kLoGain, 4.3);
    changes.AddValue(kStereoMs, 0.0);
    changes.AddValue(0, 31.0);
    from->Flush(&changes);

    std::vector<unsigned char> bytes;
    ASSERT_TRUE(from->Save(bytes, 7));
    ASSERT_EQ(bytes.size(), 264u);
    EXPECT_EQ((std::vector<unsigned char>(bytes.begin(), bytes.begin() + 4)),
              (std::vector<unsigned char>{0x00, 0x00, 0x7A, 0xC4}));
    // The same chunk the VST 2.4 build hands out with the same settings, then the bypass, off.
    auto vst = testing_support::StartedInstance();
    vst->SetParameter(static_cast<int32_t>(kLoGain), static_cast<float>((4.3 + 20.0) / 40.0));
    vst->SetParameter(static_cast<int32_t>(kStereoMs), 0.0f);
    vst->SetParameter(0, 31.0f / 40.0f);
    EXPECT_EQ(vst->GetChunk(), std::vector<unsigned char>(bytes.begin(), bytes.begin() + 260));
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 260, bytes.end()), std::vector<unsigned char>(4, 0));

    ASSERT_TRUE(into->Load(bytes, 3));
    EXPECT_GE(into->valueRescans.load(), 1);
    // The chunk holds 32-bit floats: each value comes back as its float image.
    for (clap_id id = 0; id < 30; ++id)
        EXPECT_EQ(into->Value(id), static_cast<double>(static_cast<float>(from->Value(id)))) << id;
}

TEST(ClapState, DamagedOrMissingStateChangesNothing)
{
    auto clap = NewClapInstance();
    ASSERT_TRUE(clap);
    EventList change;
    change.AddValue(kLoGain, -6.0);
    clap->Flush(&change);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(clap->Save(bytes));

    std::vector<unsigned char> damaged = bytes;
    damaged[2] = 0x79; // the marker becomes -999
    EXPECT_FALSE(clap->Load(damaged));
    EXPECT_FALSE(clap->Load({}));
    EXPECT_FALSE(clap->Load({0x00, 0x00}));
    EXPECT_DOUBLE_EQ(clap->Value(kLoGain), -6.0);

    clap_ostream_t failing{nullptr, [](const clap_ostream_t*, const void*, uint64_t) -> int64_t { return -1; }};
    EXPECT_FALSE(clap->state->save(clap->plugin, &failing));
    clap_istream_t broken{nullptr, [](const clap_istream_t*, void*, uint64_t) -> int64_t { return -1; }};
    EXPECT_FALSE(clap->state->load(clap->plugin, &broken));
    EXPECT_DOUBLE_EQ(clap->Value(kLoGain), -6.0);
}

TEST(ClapLatency, KnownAfterActivationAndEqualToTheVstBuild)
{
    auto clap = NewClapInstance();
    auto vst = testing_support::StartedInstance(48000.0f, 512);
    ASSERT_TRUE(clap && vst);
    ASSERT_TRUE(clap->Start(48000.0, 512));
    const uint32_t latency = clap->latency->get(clap->plugin);
    EXPECT_EQ(static_cast<int32_t>(latency), vst->InitialDelay());
    EXPECT_GT(latency, 0u);
    EXPECT_EQ(clap->latencyChanges.load(), 1);
}

TEST(ClapThreads, CallsFromTheWrongThreadAreRefused)
{
    auto clap = NewClapInstance();
    ASSERT_TRUE(clap);
    // Main-thread calls from another thread.
    bool activated = true, valueRead = true;
    uint32_t count = 99;
    std::thread other([&] {
        activated = clap->plugin->activate(clap->plugin, 44100.0, 1, 512);
        double v = 0.0;
        valueRead = clap->params->get_value(clap->plugin, kLoGain, &v);
        count = clap->params->count(clap->plugin);
    });
    other.join();
    EXPECT_FALSE(activated);
    EXPECT_FALSE(valueRead);
    EXPECT_EQ(count, 0u);

    ASSERT_TRUE(clap->Start(44100.0, 512));
    // Audio-thread calls from the main thread.
    std::vector<float> l(64, 0.25f), r(64, 0.25f);
    float* io[2] = {l.data(), r.data()};
    clap_process_t p{};
    p.frames_count = 64;
    EXPECT_EQ(clap->plugin->process(clap->plugin, &p), CLAP_PROCESS_ERROR);
    EXPECT_FALSE(clap->plugin->start_processing(clap->plugin));
    // A main-thread call from the audio thread, and a flush off the audio thread while active.
    {
        testing_support::AudioScope audio;
        double v = 0.0;
        EXPECT_FALSE(clap->params->get_value(clap->plugin, kLoGain, &v));
        EXPECT_FALSE(clap->plugin->activate(clap->plugin, 44100.0, 1, 512));
    }
    EventList change;
    change.AddValue(kLoGain, 5.0);
    clap->params->flush(clap->plugin, change.input(), clap->outEvents.output());
    EXPECT_DOUBLE_EQ(clap->Value(kLoGain), 0.0);
    clap->Flush(&change);
    EXPECT_DOUBLE_EQ(clap->Value(kLoGain), 5.0);
    EXPECT_EQ(clap->Process(io, io, 64), CLAP_PROCESS_CONTINUE);
}

TEST(ClapCarelessHost, GetsNeutralAnswersAndKeepsItsValues)
{
    auto clap = NewClapInstance();
    ASSERT_TRUE(clap);
    std::vector<float> l(64, 0.5f), r(64, 0.5f);
    float* io[2] = {l.data(), r.data()};
    EXPECT_EQ(clap->Process(io, io, 64), CLAP_PROCESS_ERROR);
    EXPECT_EQ(l[0], 0.5f);
    EXPECT_FALSE(clap->plugin->activate(clap->plugin, 0.0, 1, 512));
    EXPECT_FALSE(clap->plugin->activate(clap->plugin, std::nan(""), 1, 512));
    ASSERT_TRUE(clap->Start(44100.0, 512));
    EXPECT_FALSE(clap->plugin->activate(clap->plugin, 44100.0, 1, 512));

    EXPECT_EQ(clap->Process(io, io, 0), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(l[0], 0.5f);

    EventList bad;
    bad.AddValue(kLoGain, std::numeric_limits<double>::quiet_NaN());
    bad.AddValue(kLoGain, std::numeric_limits<double>::infinity(), 3);
    bad.AddValue(1000, 1.0, 5);
    bad.AddValue(kLoGain, 2.0, 1000); // past the block's end: applied after its last frame
    EXPECT_EQ(clap->Process(io, io, 64, &bad), CLAP_PROCESS_CONTINUE);
    EXPECT_DOUBLE_EQ(clap->Value(kLoGain), 2.0);
    for (float s : l)
        EXPECT_TRUE(std::isfinite(s));

    // A host that never deactivates before destroying.
    clap->plugin->destroy(clap->plugin);
    clap->plugin = nullptr;
}

template <typename Sample> void ExpectBypassInTime(bool inPlace)
{
    using testing_support::BypassSwitch;
    auto clap = NewClapInstance();
    ASSERT_TRUE(clap && clap->Start(testing_support::kBypassRate, testing_support::kBypassBlock));
    const uint32_t latency = clap->latency->get(clap->plugin);
    EventList output;
    output.AddValue(testing_support::kBypassOutputIndex, -20.0);
    clap->Flush(&output);
    testing_support::ExpectBypassInTime<Sample>(
        [&](Sample** in, Sample** out, int frames, BypassSwitch change) {
            EventList events;
            if (change != BypassSwitch::kNone) events.AddValue(kBypass, change == BypassSwitch::kOn ? 1.0 : 0.0);
            EXPECT_EQ(clap->Process(in, out, static_cast<uint32_t>(frames), &events), CLAP_PROCESS_CONTINUE);
        },
        static_cast<int32_t>(latency), inPlace);
    EXPECT_EQ(clap->latency->get(clap->plugin), latency);
    clap->Idle();
    EXPECT_EQ(clap->restartRequests.load(), 0) << "nothing to restart for";
}

// The host's bypass is parameter 30, after the thirty, flagged as the bypass.
TEST(ClapBypass, IsTheBypassParameterAndKeepsTheOutputInTimeWithTheLatency)
{
    auto clap = NewClapInstance();
    ASSERT_TRUE(clap);
    clap_param_info_t info{};
    ASSERT_TRUE(clap->params->get_info(clap->plugin, 30, &info));
    EXPECT_EQ(info.id, kBypass);
    EXPECT_STREQ(info.name, "Bypass");
    EXPECT_EQ(info.flags, CLAP_PARAM_IS_BYPASS | CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_AUTOMATABLE);
    EXPECT_EQ(info.min_value, 0.0);
    EXPECT_EQ(info.max_value, 1.0);
    EXPECT_EQ(info.default_value, 0.0);
    EXPECT_EQ(clap->Value(kBypass), 0.0);
    EXPECT_EQ(clap->Text(kBypass, 1.0), "On");
    double typed = -1.0;
    EXPECT_TRUE(clap->params->text_to_value(clap->plugin, kBypass, "off", &typed));
    EXPECT_EQ(typed, 0.0);

    for (bool inPlace : {false, true}) {
        ExpectBypassInTime<float>(inPlace);
        ExpectBypassInTime<double>(inPlace);
    }
}

// The state is the chunk and then the bypass as a float; a state saved before the bypass was
// kept loads with it off.
TEST(ClapBypass, TravelsWithTheState)
{
    auto from = NewClapInstance();
    auto into = NewClapInstance();
    ASSERT_TRUE(from && into);
    EventList bypass;
    bypass.AddValue(kBypass, 1.0);
    from->Flush(&bypass);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(from->Save(bytes, 5));
    ASSERT_EQ(bytes.size(), 264u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 260, bytes.end()),
              (std::vector<unsigned char>{0x00, 0x00, 0x80, 0x3F}));
    ASSERT_TRUE(into->Load(bytes, 3));
    EXPECT_EQ(into->Value(kBypass), 1.0);
    ASSERT_TRUE(into->Load(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 260)));
    EXPECT_EQ(into->Value(kBypass), 0.0);
}

// What a host's preset indexer and metadata receiver are told.
struct Indexed {
    std::vector<clap_preset_discovery_location_t> locations;
    struct Preset {
        std::string name, key, description, pluginAbi, pluginId;
        uint32_t flags = 0;
    };
    std::vector<Preset> presets;

    static bool DeclareLocation(const clap_preset_discovery_indexer_t* indexer,
                                const clap_preset_discovery_location_t* location)
    {
        static_cast<Indexed*>(indexer->indexer_data)->locations.push_back(*location);
        return true;
    }
    static bool Begin(const clap_preset_discovery_metadata_receiver_t* r, const char* name, const char* key)
    {
        static_cast<Indexed*>(r->receiver_data)->presets.push_back({name ? name : "", key ? key : "", "", "", "", 0});
        return true;
    }
    static Preset& Last(const clap_preset_discovery_metadata_receiver_t* r)
    {
        return static_cast<Indexed*>(r->receiver_data)->presets.back();
    }
    static void PluginId(const clap_preset_discovery_metadata_receiver_t* r, const clap_universal_plugin_id_t* id)
    {
        Last(r).pluginAbi = id->abi;
        Last(r).pluginId = id->id;
    }
    static void Flags(const clap_preset_discovery_metadata_receiver_t* r, uint32_t flags) { Last(r).flags = flags; }
    static void Description(const clap_preset_discovery_metadata_receiver_t* r, const char* text)
    {
        Last(r).description = text;
    }
    static void Text(const clap_preset_discovery_metadata_receiver_t*, const char*) {}
    static void Error(const clap_preset_discovery_metadata_receiver_t*, int32_t, const char*) {}
    static void Times(const clap_preset_discovery_metadata_receiver_t*, clap_timestamp, clap_timestamp) {}
    static void Extra(const clap_preset_discovery_metadata_receiver_t*, const char*, const char*) {}
};

// The factory bank as CLAP hosts find it: the entry's preset-discovery factory (by its id and
// by its draft id), one provider declaring the presets inside the plug-in, each with the
// table's name and line and a load key; the preset-load extension loads one by its key to the
// table's values, tells the host and asks it to read the values again.
TEST(ClapPresets, DiscoveredFromTheEntryAndLoadedByKeyToTheTablesValues)
{
    const clap_plugin_entry_t* entry = TheClapLibrary().entry();
    const auto* factory =
        static_cast<const clap_preset_discovery_factory_t*>(entry->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
    ASSERT_TRUE(factory);
    EXPECT_EQ(entry->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT), factory);
    ASSERT_EQ(factory->count(factory), 1u);
    const clap_preset_discovery_provider_descriptor_t* descriptor = factory->get_descriptor(factory, 0);
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(factory->get_descriptor(factory, 1), nullptr);

    Indexed indexed;
    const clap_preset_discovery_indexer_t indexer = {
        kClapVersion, "test indexer", "", "", "1", &indexed, nullptr, &Indexed::DeclareLocation, nullptr, nullptr};
    EXPECT_EQ(factory->create(factory, &indexer, "no.such.provider"), nullptr);
    const clap_preset_discovery_provider_t* provider = factory->create(factory, &indexer, descriptor->id);
    ASSERT_TRUE(provider);
    ASSERT_TRUE(provider->init(provider));
    ASSERT_EQ(indexed.locations.size(), 1u);
    EXPECT_EQ(indexed.locations[0].kind, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN);
    EXPECT_EQ(indexed.locations[0].location, nullptr);
    EXPECT_EQ(indexed.locations[0].flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);

    const clap_preset_discovery_metadata_receiver_t receiver = {
        &indexed,         &Indexed::Error, &Indexed::Begin, &Indexed::PluginId,    &Indexed::Text, &Indexed::Flags,
        &Indexed::Text, &Indexed::Description, &Indexed::Times, &Indexed::Text, &Indexed::Extra};
    EXPECT_FALSE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp/x.fxp", &receiver));
    ASSERT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &receiver));
    provider->destroy(provider);
    ASSERT_EQ(indexed.presets.size(), static_cast<size_t>(kFactoryPresetCount));
    std::set<std::string> keys;
    for (int k = 0; k < kFactoryPresetCount; ++k) {
        const Indexed::Preset& p = indexed.presets[static_cast<size_t>(k)];
        EXPECT_EQ(p.name, kFactoryPresets[k].name);
        EXPECT_EQ(p.description, kFactoryPresets[k].line);
        EXPECT_EQ(p.pluginAbi, "clap");
        EXPECT_EQ(p.pluginId, "com.calderforges.tolvanger");
        EXPECT_EQ(p.flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
        EXPECT_FALSE(p.key.empty());
        keys.insert(p.key);
    }
    EXPECT_EQ(keys.size(), indexed.presets.size()) << "a key of its own for each";

    auto instance = NewClapInstance();
    ASSERT_TRUE(instance && instance->presetLoad);
    EXPECT_EQ(instance->Extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD_COMPAT), instance->presetLoad);
    ASSERT_TRUE(instance->Start());
    for (int k = 0; k < kFactoryPresetCount; ++k) {
        const Indexed::Preset& p = indexed.presets[static_cast<size_t>(k)];
        SCOPED_TRACE(p.name);
        const int rescans = instance->valueRescans;
        ASSERT_TRUE(instance->presetLoad->from_location(instance->plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                                                        nullptr, p.key.c_str()));
        for (int i = 0; i < kParameterTableSize; ++i)
            EXPECT_NEAR(instance->Value(static_cast<clap_id>(i)), kFactoryPresets[k].values[i], 1e-9)
                << kParameterTable[i].name;
        EXPECT_EQ(instance->valueRescans, rescans + 1);
        ASSERT_FALSE(instance->presetsLoaded.empty());
        EXPECT_EQ(instance->presetsLoaded.back(), p.key);
    }
    instance->Flush();
    EXPECT_EQ(instance->outEvents.size(), 0u) << "no gestures: the host chose";

    // A key of no preset, another location kind, or the wrong thread: refused, nothing changes.
    const double before = instance->Value(kLoGain);
    EXPECT_FALSE(instance->presetLoad->from_location(instance->plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                                     "no_such_preset"));
    EXPECT_FALSE(instance->presetLoad->from_location(instance->plugin, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp",
                                                     indexed.presets[1].key.c_str()));
    EXPECT_EQ(instance->presetErrors, (std::vector<std::string>{"no_such_preset", indexed.presets[1].key}));
    std::thread([&] {
        EXPECT_FALSE(instance->presetLoad->from_location(instance->plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                                                         nullptr, indexed.presets[1].key.c_str()));
    }).join();
    EXPECT_EQ(instance->Value(kLoGain), before);
}

} // namespace
