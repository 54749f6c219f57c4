// Presets through the core, as the editor will use them: a preset loaded as one change that
// the host hears as one gesture per changed parameter, and the user's folder shared by every
// format (where it is, names kept as typed, and files that are damaged, empty or foreign,
// a read-only folder). Values are checked against the factory table and the parameter table.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/factory_presets.h"
#include "core/plugin.h"
#include "core/presets.h"
#include "effect/parameter_table.h"
#include "runtime/host_interface.h"
#include "tests/config_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ConfigFolder;

struct Edit {
    char kind; // 'b'egin, 'p'erform, 'e'nd
    int32_t index;
    double value;
    bool operator==(const Edit&) const = default;
};

class RecordingHost : public HostInterface {
public:
    double SampleRate() override { return 44100.0; }
    double BlockSize() override { return 64.0; }
    int32_t InputCount() override { return 2; }
    int32_t OutputCount() override { return 2; }
    HostTransport Transport() override { return {}; }
    void AnnounceLatency(int32_t) override {}
    void StoreLatency(int32_t) override {}
    void BeginEdit(int32_t index) override { edits.push_back({'b', index, 0.0}); }
    void PerformEdit(int32_t index, double value) override { edits.push_back({'p', index, value}); }
    void EndEdit(int32_t index) override { edits.push_back({'e', index, 0.0}); }
    bool RequestRedraw() override { return false; }
    bool EditorSize(int32_t&, int32_t&) override { return false; }
    std::vector<Edit> edits;
};

int PresetNamed(const char* name)
{
    for (int i = 0; i < kFactoryPresetCount; ++i)
        if (std::string(kFactoryPresets[i].name) == name) return i;
    ADD_FAILURE() << "no factory preset " << name;
    return 0;
}

presets::Values TableValues(int preset)
{
    presets::Values values{};
    std::copy(std::begin(kFactoryPresets[preset].values), std::end(kFactoryPresets[preset].values), values.begin());
    return values;
}

// A preset file keeps each value as a float, as the plug-in's own state chunk does.
bool SameAsFloats(const presets::Values& read, const presets::Values& table)
{
    for (size_t i = 0; i < read.size(); ++i)
        if (static_cast<float>(read[i]) != static_cast<float>(table[i])) return false;
    return true;
}

TEST(PresetLoad, SetsEveryValueAndTellsTheHostOneGesturePerChangedParameter)
{
    RecordingHost host;
    Plugin plugin(host);
    const int preset = PresetNamed("Drum Punch");
    ASSERT_TRUE(plugin.LoadPreset(TableValues(preset), kFactoryPresets[preset].name, Plugin::PresetEdits::kTellHost));

    std::vector<Edit> expected;
    for (int i = 0; i < kParameterTableSize; ++i) {
        const double value = kFactoryPresets[preset].values[i];
        EXPECT_NEAR(plugin.GetValue(i), value, 1e-9) << kParameterTable[i].name;
        if (std::fabs(value - kParameterTable[i].defaultValue) < 1e-9) continue;
        expected.push_back({'b', i, 0.0});
        expected.push_back({'p', i, plugin.GetValue(i)});
        expected.push_back({'e', i, 0.0});
    }
    EXPECT_GE(expected.size(), 3u * 10) << "the preset changes at least ten parameters";
    EXPECT_EQ(host.edits, expected);
    EXPECT_EQ(plugin.ProgramName(), "Drum Punch");
    for (int i = 0; i < kParameterTableSize; ++i)
        EXPECT_NEAR(plugin.PresetValues()[static_cast<size_t>(i)], kFactoryPresets[preset].values[i], 1e-9);

    // The same preset again changes nothing, and so tells nothing; a load the host asked for
    // is not told back to it.
    host.edits.clear();
    ASSERT_TRUE(plugin.LoadPreset(TableValues(preset), "Drum Punch", Plugin::PresetEdits::kTellHost));
    const int other = PresetNamed("Pass-Through");
    ASSERT_TRUE(plugin.LoadPreset(TableValues(other), "Pass-Through", Plugin::PresetEdits::kHostKnows));
    EXPECT_TRUE(host.edits.empty());
    EXPECT_EQ(plugin.GetValue(ParameterIndex(Param::Compressor)), 0.0);

    // A value that is no number: nothing at all changes.
    presets::Values poisoned = TableValues(preset);
    poisoned[5] = std::nan("");
    EXPECT_FALSE(plugin.LoadPreset(poisoned, "Poisoned", Plugin::PresetEdits::kTellHost));
    EXPECT_EQ(plugin.GetValue(ParameterIndex(Param::Compressor)), 0.0);
    EXPECT_EQ(plugin.ProgramName(), "Pass-Through");
    EXPECT_TRUE(host.edits.empty());
}

// Two presets loaded in turn, flat out, on another thread while this one plays the audio
// thread: after every block the settings the audio thread took are one preset's or the
// other's, never a mixture.
TEST(PresetLoad, IsTakenWholeByTheAudioThread)
{
    RecordingHost host;
    Plugin plugin(host);
    plugin.Activate();
    const int a = PresetNamed("Loud Modern Master"), b = PresetNamed("Solo Highs");
    std::vector<double> quantised[2];
    int differing = 0;
    for (int i = 0; i < kParameterTableSize; ++i) {
        quantised[0].push_back(plugin.Quantize(i, kFactoryPresets[a].values[i]));
        quantised[1].push_back(plugin.Quantize(i, kFactoryPresets[b].values[i]));
        differing += quantised[0].back() != quantised[1].back() ? 1 : 0;
    }
    ASSERT_GE(differing, 12);

    std::vector<float> left(64, 0.01f), right(64, 0.01f);
    float* io[2] = {left.data(), right.data()};
    ASSERT_TRUE(plugin.LoadPreset(TableValues(a), kFactoryPresets[a].name, Plugin::PresetEdits::kHostKnows));
    plugin.Process(io, io, 64);

    std::atomic<bool> stop{false};
    std::thread loader([&] {
        for (long n = 0; !stop.load(std::memory_order_relaxed); ++n) {
            const int p = n % 2 ? b : a;
            plugin.LoadPreset(TableValues(p), kFactoryPresets[p].name, Plugin::PresetEdits::kHostKnows);
        }
    });
    int mixtures = 0, seen[2] = {0, 0};
    for (int block = 0; block < 20000; ++block) {
        plugin.Process(io, io, 64);
        int matches[2] = {0, 0};
        for (int i = 0; i < kParameterTableSize; ++i) {
            const double taken = plugin.Runtime().appliedValues[kParameterTable[i].slider];
            for (int p = 0; p < 2; ++p)
                matches[p] += taken == quantised[p][static_cast<size_t>(i)] ? 1 : 0;
        }
        if (matches[0] == kParameterTableSize)
            ++seen[0];
        else if (matches[1] == kParameterTableSize)
            ++seen[1];
        else
            ++mixtures;
    }
    stop = true;
    loader.join();
    EXPECT_EQ(mixtures, 0);
    EXPECT_GT(seen[1], 0) << "the second preset was heard too";
}

// ---- The user's folder

fs::path Scratch()
{
    char pattern[] = "/tmp/tolvanger-presets-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_TRUE(made);
    return made ? fs::path(made) : fs::path("/tmp/tolvanger-presets-none");
}

void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(UserPresets, LiveInTheConfigurationFolderEveryFormatShares)
{
    ConfigFolder config;
    EXPECT_EQ(presets::UserFolder(), config.Path() + "/tolvanger/presets");
    // A relative XDG_CONFIG_HOME is no base directory: HOME's .config is used instead.
    setenv("XDG_CONFIG_HOME", "relative/place", 1);
    const char* home = std::getenv("HOME");
    ASSERT_TRUE(home);
    EXPECT_EQ(presets::UserFolder(), std::string(home) + "/.config/tolvanger/presets");
}

TEST(UserPresets, KeepAnyTypedNameAndReadBackTheValues)
{
    ConfigFolder config;
    const presets::Values values = TableValues(PresetNamed("Wider M-S"));
    // Characters Linux or Windows refuse, '%', a leading dot, a name Windows reserves, and
    // letters beyond ASCII.
    const std::vector<std::string> names = {"Mix: A/B?", "50% \"Loud\" <x>|*\\", ".hidden", "CON", "Stürmisch"};
    for (const std::string& name : names) {
        const presets::SaveResult saved = presets::SaveUserPreset("  " + name + " ", values, false);
        EXPECT_EQ(saved.status, presets::SaveStatus::kSaved) << name << ": " << saved.message;
        const std::string file = fs::path(saved.file).filename().string();
        EXPECT_EQ(file.find_first_of("/\\:*?\"<>|"), std::string::npos) << file;
        EXPECT_NE(file[0], '.') << file;
        EXPECT_EQ(presets::NameFromFile(file), name);
    }
    EXPECT_EQ(fs::path(presets::SaveUserPreset("CON", values, true).file).filename(), "%43ON.fxp");

    const std::vector<presets::UserPreset> listed = presets::ListUserPresets();
    ASSERT_EQ(listed.size(), names.size());
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const std::string& x, const std::string& y) {
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                            [](char p, char q) { return std::tolower(p) < std::tolower(q); });
    });
    for (size_t i = 0; i < listed.size(); ++i) {
        SCOPED_TRACE(sorted[i]);
        EXPECT_EQ(listed[i].name, sorted[i]);
        ASSERT_TRUE(listed[i].readable) << listed[i].problem;
        EXPECT_TRUE(SameAsFloats(listed[i].values, values));
    }
}

TEST(UserPresets, ANameThatExistsIsReportedAndReplacedOnlyWhenAsked)
{
    ConfigFolder config;
    const presets::Values first = TableValues(PresetNamed("Gentle Glue"));
    const presets::Values second = TableValues(PresetNamed("More Air"));
    ASSERT_EQ(presets::SaveUserPreset("Album Master", first, false).status, presets::SaveStatus::kSaved);

    // In any case: a case-blind file system would take it for the same file.
    for (const char* again : {"Album Master", "album MASTER"}) {
        const presets::SaveResult result = presets::SaveUserPreset(again, second, false);
        EXPECT_EQ(result.status, presets::SaveStatus::kExists) << again;
        EXPECT_EQ(fs::path(result.file).filename(), "Album Master.fxp");
    }
    std::vector<presets::UserPreset> listed = presets::ListUserPresets();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(SameAsFloats(listed[0].values, first)) << "nothing was written";

    ASSERT_EQ(presets::SaveUserPreset("album MASTER", second, true).status, presets::SaveStatus::kSaved);
    listed = presets::ListUserPresets();
    ASSERT_EQ(listed.size(), 1u) << "one name, one file";
    EXPECT_EQ(listed[0].name, "album MASTER");
    EXPECT_TRUE(SameAsFloats(listed[0].values, second));

    for (const std::string& bad :
         std::vector<std::string>{"", "   ", std::string(presets::kLongestUserName + 1, 'x')}) {
        const presets::SaveResult result = presets::SaveUserPreset(bad, first, true);
        EXPECT_EQ(result.status, presets::SaveStatus::kBadName);
        EXPECT_FALSE(result.message.empty());
    }
    EXPECT_EQ(presets::ListUserPresets().size(), 1u);
}

TEST(UserPresets, DamagedEmptyAndForeignFilesAreListedAsUnreadable)
{
    ConfigFolder config;
    const presets::Values values = TableValues(PresetNamed("Tight Low End"));
    ASSERT_EQ(presets::SaveUserPreset("Good", values, false).status, presets::SaveStatus::kSaved);
    const fs::path folder = presets::UserFolder();
    std::vector<unsigned char> good;
    {
        std::ifstream in(folder / "Good.fxp", std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_EQ(good.size(), 60u + 260u);
    std::vector<unsigned char> foreign = good;
    foreign[16] = 'N';
    std::vector<unsigned char> cut(good.begin(), good.begin() + 100);
    std::vector<unsigned char> poisoned = good;
    poisoned[60 + 4 * 11 + 3] = 0x7F; // slider 11 (LO Gain) becomes a NaN
    poisoned[60 + 4 * 11 + 2] = 0xC0;
    std::vector<unsigned char> wrongMarker = good;
    wrongMarker[60] ^= 0x01;
    WriteBytes(folder / "Another Plugin.fxp", foreign);
    WriteBytes(folder / "Cut.fxp", cut);
    WriteBytes(folder / "Empty.fxp", {});
    WriteBytes(folder / "Noise.fxp", {'h', 'e', 'l', 'l', 'o'});
    WriteBytes(folder / "Poisoned.fxp", poisoned);
    WriteBytes(folder / "Marker.fxp", wrongMarker);
    WriteBytes(folder / "notes.txt", {'h', 'i'});
    WriteBytes(folder / ".hidden.fxp", good);
    fs::create_directory(folder / "Sub.fxp");

    struct Expected {
        const char* name;
        bool readable;
        const char* problem;
    };
    const Expected expected[] = {
        {"Another Plugin", false, "another plug-in"},
        {"Cut", false, "damaged"},
        {"Empty", false, "empty"},
        {"Good", true, ""},
        {"Marker", false, "does not know"},
        {"Noise", false, "not a VST preset file"},
        {"notes.txt", false, "not a .fxp"},
        {"Poisoned", false, "no number"},
    };
    const std::vector<presets::UserPreset> listed = presets::ListUserPresets();
    ASSERT_EQ(listed.size(), std::size(expected));
    for (size_t i = 0; i < listed.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(listed[i].name, expected[i].name);
        EXPECT_EQ(listed[i].readable, expected[i].readable);
        EXPECT_NE(listed[i].problem.find(expected[i].problem), std::string::npos) << listed[i].problem;
    }
    EXPECT_TRUE(SameAsFloats(listed[3].values, values));
}

// Saving where nothing may be written is an error the editor can show, not a crash, and
// leaves the folder as it was.
TEST(UserPresets, AReadOnlyFolderGivesAnError)
{
    const fs::path scratch = Scratch();
    const fs::path folder = scratch / "presets";
    fs::create_directories(folder);
    const presets::Values values = TableValues(0);
    fs::permissions(scratch, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);

    // Root writes anywhere: the saving is then tried by a child process as "nobody".
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        const presets::SaveResult result = presets::SaveUserPreset(folder.string(), "Mine", values, false);
        const bool said = result.message.find("cannot write") != std::string::npos;
        _exit(result.status == presets::SaveStatus::kFailed && said ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: could not become nobody; 1: no error reported";
    EXPECT_TRUE(fs::is_empty(folder));

    // A folder that cannot be made at all: its parent is a file.
    WriteBytes(scratch / "file", {'x'});
    const presets::SaveResult result =
        presets::SaveUserPreset((scratch / "file" / "presets").string(), "Mine", values, false);
    EXPECT_EQ(result.status, presets::SaveStatus::kFailed);
    EXPECT_NE(result.message.find("cannot make the folder"), std::string::npos) << result.message;
    EXPECT_TRUE(presets::ListUserPresets((scratch / "file" / "presets").string()).empty());

    fs::permissions(folder, fs::perms::owner_all);
    fs::remove_all(scratch);
}

} // namespace
