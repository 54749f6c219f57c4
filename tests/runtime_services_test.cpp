// Strings, files, paths, the log, the clocks and the host services with no host.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "runtime/host_services.h"
#include "runtime/paths.h"
#include "runtime/platform.h"
#include "runtime/vexl.h"
#include "tests/test_paths.h"

using testing_support::ModuleFolder;
using testing_support::ScratchFolder;

namespace {

const std::string& kLogFile = testing_support::kTestLogFile;

class BareRuntime : public TVexl {
public:
    int redraws = 0;
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Strings, FindOrInsertAndSetString)
{
    BareRuntime r;
    r.SetString(10000, "Build 170206");
    r.SetString(10000, "Build 170206");
    EXPECT_EQ(r.stringTable.size(), 1u);
    EXPECT_EQ(r.String(10000), "Build 170206");
    EXPECT_EQ(r.String(5), "");
    EXPECT_EQ(r.stringTable.count(5), 1u);
    EXPECT_EQ(r.String(10000.99995), ""); // 10001 after ToIndex
    r.DoReset();
    EXPECT_TRUE(r.stringTable.empty());
}

TEST(Paths, NamesResolveBesideTheLibrary)
{
    const std::string folder = ModuleFolder().string() + "/";
    EXPECT_EQ(ResolvePath("/data/a.txt"), folder + "data/a.txt");
    EXPECT_EQ(ResolvePath("data/a.txt"), folder + "data/a.txt");
    EXPECT_EQ(ResolvePath("\\tolvanger_gfx\\bg.png"), folder + "tolvanger_gfx\\bg.png");
    EXPECT_EQ(NativePath(ResolvePath("tolvanger_gfx\\bg.png")), folder + "tolvanger_gfx/bg.png");
}

TEST(Files, NamedWritingHandleIsWrittenOutOneBytePerValue)
{
    ScratchFolder scratch("files");
    {
        BareRuntime r;
        FileHandle& h = r.fileHandles[0];
        r.ResetHandle(h, FileHandle::kWriting);
        h.name = scratch.name() + "\\out.bin";
        for (double v : {65.0, 66.6, -1.0, 300.0})
            r.TransferValue(h, v);
        r.ResetHandle(h, FileHandle::kIdle);
        EXPECT_EQ(ReadFile(scratch.path() / "out.bin"), std::string("\x41\x42\xFF\x2C", 4));
        EXPECT_TRUE(h.name.empty());
        EXPECT_TRUE(h.values.empty());
        EXPECT_EQ(h.position, 0);

        // still writing when the runtime object goes: written out then
        r.ResetHandle(h, FileHandle::kWriting);
        h.name = scratch.name() + "/last.bin";
        double v = 7.0;
        r.TransferValue(h, v);
    }
    EXPECT_EQ(ReadFile(scratch.path() / "last.bin"), std::string("\x07", 1));
}

TEST(Files, TransferValueInEachMode)
{
    BareRuntime r;
    FileHandle& h = r.fileHandles[0];
    double v = 1.25;
    r.TransferValue(h, v); // idle: nothing
    EXPECT_TRUE(h.values.empty());
    r.ResetHandle(h, FileHandle::kWriting);
    h.position = 3;
    r.TransferValue(h, v);
    ASSERT_EQ(h.values.size(), 4u);
    EXPECT_EQ(h.values[0], 0.0f);
    EXPECT_EQ(h.values[3], 1.25f);
    EXPECT_EQ(h.position, 4);
    r.ResetHandle(h, FileHandle::kReading);
    h.values = {2.5f};
    double read = 0.0;
    r.TransferValue(h, read);
    EXPECT_EQ(read, 2.5);
    read = 9.0;
    r.TransferValue(h, read); // nothing left: untouched
    EXPECT_EQ(read, 9.0);
    EXPECT_EQ(h.position, 1);
}

TEST(Log, AppendsOneLinePerCallToTheOverriddenPath)
{
    EXPECT_EQ(LogPath(), kLogFile);
    std::filesystem::remove(kLogFile);
    WriteLog("Unable to load: x.png");
    WriteLog("second");
    EXPECT_EQ(ReadFile(kLogFile), "Unable to load: x.png\nsecond\n");
    std::filesystem::remove(kLogFile);
}

TEST(DataFiles, FolderListingFillsTheOptions)
{
    ScratchFolder scratch("listing");
    std::ofstream(scratch.path() / "a.wav") << "x";
    std::ofstream(scratch.path() / ".hidden") << "x";
    std::filesystem::create_directory(scratch.path() / "sub");
    SliderDef def;
    def.folder = scratch.name() + "/";
    def.step = 1;
    ListDataFiles(def);
    ASSERT_EQ(def.options.size(), 1u);
    EXPECT_EQ(def.options[0], "a.wav");
    EXPECT_EQ(def.minimum, 0.0);
    EXPECT_EQ(def.maximum, 0.0);
    EXPECT_EQ(def.defaultValue, 0.0);
    EXPECT_EQ(def.step, 0.5);

    SliderDef empty;
    empty.folder = scratch.name() + "/sub/";
    ListDataFiles(empty);
    ASSERT_EQ(empty.options.size(), 1u);
    EXPECT_EQ(empty.options[0], "(No Data Files)");

    SliderDef missing;
    missing.folder = "no_such_folder_anywhere/";
    ListDataFiles(missing);
    EXPECT_EQ(missing.options, std::vector<std::string>{"(No Data Files)"});
}

class ListingRuntime : public TVexl {
public:
    explicit ListingRuntime(const std::string& folder)
    {
        sliderValues[5] = 0.0;
        AddSlider(5, nullptr, 3.0, 1, 9, 1, folder, "", "", "Sample");
    }
};

TEST(DataFiles, FileListSliderShowsItsFileNames)
{
    ScratchFolder scratch("slider");
    std::ofstream(scratch.path() / "kick.wav") << "x";
    ListingRuntime r(scratch.name() + "/");
    ASSERT_EQ(r.sliderDefs.size(), 1u);
    EXPECT_TRUE(r.sliderDefs[0].scanned);
    EXPECT_EQ(r.sliderDefs[0].maximum, 0.0);
    EXPECT_EQ(r.sliderValues[5], 3.0); // the value keeps its default
    EXPECT_EQ(r.ParameterDisplay(0), "kick.wav");
}

TEST(HostServices, AnswerZeroWithoutAHost)
{
    EXPECT_EQ(HostNumInputs(nullptr), 0);
    EXPECT_EQ(HostNumOutputs(nullptr), 0);
    EXPECT_EQ(HostSampleRate(nullptr), 0.0);
    EXPECT_EQ(HostBlockSize(nullptr), 0.0);
    EXPECT_EQ(HostTempo(nullptr), 0.0);
    EXPECT_EQ(HostPlaying(nullptr), 0.0);
    EXPECT_EQ(HostRecording(nullptr), 0.0);
    EXPECT_EQ(HostMusicalPosition(nullptr), 0.0);
    EXPECT_EQ(HostBarStart(nullptr), 0.0);
    double t = 5, n = 5, d = 5;
    EXPECT_EQ(HostTempoAndSignature(nullptr, &t, &n, &d), 0);
    EXPECT_EQ(t, 5.0);
    EXPECT_EQ(HostRedraw(nullptr), 0);
    int32_t offset = 1, s = 1, a = 1, b = 1;
    EXPECT_EQ(HostReadMidiEvent(nullptr, &offset, &s, &a, &b), 0);
    EXPECT_EQ(offset, 0);
    HostSetLatency(nullptr, 5);
    HostUpdateDisplay(nullptr);
}

TEST(Runtime, FreshObjectHoldsZeros)
{
    BareRuntime r;
    for (int i = 0; i < 128; ++i)
        EXPECT_EQ(r.sliderValues[i], 0.0);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(r.sampleValues[i], 0.0);
    EXPECT_EQ(r.fileHandles.size(), 1u);
    EXPECT_EQ(r.fileHandles[0].mode, FileHandle::kIdle);
    EXPECT_EQ(r.redrawRate, 0.0);
    EXPECT_EQ(r.stateLoadCounter, 0);
    r.DoResume(); // empty sections: nothing changes
    EXPECT_EQ(r.sliderValues[1], 0.0);
}

TEST(Runtime, RedrawTimerNeedsARateAndWaitsAFrame)
{
    BareRuntime r;
    r.lastRedraw = 0;
    r.DoIdle();
    EXPECT_EQ(r.lastRedraw, 0u); // rate 0 never redraws
    r.redrawRate = 30.0;
    r.lastRedraw = platform::MillisecondClock();
    const uint32_t start = r.lastRedraw;
    r.DoIdle();
    EXPECT_EQ(r.lastRedraw, start); // less than 33 ms passed
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    r.DoIdle();
    EXPECT_NE(r.lastRedraw, start);
}

TEST(Clock, WallClockAgreesWithTheSystemClock)
{
    const double before = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const double now = platform::WallClockSeconds();
    EXPECT_NEAR(now, before, 0.5);
    const double a = platform::WallClockSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // a sleep lasts at least as long as asked; a busy machine may add to it
    const double elapsed = platform::WallClockSeconds() - a;
    EXPECT_GE(elapsed, 0.099);
    EXPECT_LT(elapsed, 1.0);
}

} // namespace
