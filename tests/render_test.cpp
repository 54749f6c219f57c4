// tolvanger-render end to end: small generated files in a temporary folder, the program run
// as a user runs it, and its results checked against processing done here in memory through
// the host-side helper, against the preset layout and against closed-form loudness figures.

#include <cairo.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/factory_presets.h"
#include "effect/parameter_table.h"
#include "tests/plugin_fixture.h"
#include "tests/render_files.h"

namespace {

using namespace render_files;
namespace fs = std::filesystem;

// What the renderer promises, done here directly: the stream is the input in blocks of
// `block` frames, the first no longer than the input; with compensation it goes on with
// silence for the latency reported after the first block, and that many frames are dropped
// from the front of the output.
template <typename Sample>
Stereo ProcessInMemory(const Stereo& input, int rate, int block, const std::vector<std::pair<int, float>>& parameters,
                       bool compensate, int* latency = nullptr)
{
    auto plugin = testing_support::StartedInstance(static_cast<float>(rate), block);
    for (auto [index, value] : parameters)
        plugin->SetParameter(index, value);

    const auto total = static_cast<int64_t>(input.size());
    int64_t streamLength = total, fed = 0, drop = 0;
    std::vector<Sample> raw[2];
    std::vector<Sample> in[2] = {std::vector<Sample>(static_cast<std::size_t>(block)),
                                 std::vector<Sample>(static_cast<std::size_t>(block))};
    std::vector<Sample> out[2] = {in[0], in[1]};
    while (fed < streamLength) {
        const int64_t frames = std::min<int64_t>(block, streamLength - fed);
        for (int64_t i = 0; i < frames; ++i) {
            const bool inside = fed + i < total;
            in[0][static_cast<std::size_t>(i)] = inside ? input.left[static_cast<std::size_t>(fed + i)] : 0.0f;
            in[1][static_cast<std::size_t>(i)] = inside ? input.right[static_cast<std::size_t>(fed + i)] : 0.0f;
        }
        Sample* inputs[2] = {in[0].data(), in[1].data()};
        Sample* outputs[2] = {out[0].data(), out[1].data()};
        plugin->Process(inputs, outputs, static_cast<int32_t>(frames));
        if (fed == 0) {
            if (latency) *latency = plugin->InitialDelay();
            if (compensate) {
                drop = plugin->InitialDelay();
                streamLength = total + drop;
            }
        }
        for (int c = 0; c < 2; ++c)
            raw[c].insert(raw[c].end(), out[c].begin(), out[c].begin() + frames);
        fed += frames;
    }
    Stereo result;
    for (int64_t i = drop; i < drop + total; ++i) {
        result.left.push_back(static_cast<float>(raw[0][static_cast<std::size_t>(i)]));
        result.right.push_back(static_cast<float>(raw[1][static_cast<std::size_t>(i)]));
    }
    return result;
}

std::size_t FirstDifference(const Stereo& a, const Stereo& b)
{
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a.left[i] != b.left[i] || a.right[i] != b.right[i]) return i;
    return a.size() == b.size() ? a.size() : std::min(a.size(), b.size());
}

struct Listed {
    std::string name, display;
    double normalised;
};

// --list-params rows: index, name, display and normalised value, in columns two or more
// spaces apart.
std::map<int, Listed> ParseListing(const std::string& text)
{
    std::map<int, Listed> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::size_t at = line.find_first_not_of(' ');
        while (at != std::string::npos) {
            std::size_t end = line.find("  ", at);
            fields.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
            at = end == std::string::npos ? end : line.find_first_not_of(' ', end);
        }
        if (fields.size() != 4 || fields[0].find_first_not_of("0123456789") != std::string::npos) continue;
        rows[std::stoi(fields[0])] = Listed{fields[1], fields[2], std::stod(fields[3])};
    }
    return rows;
}

int32_t BigEndian(const std::string& bytes, std::size_t at)
{
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return static_cast<int32_t>(value);
}

float LittleEndianFloat(const std::string& bytes, std::size_t at)
{
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << 8 * i;
    return std::bit_cast<float>(value);
}

constexpr int32_t kTolvangerId = ('T' << 24) | ('L' << 16) | ('V' << 8) | 'G';

TEST(RenderOutput, FloatFileEqualsTheSameProcessingInMemory)
{
    TempFolder folder;
    const Stereo input = TestProgramme(66150);
    WriteStereo(folder / "in.wav", input);
    const std::vector<std::pair<int, float>> tuned = {{0, 0.75f}, {10, 0.6f}, {26, 0.0f}};

    struct Case {
        const char* what;
        int block;
        bool useDouble;
        std::vector<std::pair<int, float>> parameters;
    };
    const Case cases[] = {
        {"defaults, 512-frame blocks", 512, false, {}},
        {"tuned, 100-frame blocks", 100, false, tuned},
        {"defaults, 64-bit processing", 512, true, {}},
        {"tuned, 64-bit, 4096-frame blocks", 4096, true, tuned},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"--block", std::to_string(c.block)};
        if (c.useDouble) args.push_back("--double");
        for (auto [index, value] : c.parameters) {
            char text[64];
            std::snprintf(text, sizeof text, "%d=@%.9g", index, static_cast<double>(value));
            args.insert(args.end(), {"--set", text});
        }
        args.insert(args.end(), {folder / "in.wav", folder / "out.wav"});
        const RunResult run = Render(folder, args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "") << "a successful run off a terminal prints nothing on standard error";

        const FileAudio rendered = ReadStereo(folder / "out.wav");
        EXPECT_EQ(rendered.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        EXPECT_EQ(rendered.info.samplerate, 44100);
        const Stereo expected = c.useDouble ? ProcessInMemory<double>(input, 44100, c.block, c.parameters, true)
                                            : ProcessInMemory<float>(input, 44100, c.block, c.parameters, true);
        ASSERT_EQ(rendered.audio.size(), input.size());
        EXPECT_EQ(FirstDifference(rendered.audio, expected), input.size());
    }
}

TEST(RenderOutput, MonoFileFeedsBothChannels)
{
    TempFolder folder;
    const Stereo programme = TestProgramme(30000, 48000);
    WriteFile(folder / "mono.wav", {programme.left}, 48000);
    const RunResult run = Render(folder, {folder / "mono.wav", folder / "out.wav"});
    ASSERT_EQ(run.status, 0) << run.err;

    const FileAudio rendered = ReadStereo(folder / "out.wav");
    EXPECT_EQ(rendered.info.samplerate, 48000);
    const Stereo expected = ProcessInMemory<float>({programme.left, programme.left}, 48000, 512, {}, true);
    ASSERT_EQ(rendered.audio.size(), programme.size());
    EXPECT_EQ(FirstDifference(rendered.audio, expected), programme.size());
}

TEST(RenderOutput, IntegerFilesWithoutDitherHoldTheSameSignalRoundedAndClippedOversCounted)
{
    TempFolder folder;
    const Stereo input = TestProgramme(20000);
    WriteStereo(folder / "in.wav", input);
    // 6 dB of output gain takes the loud parts past full scale.
    const Stereo expected = ProcessInMemory<float>(input, 44100, 512, {{29, 0.65f}}, true);

    struct Case {
        std::string format, name;
        int subtype;
        double scale;
    };
    for (const Case& c : {Case{"pcm16", "out16.wav", SF_FORMAT_PCM_16, 32768.0},
                          Case{"pcm24", "out24.flac", SF_FORMAT_PCM_24, 8388608.0}}) {
        SCOPED_TRACE(c.name);
        const RunResult run = Render(folder, {"--set", "29=@0.65", "--format", c.format, "--dither", "none",
                                              folder / "in.wav", folder / c.name});
        ASSERT_EQ(run.status, 0) << run.err;
        const FileAudio rendered = ReadStereo(folder / c.name);
        EXPECT_EQ(rendered.info.format & SF_FORMAT_SUBMASK, c.subtype);
        ASSERT_EQ(rendered.audio.size(), input.size());
        // Rounding to the nearest step, and overs held at full scale (one step below +1 on
        // the positive side) rather than wrapped around; the renderer adds nothing of its own.
        const double step = 1.0 / c.scale;
        auto held = [&](float x) { return std::clamp(static_cast<double>(x), -1.0, 1.0 - step); };
        double worst = 0.0;
        long overs = 0;
        for (std::size_t i = 0; i < input.size(); ++i) {
            for (auto [got, want] : {std::pair{rendered.audio.left[i], expected.left[i]},
                                     std::pair{rendered.audio.right[i], expected.right[i]}}) {
                worst = std::max(worst, std::abs(got - held(want)));
                const double level = std::nearbyint(static_cast<double>(want) * c.scale);
                overs += level > c.scale - 1.0 || level < -c.scale ? 1 : 0;
            }
        }
        EXPECT_LE(worst, 0.5 * step * (1.0 + 1e-6));
        EXPECT_GT(overs, 0) << "the programme is meant to reach beyond full scale";
        const auto line = run.out.find("\nclipped ");
        ASSERT_NE(line, std::string::npos) << run.out;
        long clipped = -1;
        std::sscanf(run.out.c_str() + line + 1, "clipped %ld", &clipped);
        EXPECT_EQ(clipped, overs) << run.out;
    }
}

TEST(RenderLatency, ImpulseComesOutAtItsOwnPositionAndTheLengthIsKept)
{
    TempFolder folder;
    constexpr std::size_t kFrames = 8000, kAt = 3000;
    Stereo impulse{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    impulse.left[kAt] = impulse.right[kAt] = 0.5f;
    WriteStereo(folder / "impulse.wav", impulse);
    // Dynamics and band gains off: the output is the band sum of the input, whose largest
    // sample is the impulse's own.
    const std::vector<std::string> plain = {"--set", "Compressor=Off", "--set", "Transient=Off", "--set", "EQ=Off"};
    int latency = -1;
    ProcessInMemory<float>(impulse, 44100, 512, {}, false, &latency);

    auto peakAt = [](const std::vector<float>& channel) {
        return static_cast<std::size_t>(
            std::distance(channel.begin(), std::max_element(channel.begin(), channel.end(), [](float a, float b) {
                              return std::abs(a) < std::abs(b);
                          })));
    };
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "--keep-latency" : "compensated");
        std::vector<std::string> args = plain;
        if (keep) args.push_back("--keep-latency");
        args.insert(args.end(), {folder / "impulse.wav", folder / "out.wav"});
        const RunResult run = Render(folder, args);
        ASSERT_EQ(run.status, 0) << run.err;
        const Stereo out = ReadStereo(folder / "out.wav").audio;
        ASSERT_EQ(out.size(), kFrames);
        const std::size_t expected = keep ? kAt + static_cast<std::size_t>(latency) : kAt;
        EXPECT_EQ(peakAt(out.left), expected);
        EXPECT_EQ(peakAt(out.right), expected);
        EXPECT_GT(std::abs(out.left[expected]), 0.25f);
    }
}

TEST(RenderSettings, SetByNameUnitAndOptionTextChangesWhatThePluginReports)
{
    TempFolder folder;
    const RunResult run = Render(folder, {"--set", "LO Compress=20", "--set", "3=@0.25", "--set", "LO Gain=-3.5",
                                          "--set", "Stereo/M-S=Stereo", "--set", "mix level=k-20", "--set",
                                          "Inertia=0.35", "--set", "Output=+1.2", "--list-params"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::map<int, Listed> rows = ParseListing(run.out);
    ASSERT_EQ(rows.size(), 30u) << run.out;

    // (value - minimum) / (maximum - minimum) over the ranges of the sliders concerned.
    struct Expected {
        int index;
        const char *name, *display;
        double normalised;
    };
    for (const Expected& e :
         {Expected{0, "LO Compress", "20.00", 20.0 / 40.0}, Expected{1, "LM Compress", "15.00", 15.0 / 40.0},
          Expected{3, "HI Compress", "10.00", 0.25}, Expected{10, "LO Gain", "-3.50", (-3.5 + 20.0) / 40.0},
          Expected{26, "Stereo/M-S", "Stereo", 0.0}, Expected{27, "Mix Level", "K-20", 1.0},
          Expected{23, "Inertia", "0.40", 0.4}, Expected{29, "Output", "1.20", (1.2 + 20.0) / 40.0}}) {
        SCOPED_TRACE(e.name);
        const Listed& row = rows.at(e.index);
        EXPECT_EQ(row.name, e.name);
        EXPECT_EQ(row.display, e.display);
        EXPECT_NEAR(row.normalised, e.normalised, 1e-6);
    }
    EXPECT_NE(run.err.find("Inertia: 0.35 lies between two steps; set to 0.40"), std::string::npos) << run.err;
}

TEST(RenderPresets, SavedProgramIsAValidFxpAndRestoresEveryParameter)
{
    TempFolder folder;
    const std::vector<std::string> settings = {"--set", "LO Compress=20", "--set", "HM Transient=-4.5",
                                               "--set", "Punch=On",       "--set", "Stereo/M-S=Stereo",
                                               "--set", "Output=-2"};
    std::vector<std::string> save = settings;
    save.insert(save.end(), {"--save-preset", folder / "bright.fxp", "--list-params"});
    const RunResult saved = Render(folder, save);
    ASSERT_EQ(saved.status, 0) << saved.err;

    const std::string fxp = ReadText(folder / "bright.fxp");
    ASSERT_EQ(fxp.size(), 60u + 260u);
    EXPECT_EQ(fxp.substr(0, 4), "CcnK");
    EXPECT_EQ(BigEndian(fxp, 4), static_cast<int32_t>(fxp.size() - 8));
    EXPECT_EQ(fxp.substr(8, 4), "FPCh");
    EXPECT_EQ(BigEndian(fxp, 12), 1);
    EXPECT_EQ(BigEndian(fxp, 16), kTolvangerId);
    EXPECT_EQ(BigEndian(fxp, 20), 1);
    EXPECT_EQ(BigEndian(fxp, 24), 30);
    EXPECT_EQ(fxp.substr(28, 28), std::string("bright") + std::string(22, '\0'));
    EXPECT_EQ(BigEndian(fxp, 56), 260);
    EXPECT_EQ(LittleEndianFloat(fxp, 60), -1000.0f);
    EXPECT_EQ(LittleEndianFloat(fxp, 60 + 4 * 1), 20.0f);
    EXPECT_EQ(LittleEndianFloat(fxp, 60 + 4 * 8), -4.5f);
    EXPECT_EQ(LittleEndianFloat(fxp, 60 + 4 * 41), -2.0f);

    const RunResult loaded = Render(folder, {"--preset", folder / "bright.fxp", "--list-params"});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    const auto before = ParseListing(saved.out), after = ParseListing(loaded.out);
    ASSERT_EQ(before.size(), 30u);
    for (const auto& [index, row] : before) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(after.at(index).display, row.display);
        EXPECT_EQ(after.at(index).normalised, row.normalised);
    }
    EXPECT_NE(ParseListing(Render(folder, {"--list-params"}).out).at(0).display, before.at(0).display);
}

TEST(RenderPresets, SavedBankIsAValidFxbAndRestoresEveryParameter)
{
    TempFolder folder;
    const RunResult saved = Render(folder, {"--set", "HI Gain=3.3", "--set", "Mix Level=K-20", "--save-preset",
                                            folder / "bank.fxb", "--list-params"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string fxb = ReadText(folder / "bank.fxb");
    ASSERT_EQ(fxb.size(), 160u + 260u);
    EXPECT_EQ(fxb.substr(0, 4), "CcnK");
    EXPECT_EQ(BigEndian(fxb, 4), static_cast<int32_t>(fxb.size() - 8));
    EXPECT_EQ(fxb.substr(8, 4), "FBCh");
    EXPECT_EQ(BigEndian(fxb, 16), kTolvangerId);
    EXPECT_EQ(BigEndian(fxb, 24), 1);
    EXPECT_EQ(BigEndian(fxb, 156), 260);
    EXPECT_EQ(LittleEndianFloat(fxb, 160), -1000.0f);

    const RunResult loaded = Render(folder, {"--preset", folder / "bank.fxb", "--list-params"});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    const auto before = ParseListing(saved.out), after = ParseListing(loaded.out);
    ASSERT_EQ(before.size(), 30u);
    for (const auto& [index, row] : before)
        EXPECT_EQ(after.at(index).display, row.display) << row.name;
}

// The display text and normalised value a parameter has at a value of the factory table,
// worked out from the parameter table: the option's text, or the number with two decimals.
Listed ExpectedRow(int index, double value)
{
    const ParameterRow& row = kParameterTable[index];
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", value);
    const std::string display = row.option0 ? (value == row.minimum ? row.option0 : row.option1) : number;
    return Listed{row.name, display, (value - row.minimum) / (row.maximum - row.minimum)};
}

// The factory bank as the build writes it: one .fxp file per preset of the table, named by
// the preset's words, each a program of this plug-in under the preset's name; each loads
// through the renderer to the table's values, and so does the preset's name in any case.
TEST(RenderPresets, FactoryFilesAndNamesLoadTheTablesValues)
{
    TempFolder folder;
    const fs::path presets = fs::path(TOLVANGER_BINARY_DIR) / "presets";
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(presets))
        if (entry.path().extension() == ".fxp") files.insert(entry.path().filename().string());
    EXPECT_EQ(files.size(), static_cast<std::size_t>(kFactoryPresetCount));
    for (const FactoryPreset& preset : kFactoryPresets) {
        SCOPED_TRACE(preset.name);
        std::string key, upper;
        for (const char* c = preset.name; *c; ++c) {
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
            if (std::isalnum(static_cast<unsigned char>(*c)))
                key += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
            else if (!key.empty() && key.back() != '_')
                key += '_';
        }
        const fs::path file = presets / (key + ".fxp");
        ASSERT_TRUE(files.count(file.filename().string())) << file;
        const std::string fxp = ReadText(file);
        ASSERT_EQ(fxp.size(), 60u + 260u);
        EXPECT_EQ(fxp.substr(0, 4), "CcnK");
        EXPECT_EQ(fxp.substr(8, 4), "FPCh");
        EXPECT_EQ(BigEndian(fxp, 16), kTolvangerId);
        EXPECT_EQ(fxp.substr(28, 28).c_str(), std::string(preset.name));
        for (const std::string& chosen : {file.string(), upper}) {
            const RunResult run = Render(folder, {"--preset", chosen, "--list-params"});
            ASSERT_EQ(run.status, 0) << run.err;
            const auto loaded = ParseListing(run.out);
            ASSERT_EQ(loaded.size(), static_cast<std::size_t>(kParameterTableSize));
            for (int i = 0; i < kParameterTableSize; ++i) {
                const Listed expected = ExpectedRow(i, preset.values[i]);
                EXPECT_EQ(loaded.at(i).name, expected.name);
                EXPECT_EQ(loaded.at(i).display, expected.display) << expected.name << " from " << chosen;
                EXPECT_NEAR(loaded.at(i).normalised, expected.normalised, 1e-6) << expected.name;
            }
        }
    }
}

// --list-presets: the bank with its lines, then the user's presets from the folder every
// format shares, an unreadable file with its reason; a user preset loads by its name.
TEST(RenderPresets, ListsTheBankAndTheUsersPresetsAndLoadsThemByName)
{
    TempFolder folder;
    const fs::path config = folder.root() / "config";
    const fs::path mine = config / "tolvanger" / "presets";
    fs::create_directories(mine);
    const std::string environment = "XDG_CONFIG_HOME=" + Quote(config.string());
    ASSERT_EQ(Render(folder, {"--set", "HI Gain=4.5", "--save-preset", (mine / "My Master.fxp").string()}).status, 0);
    std::ofstream(mine / "broken.fxp") << "CcnK";

    const RunResult listed = Render(folder, {"--list-presets"}, environment);
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::size_t at = 0;
    for (const FactoryPreset& preset : kFactoryPresets) {
        const std::size_t line = listed.out.find("\n  " + std::string(preset.name) + " ", at);
        ASSERT_NE(line, std::string::npos) << preset.name << " in this order:\n" << listed.out;
        EXPECT_NE(listed.out.find(preset.line, line), std::string::npos) << preset.name;
        at = line + 1;
    }
    const std::size_t users = listed.out.find("Your presets (" + mine.string() + "):\n");
    ASSERT_NE(users, std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.substr(users).find("  broken  (unreadable: "), listed.out.substr(users).find("  broken"));
    EXPECT_NE(listed.out.find("\n  My Master\n", users), std::string::npos) << listed.out;

    const RunResult loaded = Render(folder, {"--preset", "my master", "--list-params"}, environment);
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(ParseListing(loaded.out).at(13).display, "4.50");
    const RunResult damaged = Render(folder, {"--preset", "Broken", "--list-params"}, environment);
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("broken.fxp is not a VST preset file"), std::string::npos) << damaged.err;
}

TEST(RenderErrors, EachFailureExitsNonZeroWithOneLineAndLeavesNoOutput)
{
    TempFolder folder;
    WriteStereo(folder / "in.wav", TestProgramme(4410));
    WriteFile(folder / "three.wav", {std::vector<float>(100), std::vector<float>(100), std::vector<float>(100)}, 44100);
    ASSERT_EQ(Render(folder, {"--save-preset", folder / "good.fxp"}).status, 0);
    const std::string good = ReadText(folder / "good.fxp");
    std::string foreign = good;
    foreign.replace(16, 4, "NvRb");
    std::ofstream(folder / "foreign.fxp", std::ios::binary) << foreign;
    std::ofstream(folder / "cut.fxp", std::ios::binary) << good.substr(0, 100);
    std::ofstream(folder / "kept.wav", std::ios::binary) << "an earlier render";

    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* message;
        int status;
    };
    const std::string in = folder / "in.wav", out = folder / "out.wav";
    const Case cases[] = {
        {"missing input", {folder / "missing.wav", out}, "cannot read", 1},
        {"input that is no audio file", {folder / "good.fxp", out}, "cannot read", 1},
        {"unsupported output format", {in, folder / "out.mp3"}, "cannot tell the format", 1},
        {"more than two channels", {folder / "three.wav", out}, "has 3 channels", 1},
        {"unknown parameter", {"--set", "Loudness=3", in, out}, "unknown parameter 'Loudness'", 1},
        {"value out of range", {"--set", "LO Compress=41", in, out}, "value out of range", 1},
        {"normalised value out of range", {"--set", "2=@1.5", in, out}, "value out of range", 1},
        {"unknown option text", {"--set", "Stereo/M-S=Surround", in, out}, "has no setting 'Surround'", 1},
        {"preset for another plug-in", {"--preset", folder / "foreign.fxp", in, out}, "another plug-in", 1},
        {"damaged preset", {"--preset", folder / "cut.fxp", in, out}, "damaged", 1},
        {"audio file as preset", {"--preset", in, in, out}, "not a VST preset file", 1},
        {"unknown preset name", {"--preset", "Warm Sparkle", in, out}, "no preset named 'Warm Sparkle'", 1},
        {"unwritable output", {in, folder / "no-such-folder/out.wav"}, "cannot write", 1},
        {"existing output kept on failure", {"--set", "Loudness=3", in, folder / "kept.wav"}, "unknown parameter", 1},
        {"bad block size", {"--block", "0", in, out}, "--block", 2},
        {"unknown option", {"--louder", in, out}, "unknown option", 2},
    };
    const std::set<std::string> before = folder.Contents();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult run = Render(folder, c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("tolvanger-render: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(folder.Contents(), before) << "no output and no temporary file is left";
    }
    EXPECT_EQ(ReadText(folder / "kept.wav"), "an earlier render");
}

// K-weighting of the loudness standard at 48 kHz (a high shelf, then a high-pass), as
// published with it; the gain of both stages at one frequency.
double KWeightingPowerGain(double hertz)
{
    const std::complex<double> z = std::polar(1.0, -2.0 * std::numbers::pi * hertz / 48000.0);
    auto stage = [&](double b0, double b1, double b2, double a1, double a2) {
        return (b0 + b1 * z + b2 * z * z) / (1.0 + a1 * z + a2 * z * z);
    };
    const std::complex<double> shelf =
        stage(1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585);
    const std::complex<double> highPass = stage(1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621);
    return std::norm(shelf * highPass);
}

TEST(RenderReport, OneKilohertzSineAtMinus20DbfsInBothChannelsReadsMinus20Lufs)
{
    TempFolder folder;
    const double amplitude = std::pow(10.0, -20.0 / 20.0);
    Stereo sine;
    for (int i = 0; i < 48000 * 5; ++i) {
        const auto x = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0));
        sine.left.push_back(x);
        sine.right.push_back(x);
    }
    WriteStereo(folder / "sine.wav", sine, 48000);
    const RunResult run = Render(folder, {folder / "sine.wav", folder / "out.wav"});
    ASSERT_EQ(run.status, 0) << run.err;

    // Loudness = -0.691 + 10 log10(sum over channels of the K-weighted mean square); a steady
    // sine passes both gates, and its mean square is amplitude^2 / 2.
    const double expected = -0.691 + 10.0 * std::log10(2.0 * KWeightingPowerGain(1000.0) * amplitude * amplitude / 2.0);
    EXPECT_NEAR(expected, -20.0, 0.05);
    double integrated = 0.0, samplePeak = 0.0, truePeak = 0.0;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        std::sscanf(line.c_str(), "integrated %lf", &integrated);
        std::sscanf(line.c_str(), "sample peak %lf", &samplePeak);
        std::sscanf(line.c_str(), "true peak %lf", &truePeak);
    }
    EXPECT_NEAR(integrated, expected, 0.1) << run.out;
    EXPECT_NEAR(samplePeak, -20.0, 0.05) << run.out;
    EXPECT_NEAR(truePeak, -20.0, 0.1) << run.out;
    EXPECT_NE(run.out.find("x real time"), std::string::npos) << run.out;
}

TEST(RenderSnapshot, WritesTheEditorPictureOrSaysWhyAndRendersAnyway)
{
    TempFolder folder;
    WriteStereo(folder / "in.wav", TestProgramme(22050));
    // Kept off the user's own screen: the renderer starts a virtual display for itself.
    const RunResult run =
        Render(folder, {"--snapshot", folder / "editor.png", folder / "in.wav", folder / "out.wav"}, "env -u DISPLAY");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadStereo(folder / "out.wav").audio.size(), 22050u);
    if (!fs::exists(folder / "editor.png")) {
        EXPECT_NE(run.err.find("no editor snapshot written"), std::string::npos) << run.err;
        GTEST_SKIP() << "no display for the snapshot here: " << run.err;
    }
    cairo_surface_t* picture = cairo_image_surface_create_from_png((folder / "editor.png").c_str());
    ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(picture), 890);
    EXPECT_EQ(cairo_image_surface_get_height(picture), 550);
    cairo_surface_destroy(picture);
}

} // namespace
