// The Windows VST 3 bundle's library through the VST 3 test host: its exports and class, the
// Linux VST library's display texts and state chunk, the editor in a window of ours on the
// host's message loop, and its audio at three block sizes in 32-bit and 64-bit against the
// Linux VST library's on the same material (make windows-test writes those first), the
// settings arriving through the parameter queues.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "tests/vst3_host.h"
#include "tests/windows/cross_build.h"
#include "tests/windows/windows_host.h"

namespace {

using namespace vst3_host;

// Where make windows lays out the bundle, beside the test program.
constexpr const char* kBundleLibrary = "Tolvanger.vst3\\Contents\\x86_64-win\\Tolvanger.vst3";

std::string LibraryPath() { return windows_host::ProgramFolder() + kBundleLibrary; }

std::string Reference(const std::string& file)
{
    return windows_host::ProgramFolder() + cross_build::kFolder + "\\" + file;
}

Module& WindowsVst3()
{
    static std::unique_ptr<Module> module = [] {
        std::string why;
        auto loaded = Module::Load(LibraryPath(), &why);
        if (!loaded) ADD_FAILURE() << why;
        return loaded;
    }();
    return *module;
}

TEST(WindowsVst3, ExportsTheFactoryAndTheDllEntriesOnly)
{
    ASSERT_TRUE(WindowsVst3().Factory());
    HMODULE library = GetModuleHandleA(LibraryPath().c_str());
    ASSERT_TRUE(library);
    std::vector<std::string> names = windows_host::ExportNames(library);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ExitDll", "GetPluginFactory", "InitDll"}));
    PClassInfo info{};
    ASSERT_EQ(WindowsVst3().Factory()->getClassInfo(0, &info), kResultOk);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "Tolvanger");
}

// Each parameter at 0, 1/40, ..., 1 as the Linux VST library showed it (the texts hold numbers
// formatted by the other C runtime).
TEST(WindowsVst3, ParameterTextsAreTheLinuxOnes)
{
    std::istringstream fromLinux(cross_build::ReadText(Reference(cross_build::kDisplaysFile)));
    auto effect = Effect::Create(WindowsVst3());
    ASSERT_TRUE(effect);
    int lines = 0, differing = 0;
    for (std::string line; std::getline(fromLinux, line); ++lines) {
        std::istringstream fields(line);
        int index = 0, k = 0;
        fields >> index >> k;
        std::string text;
        std::getline(fields >> std::ws, text);
        const double normalized = static_cast<float>(k) / 40.0f;
        const std::string shown = effect->Display(static_cast<ParamID>(index), normalized);
        if (shown != text && ++differing <= 5)
            ADD_FAILURE() << "parameter " << index << " at " << k << "/40: Linux \"" << text << "\", VST 3 \""
                          << shown << "\"";
    }
    // Every parameter but the bypass and the program change, which the VST 2.4 build has not.
    int32_t settings = 0;
    for (int32_t i = 0; i < effect->controller->getParameterCount(); ++i) {
        ParameterInfo info{};
        if (effect->controller->getParameterInfo(i, info) == kResultOk &&
            !(info.flags & (ParameterInfo::kIsProgramChange | ParameterInfo::kIsBypass)))
            ++settings;
    }
    EXPECT_EQ(lines, settings * 41);
    EXPECT_EQ(differing, 0);
}

TEST(WindowsVst3, TakesTheLinuxChunkAndGivesItBack)
{
    const std::string chunk = cross_build::ReadText(Reference(cross_build::kChunkFile));
    ASSERT_FALSE(chunk.empty()) << "no Linux chunk in " << Reference("");
    auto effect = Effect::Create(WindowsVst3());
    ASSERT_TRUE(effect && effect->Start(cross_build::kSampleRate, 512));
    ASSERT_EQ(effect->SetState(std::vector<unsigned char>(chunk.begin(), chunk.end())), kResultOk);
    for (const cross_build::Setting& s : cross_build::kSettings)
        EXPECT_FLOAT_EQ(static_cast<float>(effect->controller->getParamNormalized(static_cast<ParamID>(s.index))),
                        s.value)
            << s.index;
    // The chunk, then the bypass, off.
    const std::vector<unsigned char> back = effect->State();
    ASSERT_EQ(back.size(), chunk.size() + 4);
    EXPECT_EQ(std::string(back.begin(), back.end() - 4), chunk);
    EXPECT_EQ(std::vector<unsigned char>(back.end() - 4, back.end()), std::vector<unsigned char>(4, 0));
}

TEST(WindowsVst3, EditorOpensInTheHostsWindowAndRunsOnItsMessageLoop)
{
    auto effect = Effect::Create(WindowsVst3());
    ASSERT_TRUE(effect && effect->Start(cross_build::kSampleRate, 512));
    IPlugView* view = effect->controller->createView(kEditorViewType);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    {
        windows_host::HostWindow host(890, 550);
        ASSERT_EQ(view->attached(host.Parent(), kPlatformTypeHWND), kResultOk);
        for (int i = 0; i < 20; ++i) {
            windows_host::PumpMessages();
            Sleep(10);
        }
        HWND child = host.Child();
        ASSERT_TRUE(child);
        RECT area{};
        GetClientRect(child, &area);
        EXPECT_EQ(area.right - area.left, 890);
        EXPECT_EQ(area.bottom - area.top, 550);
        EXPECT_EQ(view->removed(), kResultOk);
        EXPECT_FALSE(host.Child());
    }
    view->release();
}

template <typename Sample>
cross_build::Stereo RenderVst3(Effect& effect, const cross_build::Stereo& input, int block)
{
    const int frames = static_cast<int>(input.left.size());
    std::vector<Sample> l(input.left.begin(), input.left.end()), r(input.right.begin(), input.right.end());
    std::vector<Sample> ol(frames), orr(frames);
    ParameterChanges settings;
    for (const cross_build::Setting& s : cross_build::kSettings)
        settings.Add(static_cast<ParamID>(s.index), 0, s.value);
    for (int start = 0; start < frames; start += block) {
        Sample* in[2] = {l.data() + start, r.data() + start};
        Sample* out[2] = {ol.data() + start, orr.data() + start};
        EXPECT_EQ(effect.Process<Sample>(in, out, std::min(block, frames - start), start == 0 ? &settings : nullptr),
                  kResultOk);
    }
    return {{ol.begin(), ol.end()}, {orr.begin(), orr.end()}};
}

TEST(WindowsVst3, AudioEqualsTheLinuxLibrary)
{
    const cross_build::Stereo input = cross_build::ReadStereo(Reference(cross_build::kInputFile));
    ASSERT_EQ(input.left.size(), static_cast<std::size_t>(cross_build::kFrames)) << "no Linux results";
    for (const bool doublePrecision : {false, true}) {
        for (const int block : cross_build::kBlockSizes) {
            SCOPED_TRACE(cross_build::OutputFile(doublePrecision, block));
            auto effect = Effect::Create(WindowsVst3());
            ASSERT_TRUE(effect &&
                        effect->Start(cross_build::kSampleRate, block, doublePrecision ? kSample64 : kSample32));
            const cross_build::Stereo fromLinux = cross_build::ReadStereo(Reference(cross_build::OutputFile(doublePrecision, block)));
            const cross_build::Stereo fromWindows = doublePrecision ? RenderVst3<double>(*effect, input, block)
                                                                    : RenderVst3<float>(*effect, input, block);
            ASSERT_EQ(fromLinux.left.size(), fromWindows.left.size());
            const double largest = cross_build::LargestDifference(fromWindows, fromLinux);
            // The two C runtimes' exp and log10 may differ in the last bit.
            EXPECT_LE(largest, 1e-9);
            std::printf("    VST 3 %s: largest difference %.3g\n",
                        cross_build::OutputFile(doublePrecision, block).c_str(), largest);
        }
    }
}

} // namespace
