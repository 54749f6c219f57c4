// What a Windows host finds in the DLL before it calls anything: three exports, only system
// libraries to import, and the skin pictures as resources.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "tests/plugin_fixture.h"
#include "tests/windows/windows_host.h"

namespace {

HMODULE Library() { return static_cast<HMODULE>(testing_support::PluginLibrary().Handle()); }

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(WindowsLibrary, ExportsExactlyTheThreeEntryPoints)
{
    std::vector<std::string> names = windows_host::ExportNames(Library());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"MAIN", "VSTPluginMain", "main"}));
    hostkit::PluginLibrary& library = testing_support::PluginLibrary();
    ASSERT_NE(library.Entry("VSTPluginMain"), nullptr);
    EXPECT_EQ(library.Entry("main"), library.Entry("VSTPluginMain")); // one function, two names
    EXPECT_NE(library.Entry("MAIN"), nullptr);
}

TEST(WindowsLibrary, ImportsOnlyWhatEveryWindowsHas)
{
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll",   "gdiplus.dll",
                                          "ole32.dll",    "msvcrt.dll", "ucrtbase.dll"};
    const std::vector<std::string> imports = windows_host::ImportedLibraries(Library());
    EXPECT_FALSE(imports.empty());
    for (const std::string& name : imports) {
        const std::string lower = Lower(name);
        // The universal C runtime comes as api-ms-win-crt-*.dll on some toolchains.
        EXPECT_TRUE(system.count(lower) == 1 || lower.rfind("api-ms-win-crt-", 0) == 0) << name;
    }
}

TEST(WindowsLibrary, CarriesTheSkinPicturesAsDataResources)
{
    const std::string skin = windows_host::ProgramFolder() + "tolvanger_gfx\\";
    const std::vector<unsigned char> background = windows_host::ResourceBytes(Library(), "DATA", 0);
    const std::vector<unsigned char> knob = windows_host::ResourceBytes(Library(), "DATA", 1);
    ASSERT_GT(background.size(), 8u);
    EXPECT_EQ(background, windows_host::FileBytes(skin + "bg.png"));
    EXPECT_EQ(knob, windows_host::FileBytes(skin + "sliderknob.png"));
    EXPECT_TRUE(windows_host::ResourceBytes(Library(), "DATA", 2).empty());
}

} // namespace
