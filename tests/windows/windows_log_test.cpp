// The skin pictures' fall-backs on Windows, through a build of the DLL without its resources:
// the files beside the library, and else one log line and a beep per picture. The beep is
// recorded by pointing the library's import of kernel32's Beep at a function of the test.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/windows/windows_host.h"
#include "tools/hostkit/plugin_host.h"

namespace {

std::vector<std::pair<DWORD, DWORD>> g_beeps;

BOOL WINAPI RecordBeep(DWORD frequency, DWORD duration)
{
    g_beeps.emplace_back(frequency, duration);
    return TRUE;
}

std::string LogText()
{
    const std::vector<unsigned char> bytes = windows_host::FileBytes(windows_host::TestLogFile());
    return std::string(bytes.begin(), bytes.end());
}

// The library without resources, copied into its own folder and loaded from there, its editor
// opened in a window of the test host and idled for a while.
class LibraryWithoutSkin {
public:
    explicit LibraryWithoutSkin(const std::string& folderName)
        : folder_(windows_host::ProgramFolder() + folderName + "\\")
    {
        EXPECT_TRUE(windows_host::CopyInto(windows_host::ProgramFolder() + "tolvanger_noskin.dll", folder_,
                                           "tolvanger_noskin.dll"));
    }
    const std::string& Folder() const { return folder_; }

    // Loads the library, records its beeps and opens, idles and closes its editor.
    void RunEditor()
    {
        std::string error;
        library_ = hostkit::PluginLibrary::Load(folder_ + "tolvanger_noskin.dll", &error);
        ASSERT_TRUE(library_) << error;
        const auto module = static_cast<HMODULE>(library_->Handle());
        ASSERT_NE(windows_host::ReplaceImport(module, "KERNEL32.dll", "Beep", reinterpret_cast<void*>(&RecordBeep)),
                  nullptr);
        auto instance = hostkit::PluginInstance::Create(library_->Entry());
        ASSERT_TRUE(instance);
        instance->Start();
        windows_host::HostWindow host(890, 550);
        ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, host.Parent()), 1);
        for (int i = 0; i < 30; ++i) {
            windows_host::PumpMessages();
            instance->Dispatch(effEditIdle);
            Sleep(10);
        }
        picture_ = windows_host::Picture::OfWindow(host.Child());
        instance->Dispatch(effEditClose);
    }
    const windows_host::Picture& Picture() const { return picture_; }

private:
    std::string folder_;
    std::unique_ptr<hostkit::PluginLibrary> library_;
    windows_host::Picture picture_;
};

TEST(WindowsLog, APictureFoundNowhereIsLoggedOnceWithABeep)
{
    g_beeps.clear();
    const std::string before = LogText();
    LibraryWithoutSkin library("without_skin");
    library.RunEditor();
    // Paths resolve beside the library; the log file is in text mode.
    const std::string gfx = library.Folder() + "tolvanger_gfx\\";
    EXPECT_EQ(LogText(), before + "Unable to load: " + gfx + "bg.png\r\nUnable to load: " + gfx + "sliderknob.png\r\n");
    const std::vector<std::pair<DWORD, DWORD>> twoBeeps = {{2000, 200}, {2000, 200}};
    EXPECT_EQ(g_beeps, twoBeeps);
}

TEST(WindowsLog, TheSkinFilesBesideTheLibraryStandInForTheResources)
{
    g_beeps.clear();
    const std::string before = LogText();
    LibraryWithoutSkin library("with_skin_files");
    const std::string skin = windows_host::ProgramFolder() + "tolvanger_gfx\\";
    ASSERT_TRUE(windows_host::CopyInto(skin + "bg.png", library.Folder() + "tolvanger_gfx\\", "bg.png"));
    ASSERT_TRUE(
        windows_host::CopyInto(skin + "sliderknob.png", library.Folder() + "tolvanger_gfx\\", "sliderknob.png"));
    library.RunEditor();
    EXPECT_EQ(LogText(), before);
    EXPECT_TRUE(g_beeps.empty());
    const windows_host::Picture background = windows_host::Picture::FromFile(skin + "bg.png");
    EXPECT_EQ(windows_host::TitleBandDifference(library.Picture(), background), 0);
}

} // namespace
