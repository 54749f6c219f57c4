// The LV2 build as LV2 hosts see it: the bundle checked and listed by Debian's tools, the
// plug-in run through lilv beside the VST build loaded through hostkit, its state saved
// and restored through lilv's state API, its presets listed and applied through lilv, and
// Debian's lv2apply rendering a file with it.

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bench/programme_material.h"
#include "core/factory_presets.h"
#include "effect/parameter_table.h"
#include "tests/bypass_material.h"
#include "tests/lv2_host.h"
#include "tests/plugin_fixture.h"
#include "tests/restart_material.h"

namespace {

using testing_support::Lv2Bundle;
using testing_support::Lv2Instance;
using testing_support::UridMap;
namespace fs = std::filesystem;

struct CommandResult {
    std::string output; // standard output and standard error
    int status = -1;
};

CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A scratch folder for files, with a folder inside holding only a link to the built bundle,
// for tools that search LV2_PATH.
class BundleFolder {
public:
    BundleFolder() : path_(fs::temp_directory_path() / ("tolvanger_lv2_" + std::to_string(getpid())))
    {
        fs::remove_all(path_);
        fs::create_directories(path_ / "bundles");
        fs::create_directory_symlink(TOLVANGER_LV2_BUNDLE, path_ / "bundles" / "tolvanger.lv2");
    }
    ~BundleFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    std::string Lv2Path() const { return "LV2_PATH=" + (path_ / "bundles").string() + " "; }

private:
    fs::path path_;
};

// A plug-in built with AddressSanitizer needs the sanitizer's runtime loaded before it; a
// tool built without gets the runtime this test program runs with (and no leak check of
// its own allocations).
std::string SanitizerPreload()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const size_t path = line.find('/');
        if (path != std::string::npos && line.find("/libasan.so", path) != std::string::npos) {
            const char* options = std::getenv("ASAN_OPTIONS");
            return "LD_PRELOAD=" + line.substr(path) + " ASAN_OPTIONS=" + (options ? options + std::string(":") : "") +
                   "detect_leaks=0 ";
        }
    }
    return {};
}

// The Turtle files of the LV2 vocabularies our bundle draws on, as lv2-dev installs them.
std::string VocabularyFiles()
{
    std::string files;
    for (const char* bundle : {"core", "atom", "ui", "units", "urid", "state", "options", "port-props", "parameters",
                               "buf-size", "instance-access", "presets", "schemas"}) {
        std::vector<std::string> names;
        for (const auto& entry :
             fs::directory_iterator(fs::path(TOLVANGER_LV2_VOCABULARY_DIR) / (std::string(bundle) + ".lv2")))
            if (entry.path().extension() == ".ttl") names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        for (const auto& name : names)
            files += " " + name;
    }
    return files;
}

int ErrorCount(const CommandResult& result)
{
    const size_t at = result.output.find("Found ");
    return at == std::string::npos ? -1 : std::atoi(result.output.c_str() + at + 6);
}

TEST(Lv2Bundle, ValidatesWithNoErrorBeyondTheVocabulariesOwn)
{
    const std::string vocabularies = VocabularyFiles();
    const CommandResult alone = RunCommand("sord_validate" + vocabularies);
    const CommandResult withOurs = RunCommand("sord_validate" + vocabularies +
                                              " " TOLVANGER_LV2_BUNDLE "/manifest.ttl " TOLVANGER_LV2_BUNDLE
                                              "/tolvanger.ttl " TOLVANGER_LV2_BUNDLE "/presets.ttl");
    ASSERT_GE(ErrorCount(alone), 0) << alone.output;
    ASSERT_GE(ErrorCount(withOurs), 0) << withOurs.output;
    EXPECT_EQ(ErrorCount(withOurs), ErrorCount(alone)) << withOurs.output;
    EXPECT_EQ(withOurs.output.find("calder-forges"), std::string::npos) << withOurs.output;
    // Our files were read: they add restrictions to check.
    EXPECT_NE(withOurs.output.substr(withOurs.output.find("Found ")), alone.output.substr(alone.output.find("Found ")));
}

TEST(Lv2Bundle, Lv2infoListsThePluginItsPortsAndItsEditor)
{
    BundleFolder folder;
    const CommandResult info = RunCommand(folder.Lv2Path() + "lv2info " + std::string(lv2_uris::kPlugin));
    ASSERT_EQ(info.status, 0) << info.output;
    EXPECT_NE(info.output.find("Name:              Tolvanger"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("Author:            Calder Forges"), std::string::npos);
    EXPECT_NE(info.output.find("Has latency:       yes, reported by port 34"), std::string::npos);
    EXPECT_NE(info.output.find(std::string("\t\t") + lv2_uris::kEditor + "\n"), std::string::npos);
    EXPECT_NE(info.output.find("Class:  http://lv2plug.in/ns/extensions/ui#X11UI"), std::string::npos);
    EXPECT_NE(info.output.find("http://lv2plug.in/ns/ext/state#interface"), std::string::npos);
    int ports = 0;
    for (size_t at = info.output.find("\n\tPort "); at != std::string::npos; at = info.output.find("\n\tPort ", at + 1))
        ++ports;
    EXPECT_EQ(ports, 36);
    EXPECT_NE(info.output.find("\tPort 35:"), std::string::npos);
    EXPECT_EQ(info.output.find("Required Features"), std::string::npos) << "the processor needs nothing";
}

// Port i is parameter i of the VST build, with its name, range, default and option texts.
TEST(Lv2Bundle, PortsDescribeTheVstBuildsParameters)
{
    const LilvPlugin* plugin = Lv2Bundle::Get().plugin;
    ASSERT_TRUE(plugin);
    LilvWorld* world = Lv2Bundle::Get().world;
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), lv2_ports::kCount);
    auto vst = testing_support::NewInstance();
    ASSERT_TRUE(vst);
    ASSERT_EQ(vst->effect()->numParams, static_cast<int32_t>(lv2_ports::kParameterCount));
    LilvNode* control = lilv_new_uri(world, LV2_CORE__ControlPort);
    LilvNode* input = lilv_new_uri(world, LV2_CORE__InputPort);
    LilvNode* audio = lilv_new_uri(world, LV2_CORE__AudioPort);
    std::vector<float> minimum(lv2_ports::kCount), maximum(lv2_ports::kCount), defaults(lv2_ports::kCount);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());
    for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i) {
        SCOPED_TRACE(i);
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, control) && lilv_port_is_a(plugin, port, input));
        LilvNode* name = lilv_port_get_name(plugin, port);
        EXPECT_EQ(lilv_node_as_string(name), vst->ParameterName(static_cast<int32_t>(i)));
        lilv_node_free(name);
        EXPECT_FLOAT_EQ((defaults[i] - minimum[i]) / (maximum[i] - minimum[i]),
                        vst->GetParameter(static_cast<int32_t>(i)));
        // Each scale point, set through the VST build's normalised parameter, shows its label.
        LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
        LILV_FOREACH(scale_points, it, points)
        {
            const LilvScalePoint* point = lilv_scale_points_get(points, it);
            const float value = lilv_node_as_float(lilv_scale_point_get_value(point));
            vst->SetParameter(static_cast<int32_t>(i), (value - minimum[i]) / (maximum[i] - minimum[i]));
            EXPECT_EQ(vst->ParameterDisplay(static_cast<int32_t>(i)),
                      lilv_node_as_string(lilv_scale_point_get_label(point)));
        }
        lilv_scale_points_free(points);
    }
    for (uint32_t i = lv2_ports::kInputLeft; i <= lv2_ports::kOutputRight; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, audio)) << i;
        EXPECT_EQ(lilv_port_is_a(plugin, port, input), i <= lv2_ports::kInputRight) << i;
    }
    EXPECT_EQ(lilv_plugin_get_latency_port_index(plugin), lv2_ports::kLatency);
    // The symbols a host's session refers to.
    LilvNode* symbol = lilv_new_string(world, "lo_gain");
    EXPECT_EQ(lilv_port_get_index(plugin, lilv_plugin_get_port_by_symbol(plugin, symbol)), 10u);
    lilv_node_free(symbol);
    lilv_node_free(control);
    lilv_node_free(input);
    lilv_node_free(audio);
}

struct Setting {
    uint32_t port;
    float value; // in the slider's own units
};

// Sets the same values on both builds: the port in units, the VST parameter normalised.
void Apply(const std::vector<Setting>& settings, Lv2Instance& lv2, hostkit::PluginInstance& vst)
{
    std::vector<float> minimum(lv2_ports::kCount), maximum(lv2_ports::kCount);
    lilv_plugin_get_port_ranges_float(Lv2Bundle::Get().plugin, minimum.data(), maximum.data(), nullptr);
    for (const Setting& s : settings) {
        lv2.controls[s.port] = s.value;
        vst.SetParameter(static_cast<int32_t>(s.port),
                         (s.value - minimum[s.port]) / (maximum[s.port] - minimum[s.port]));
    }
}

std::vector<float> AsFloat(const std::vector<double>& v) { return std::vector<float>(v.begin(), v.end()); }

// Runs the programme through both in the same blocks; answers the frames that differ.
int DifferingFrames(Lv2Instance& lv2, hostkit::PluginInstance& vst, const material::Stereo& music, size_t first,
                    size_t count, bool inPlace = false)
{
    const std::vector<float> left = AsFloat(music.left), right = AsFloat(music.right);
    const uint32_t blocks[] = {512, 37, 1, 2048, 300, 0, 1024};
    int differing = 0;
    size_t at = first;
    for (int b = 0; at < first + count; ++b) {
        const uint32_t n = std::min<uint32_t>(blocks[b % 7], static_cast<uint32_t>(first + count - at));
        std::vector<float> l(left.begin() + at, left.begin() + at + n), r(right.begin() + at, right.begin() + at + n);
        std::vector<float> lv2Left(n), lv2Right(n);
        if (inPlace) {
            lv2Left = l;
            lv2Right = r;
            lv2.Run(lv2Left.data(), lv2Right.data(), lv2Left.data(), lv2Right.data(), n);
        } else {
            lv2.Run(l.data(), r.data(), lv2Left.data(), lv2Right.data(), n);
        }
        std::vector<float> vstLeft(n), vstRight(n);
        float* in[2] = {l.data(), r.data()};
        float* out[2] = {vstLeft.data(), vstRight.data()};
        vst.Process(in, out, static_cast<int32_t>(n));
        for (uint32_t j = 0; j < n; ++j)
            differing +=
                std::memcmp(&lv2Left[j], &vstLeft[j], 4) != 0 || std::memcmp(&lv2Right[j], &vstRight[j], 4) != 0;
        at += n;
    }
    return differing;
}

TEST(Lv2Plugin, ProcessesLikeTheVstBuildSampleForSample)
{
    UridMap urids;
    const LV2_Feature* features[] = {urids.MapFeature(), nullptr};
    Lv2Instance lv2(48000, features);
    ASSERT_TRUE(lv2);
    auto vst = testing_support::StartedInstance(48000, 4096);
    ASSERT_TRUE(vst);
    const material::Stereo music = material::Programme(48000, 3 * 48000, 3);

    Apply({{0, 22},
           {1, 9},
           {5, 3.5f},
           {8, -6.2f},
           {10, 6.1f},
           {12, -4.2f},
           {17, 1},
           {23, 0.8f},
           {24, 1},
           {25, 1.5f},
           {26, 0},
           {28, 2.5f},
           {29, -1.5f}},
          lv2, *vst);
    EXPECT_EQ(DifferingFrames(lv2, *vst, music, 0, 48000), 0);
    // The lookahead latency from the first run on, as the VST build reports it.
    EXPECT_EQ(vst->InitialDelay(), 2 * 69);
    EXPECT_EQ(lv2.Latency(), static_cast<float>(vst->InitialDelay()));

    // A value off the step is quantised to it; a non-finite one changes nothing.
    lv2.controls[10] = 6.13f;
    lv2.controls[11] = std::nanf("");
    lv2.controls[13] = INFINITY;
    Apply({{10, 6.1f}, {26, 1}, {27, 1}}, lv2, *vst);
    EXPECT_EQ(DifferingFrames(lv2, *vst, music, 48000, 48000, true), 0);

    // Back to the defaults, in place.
    Apply({{0, 15},
           {1, 15},
           {5, 0},
           {8, 0},
           {10, 0},
           {12, 0},
           {17, 0},
           {23, 0.5f},
           {24, 0},
           {25, 0},
           {27, 0},
           {28, 0},
           {29, 0}},
          lv2, *vst);
    EXPECT_EQ(DifferingFrames(lv2, *vst, music, 2 * 48000, 48000, true), 0);
}

// The host's bypass is the port designated lv2:enabled, after all the others: a toggle, 1
// (processing) by default. Turned off, it keeps the output in time with the latency port.
TEST(Lv2Bypass, IsTheEnabledPortAndKeepsTheOutputInTimeWithTheLatency)
{
    const LilvPlugin* plugin = Lv2Bundle::Get().plugin;
    ASSERT_TRUE(plugin);
    LilvWorld* world = Lv2Bundle::Get().world;
    LilvNode* input = lilv_new_uri(world, LV2_CORE__InputPort);
    LilvNode* enabled = lilv_new_uri(world, LV2_CORE__enabled);
    LilvNode* toggled = lilv_new_uri(world, LV2_CORE__toggled);
    const LilvPort* port = lilv_plugin_get_port_by_designation(plugin, input, enabled);
    ASSERT_TRUE(port);
    EXPECT_EQ(lilv_port_get_index(plugin, port), lv2_ports::kEnabled);
    EXPECT_EQ(lv2_ports::kEnabled, lv2_ports::kCount - 1) << "after the ports of older sessions";
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), "enabled");
    EXPECT_TRUE(lilv_port_has_property(plugin, port, toggled));
    LilvNode *defaultValue = nullptr, *minimum = nullptr, *maximum = nullptr;
    lilv_port_get_range(plugin, port, &defaultValue, &minimum, &maximum);
    ASSERT_TRUE(defaultValue && minimum && maximum);
    EXPECT_EQ(lilv_node_as_float(defaultValue), 1.0f);
    EXPECT_EQ(lilv_node_as_float(minimum), 0.0f);
    EXPECT_EQ(lilv_node_as_float(maximum), 1.0f);
    for (LilvNode* node : {defaultValue, minimum, maximum, input, enabled, toggled})
        lilv_node_free(node);

    using testing_support::BypassSwitch;
    for (bool inPlace : {false, true}) {
        Lv2Instance lv2(testing_support::kBypassRate, nullptr);
        ASSERT_TRUE(lv2);
        lv2.controls[testing_support::kBypassOutputIndex] = -20.0f;
        const float latency = lv2.Latency();
        testing_support::ExpectBypassInTime<float>(
            [&](float** in, float** out, int frames, BypassSwitch change) {
                if (change != BypassSwitch::kNone)
                    lv2.controls[lv2_ports::kEnabled] = change == BypassSwitch::kOn ? 0.0f : 1.0f;
                lv2.Run(in[0], in[1], out[0], out[1], static_cast<uint32_t>(frames));
            },
            static_cast<int32_t>(latency), inPlace);
        EXPECT_EQ(lv2.Latency(), latency);
    }
}

// Hosts read the latency port once activation returns, before any run.
// Deactivate and activate is a clean start: the same five seconds rendered again equal a
// fresh instance's, bit for bit.
TEST(Lv2Plugin, RenderRestartRenderEqualsAFreshInstance)
{
    auto render = [](Lv2Instance& lv2) {
        // Inertia and Punch at 1, in their own units.
        lv2.controls[testing_support::kRestartInertia] = 1.0f;
        lv2.controls[testing_support::kRestartPunch] = 1.0f;
        return testing_support::RenderRestartMaterial([&](float** in, float** out, int frames) {
            lv2.Run(in[0], in[1], out[0], out[1], static_cast<uint32_t>(frames));
        });
    };
    Lv2Instance fresh(testing_support::kRestartRate, nullptr);
    Lv2Instance lv2(testing_support::kRestartRate, nullptr);
    ASSERT_TRUE(fresh && lv2);
    const std::vector<float> expected = render(fresh);
    ASSERT_EQ(render(lv2), expected);
    lilv_instance_deactivate(lv2.get());
    lilv_instance_activate(lv2.get());
    EXPECT_EQ(render(lv2), expected);
}

TEST(Lv2Plugin, LatencyIsThereWhenActivationReturns)
{
    for (auto [rate, delay] : {std::pair{44100.0, 128.0f}, std::pair{48000.0, 138.0f}, std::pair{96000.0, 278.0f}}) {
        Lv2Instance lv2(rate, nullptr);
        ASSERT_TRUE(lv2);
        EXPECT_EQ(lv2.Latency(), delay) << rate;
    }
}

// As Debian's lv2apply hosts it: no feature at all.
TEST(Lv2Plugin, RunsWithoutAnyHostFeature)
{
    Lv2Instance lv2(44100, nullptr);
    ASSERT_TRUE(lv2);
    auto vst = testing_support::StartedInstance(44100, 1024);
    const material::Stereo music = material::Programme(44100, 44100, 4);
    Apply({{3, 30}, {6, -8}, {14, 0}}, lv2, *vst);
    EXPECT_EQ(DifferingFrames(lv2, *vst, music, 0, 44100), 0);
    EXPECT_EQ(lv2.Latency(), 128.0f);
    // No URI map: the state cannot be saved, and says so.
    const auto* state =
        static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(lv2.get(), LV2_STATE__interface));
    ASSERT_TRUE(state);
    EXPECT_EQ(state->save(lilv_instance_get_handle(lv2.get()), nullptr, nullptr, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
}

// Chunk saving and restoring through an instance's own state interface, as a host does.
struct ChunkStore {
    std::vector<unsigned char> bytes;
    LV2_URID key = 0, type = 0;

    static LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                                  uint32_t)
    {
        auto* self = static_cast<ChunkStore*>(handle);
        if (key != self->key) return LV2_STATE_ERR_UNKNOWN;
        self->type = type;
        const auto* bytes = static_cast<const unsigned char*>(value);
        self->bytes.assign(bytes, bytes + size);
        return LV2_STATE_SUCCESS;
    }
    static const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
    {
        auto* self = static_cast<ChunkStore*>(handle);
        if (key != self->key || self->bytes.empty()) return nullptr;
        *size = self->bytes.size();
        *type = self->type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return self->bytes.data();
    }
};

const LV2_State_Interface* StateOf(LilvInstance* instance)
{
    return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

std::vector<unsigned char> SavedChunk(LilvInstance* instance, UridMap& urids)
{
    ChunkStore store;
    store.key = urids.Id(lv2_uris::kStateChunk);
    const LV2_State_Interface* state = StateOf(instance);
    if (!state) return {};
    if (state->save(lilv_instance_get_handle(instance), ChunkStore::Store, &store, LV2_STATE_IS_POD, nullptr) !=
            LV2_STATE_SUCCESS ||
        store.type != urids.Id(LV2_ATOM__Chunk))
        return {};
    return store.bytes;
}

TEST(Lv2Plugin, CarelessHostsGetNeutralAnswers)
{
    const LilvPlugin* plugin = Lv2Bundle::Get().plugin;
    ASSERT_TRUE(plugin);
    for (double rate : {0.0, -44100.0, std::nan(""), double(INFINITY), 1e300})
        EXPECT_EQ(lilv_plugin_instantiate(plugin, rate, nullptr), nullptr) << rate;

    UridMap urids;
    const LV2_Feature* features[] = {urids.MapFeature(), nullptr};
    LilvInstance* instance = lilv_plugin_instantiate(plugin, 44100, features);
    ASSERT_TRUE(instance);
    // Nothing connected, a port past the last one, no activation: runs that do nothing.
    lilv_instance_connect_port(instance, lv2_ports::kCount, nullptr);
    lilv_instance_connect_port(instance, 1000, nullptr);
    lilv_instance_run(instance, 64);
    float latency = -1;
    lilv_instance_connect_port(instance, lv2_ports::kLatency, &latency);
    lilv_instance_run(instance, 0);
    EXPECT_EQ(latency, 128.0f);

    const std::vector<unsigned char> before = SavedChunk(instance, urids);
    ASSERT_EQ(before.size(), 260u);
    const LV2_State_Interface* state = StateOf(instance);
    LV2_Handle handle = lilv_instance_get_handle(instance);
    ChunkStore foreign;
    foreign.key = urids.Id(lv2_uris::kStateChunk);
    foreign.bytes = before;
    foreign.bytes[4] = 0x42; // slider 1 would change
    foreign.type = urids.Id(LV2_ATOM__String);
    EXPECT_EQ(state->restore(handle, ChunkStore::Retrieve, &foreign, 0, nullptr), LV2_STATE_ERR_BAD_TYPE);
    foreign.type = urids.Id(LV2_ATOM__Chunk);
    foreign.bytes[0] = 0x01; // no marker: not our chunk
    EXPECT_EQ(state->restore(handle, ChunkStore::Retrieve, &foreign, 0, nullptr), LV2_STATE_SUCCESS);
    ChunkStore empty;
    empty.key = foreign.key;
    EXPECT_EQ(state->restore(handle, ChunkStore::Retrieve, &empty, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_EQ(state->restore(handle, nullptr, nullptr, 0, nullptr), LV2_STATE_ERR_UNKNOWN);
    EXPECT_EQ(SavedChunk(instance, urids), before);
    lilv_instance_free(instance);
}

std::vector<float> ReadInterleaved(const std::string& path, SF_INFO& info)
{
    info = SF_INFO{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

TEST(Lv2Plugin, Lv2applyRendersAFileLikeTheVstBuild)
{
    BundleFolder folder;
    const material::Stereo music = material::Programme(44100, 22050, 6);
    const std::string in = (folder.path() / "in.wav").string(), out = (folder.path() / "out.wav").string();
    SF_INFO format{};
    format.samplerate = 44100;
    format.channels = 2;
    format.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(in.c_str(), SFM_WRITE, &format);
    ASSERT_TRUE(file);
    std::vector<float> interleaved;
    for (size_t i = 0; i < music.left.size(); ++i) {
        interleaved.push_back(static_cast<float>(music.left[i]));
        interleaved.push_back(static_cast<float>(music.right[i]));
    }
    sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(music.left.size()));
    sf_close(file);

    const CommandResult run = RunCommand(folder.Lv2Path() + SanitizerPreload() + "lv2apply -i " + in + " -o " + out +
                                         " -c lo_gain 6 -c stereo_m_s 0 -c input 3 " + lv2_uris::kPlugin);
    ASSERT_EQ(run.status, 0) << run.output;
    SF_INFO info;
    const std::vector<float> rendered = ReadInterleaved(out, info);
    ASSERT_EQ(info.frames, static_cast<sf_count_t>(music.left.size()));
    ASSERT_EQ(info.channels, 2);

    auto vst = testing_support::StartedInstance(44100, 512);
    vst->SetParameter(10, 26.0f / 40.0f);
    vst->SetParameter(26, 0.0f);
    vst->SetParameter(28, 23.0f / 40.0f);
    std::vector<float> l = AsFloat(music.left), r = AsFloat(music.right);
    float* io[2] = {l.data(), r.data()};
    vst->Process(io, io, static_cast<int32_t>(l.size()));
    int differing = 0;
    for (size_t i = 0; i < l.size(); ++i)
        differing += rendered[2 * i] != l[i] || rendered[2 * i + 1] != r[i];
    EXPECT_EQ(differing, 0);
    EXPECT_NE(rendered[2 * 5000], interleaved[2 * 5000]) << "the file was processed";
}

// Slider number of each parameter, from the parameter table.
constexpr int kSliderNumbers[30] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                    16, 17, 18, 19, 20, 21, 22, 23, 30, 31, 32, 33, 34, 40, 41};

struct PortHost {
    Lv2Instance* instance;
    UridMap* urids;
};

const void* GetPortValue(const char* symbol, void* user, uint32_t* size, uint32_t* type)
{
    auto* host = static_cast<PortHost*>(user);
    LilvNode* node = lilv_new_string(Lv2Bundle::Get().world, symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(Lv2Bundle::Get().plugin, node);
    lilv_node_free(node);
    if (!port) return nullptr;
    *size = sizeof(float);
    *type = host->urids->Id(LV2_ATOM__Float);
    return &host->instance->controls[lilv_port_get_index(Lv2Bundle::Get().plugin, port)];
}

void SetPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type)
{
    auto* host = static_cast<PortHost*>(user);
    LilvNode* node = lilv_new_string(Lv2Bundle::Get().world, symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(Lv2Bundle::Get().plugin, node);
    lilv_node_free(node);
    if (!port || size != sizeof(float) || type != host->urids->Id(LV2_ATOM__Float)) return;
    std::memcpy(&host->instance->controls[lilv_port_get_index(Lv2Bundle::Get().plugin, port)], value, sizeof(float));
}

TEST(Lv2State, RoundTripThroughLilvRestoresEverySetting)
{
    UridMap urids;
    const LV2_Feature* features[] = {urids.MapFeature(), urids.UnmapFeature(), nullptr};
    const LilvPlugin* plugin = Lv2Bundle::Get().plugin;
    ASSERT_TRUE(plugin);
    std::vector<float> minimum(lv2_ports::kCount), maximum(lv2_ports::kCount), defaults(lv2_ports::kCount);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());

    // Every parameter away from its default, on its step.
    constexpr double kValues[30] = {22, 9, 31, 4, 0, 3.5, -2.2, 7.1, -9.9, 0, 6.1,  -4.2, 12.3, -19.5, 0,
                                    1,  1, 1,  1, 1, 1,   1,    1,   0.8,  1, -2.7, 0,    1,    2.5,   -1.5};
    Lv2Instance saved(44100, features);
    ASSERT_TRUE(saved);
    const std::vector<double> values(std::begin(kValues), std::end(kValues));
    for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i) {
        ASSERT_NE(static_cast<float>(values[i]), defaults[i]) << i;
        saved.controls[i] = static_cast<float>(values[i]);
    }
    std::vector<float> silence(64, 0.0f), sink(64);
    saved.Run(silence.data(), silence.data(), sink.data(), sink.data(), 64);

    PortHost savedHost{&saved, &urids};
    LilvState* state = lilv_state_new_from_instance(plugin, saved.get(), urids.map(), nullptr, nullptr, nullptr,
                                                    nullptr, GetPortValue, &savedHost, 0, features);
    ASSERT_TRUE(state);
    char* text =
        lilv_state_to_string(Lv2Bundle::Get().world, urids.map(), urids.unmap(), state, "urn:test:saved", nullptr);
    ASSERT_TRUE(text);
    EXPECT_NE(std::string(text).find(lv2_uris::kStateChunk), std::string::npos) << text;
    LilvState* loaded = lilv_state_new_from_string(Lv2Bundle::Get().world, urids.map(), text);
    lilv_free(text);
    lilv_state_free(state);
    ASSERT_TRUE(loaded);

    // A fresh instance takes the chunk and the host's port values, and they agree.
    Lv2Instance restored(44100, features);
    PortHost restoredHost{&restored, &urids};
    lilv_state_restore(loaded, restored.get(), SetPortValue, &restoredHost, 0, features);
    // A host that restores the chunk alone leaves its ports at the defaults.
    Lv2Instance chunkOnly(44100, features);
    lilv_state_restore(loaded, chunkOnly.get(), nullptr, nullptr, 0, features);
    lilv_state_free(loaded);

    std::vector<float> expected(65, 0.0f);
    expected[0] = -1000.0f;
    for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i) {
        expected[kSliderNumbers[i]] = static_cast<float>(values[i]);
        EXPECT_EQ(restored.controls[i], static_cast<float>(values[i])) << i;
    }
    for (Lv2Instance* instance : {&restored, &chunkOnly}) {
        instance->Run(silence.data(), silence.data(), sink.data(), sink.data(), 64);
        const std::vector<unsigned char> chunk = SavedChunk(instance->get(), urids);
        ASSERT_EQ(chunk.size(), 260u);
        std::vector<float> floats(65);
        std::memcpy(floats.data(), chunk.data(), 260);
        for (int k = 0; k < 65; ++k)
            EXPECT_EQ(floats[k], expected[k]) << "slider " << k;
    }

    // And the restored instance sounds like the VST build with those settings.
    auto vst = testing_support::StartedInstance(44100, 1024);
    for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i)
        vst->SetParameter(static_cast<int32_t>(i),
                          static_cast<float>((values[i] - minimum[i]) / (maximum[i] - minimum[i])));
    Lv2Instance fresh(44100, features);
    PortHost freshHost{&fresh, &urids};
    LilvState* again = lilv_state_new_from_instance(plugin, restored.get(), urids.map(), nullptr, nullptr, nullptr,
                                                    nullptr, GetPortValue, &restoredHost, 0, features);
    lilv_state_restore(again, fresh.get(), SetPortValue, &freshHost, 0, features);
    lilv_state_free(again);
    const material::Stereo music = material::Programme(44100, 44100, 8);
    EXPECT_EQ(DifferingFrames(fresh, *vst, music, 0, 44100), 0);
}

// The factory bank as LV2 hosts find it: every preset the manifest lists for the plug-in,
// with its name, its line and every control port's value as the table has it; restored by
// lilv into a running instance, the settings the plug-in then saves are the table's.
TEST(Lv2Presets, ListedByLilvWithEveryPortAndAppliedAsTheTableHasThem)
{
    UridMap urids;
    const LV2_Feature* features[] = {urids.MapFeature(), urids.UnmapFeature(), nullptr};
    LilvWorld* world = Lv2Bundle::Get().world;
    const LilvPlugin* plugin = Lv2Bundle::Get().plugin;
    ASSERT_TRUE(plugin);
    LilvNode* presetClass = lilv_new_uri(world, LV2_PRESETS__Preset);
    LilvNode* comment = lilv_new_uri(world, "http://www.w3.org/2000/01/rdf-schema#comment");
    LilvNodes* related = lilv_plugin_get_related(plugin, presetClass);
    ASSERT_TRUE(related);
    EXPECT_EQ(lilv_nodes_size(related), static_cast<unsigned>(kFactoryPresetCount));
    std::set<std::string> names;
    LILV_FOREACH (nodes, it, related) {
        const LilvNode* uri = lilv_nodes_get(related, it);
        lilv_world_load_resource(world, uri);
        LilvState* state = lilv_state_new_from_world(world, urids.map(), uri);
        ASSERT_TRUE(state) << lilv_node_as_uri(uri);
        const std::string label = lilv_state_get_label(state) ? lilv_state_get_label(state) : "";
        SCOPED_TRACE(label);
        names.insert(label);
        const FactoryPreset* preset = nullptr;
        for (const FactoryPreset& p : kFactoryPresets)
            if (label == p.name) preset = &p;
        ASSERT_TRUE(preset);
        LilvNode* line = lilv_world_get(world, uri, comment, nullptr);
        EXPECT_EQ(line ? lilv_node_as_string(line) : "", std::string(preset->line));
        lilv_node_free(line);

        // Every control port, by symbol, with the table's value.
        Lv2Instance listed(44100, features);
        ASSERT_TRUE(listed);
        std::fill(listed.controls.begin(), listed.controls.end(), std::nanf(""));
        PortHost host{&listed, &urids};
        lilv_state_restore(state, nullptr, SetPortValue, &host, 0, nullptr);
        EXPECT_EQ(lilv_state_get_num_properties(state), 0u) << "port values only";
        for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i)
            EXPECT_EQ(listed.controls[i], static_cast<float>(preset->values[i])) << kParameterTable[i].symbol;

        // A running instance given the preset by lilv saves the table's settings.
        Lv2Instance running(44100, features);
        PortHost runningHost{&running, &urids};
        std::vector<float> silence(64, 0.0f), sink(64);
        running.Run(silence.data(), silence.data(), sink.data(), sink.data(), 64);
        lilv_state_restore(state, running.get(), SetPortValue, &runningHost, 0, features);
        running.Run(silence.data(), silence.data(), sink.data(), sink.data(), 64);
        const std::vector<unsigned char> chunk = SavedChunk(running.get(), urids);
        ASSERT_EQ(chunk.size(), 260u);
        std::vector<float> floats(65);
        std::memcpy(floats.data(), chunk.data(), 260);
        for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i)
            EXPECT_FLOAT_EQ(floats[kSliderNumbers[i]], static_cast<float>(preset->values[i])) << kParameterTable[i].name;
        lilv_state_free(state);
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kFactoryPresetCount)) << "each preset once";
    lilv_nodes_free(related);
    lilv_node_free(comment);
    lilv_node_free(presetClass);
}

} // namespace
