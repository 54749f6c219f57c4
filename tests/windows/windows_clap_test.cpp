// The Windows Tolvanger.clap through the CLAP test host: its one export, and its audio at
// three block sizes in 32-bit and 64-bit against the Linux VST library's on the same
// material (make windows-test writes those first), the settings given as CLAP values.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tests/clap_host.h"
#include "tests/windows/cross_build.h"
#include "tests/windows/windows_host.h"

namespace {

using testing_support::ClapInstance;
using testing_support::ClapLibrary;

ClapLibrary& WindowsClap()
{
    static std::unique_ptr<ClapLibrary> library = [] {
        std::string why;
        auto lib = ClapLibrary::Load("Tolvanger.clap", &why);
        if (!lib) ADD_FAILURE() << "cannot load Tolvanger.clap: " << why;
        return lib;
    }();
    return *library;
}

template <typename Sample>
cross_build::Stereo RenderClap(ClapInstance& clap, const cross_build::Stereo& input, int block)
{
    const int frames = static_cast<int>(input.left.size());
    std::vector<Sample> l(input.left.begin(), input.left.end()), r(input.right.begin(), input.right.end());
    std::vector<Sample> ol(frames), orr(frames);
    for (int start = 0; start < frames; start += block) {
        Sample* in[2] = {l.data() + start, r.data() + start};
        Sample* out[2] = {ol.data() + start, orr.data() + start};
        EXPECT_EQ(clap.Process(in, out, static_cast<uint32_t>(std::min(block, frames - start))), CLAP_PROCESS_CONTINUE);
    }
    return {{ol.begin(), ol.end()}, {orr.begin(), orr.end()}};
}

TEST(WindowsClap, AudioEqualsTheLinuxLibrary)
{
    const std::string folder = windows_host::ProgramFolder() + cross_build::kFolder + "\\";
    const cross_build::Stereo input = cross_build::ReadStereo(folder + cross_build::kInputFile);
    ASSERT_EQ(input.left.size(), static_cast<std::size_t>(cross_build::kFrames)) << "no Linux results in " << folder;
    for (const bool doublePrecision : {false, true}) {
        for (const int block : cross_build::kBlockSizes) {
            SCOPED_TRACE(cross_build::OutputFile(doublePrecision, block));
            auto clap = ClapInstance::Create(WindowsClap());
            ASSERT_TRUE(clap && clap->Start(cross_build::kSampleRate, static_cast<uint32_t>(block)));
            testing_support::EventList settings;
            for (const cross_build::Setting& s : cross_build::kSettings) {
                clap_param_info_t info{};
                ASSERT_TRUE(clap->params->get_info(clap->plugin, static_cast<uint32_t>(s.index), &info));
                settings.AddValue(info.id, info.min_value + s.value * (info.max_value - info.min_value));
            }
            clap->Flush(&settings);
            const cross_build::Stereo fromLinux =
                cross_build::ReadStereo(folder + cross_build::OutputFile(doublePrecision, block));
            const cross_build::Stereo fromWindows =
                doublePrecision ? RenderClap<double>(*clap, input, block) : RenderClap<float>(*clap, input, block);
            ASSERT_EQ(fromLinux.left.size(), fromWindows.left.size());
            const double largest = cross_build::LargestDifference(fromWindows, fromLinux);
            // The two C runtimes' exp and log10 may differ in the last bit.
            EXPECT_LE(largest, 1e-9);
            std::printf("    CLAP %s: largest difference %.3g\n",
                        cross_build::OutputFile(doublePrecision, block).c_str(), largest);
        }
    }
}

} // namespace
