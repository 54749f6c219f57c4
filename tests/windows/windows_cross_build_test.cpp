// The Windows library against the Linux one on the same material: audio of both entries at
// three block sizes, the state chunk and the parameter texts. make windows-test writes the
// Linux library's results first (tests/windows/linux_reference.cpp).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "tests/plugin_fixture.h"
#include "tests/windows/cross_build.h"
#include "tests/windows/windows_host.h"

namespace {

std::string Reference(const std::string& file)
{
    return windows_host::ProgramFolder() + cross_build::kFolder + "\\" + file;
}

cross_build::Stereo ReferenceInput()
{
    cross_build::Stereo input = cross_build::ReadStereo(Reference(cross_build::kInputFile));
    EXPECT_EQ(input.left.size(), static_cast<std::size_t>(cross_build::kFrames))
        << "no Linux results in " << Reference("") << ": make windows-test writes them first";
    return input;
}

TEST(CrossBuild, AudioOfBothEntriesAtThreeBlockSizesEqualsTheLinuxLibrary)
{
    const cross_build::Stereo input = ReferenceInput();
    ASSERT_FALSE(input.left.empty());
    const hostkit::EntryProc entry = testing_support::PluginLibrary().Entry();
    for (const bool doublePrecision : {false, true}) {
        for (const int block : cross_build::kBlockSizes) {
            SCOPED_TRACE(cross_build::OutputFile(doublePrecision, block));
            const cross_build::Stereo fromLinux =
                cross_build::ReadStereo(Reference(cross_build::OutputFile(doublePrecision, block)));
            const cross_build::Stereo fromWindows = cross_build::Render(entry, input, doublePrecision, block);
            ASSERT_EQ(fromLinux.left.size(), input.left.size());
            ASSERT_EQ(fromWindows.left.size(), input.left.size());
            const double largest = cross_build::LargestDifference(fromWindows, fromLinux);
            double changed = 0.0;
            for (std::size_t i = 0; i < input.left.size(); ++i)
                changed = std::max(changed, std::fabs(fromWindows.left[i] - input.left[i]));
            // The two C runtimes' exp and log10 may differ in the last bit.
            EXPECT_LE(largest, 1e-9);
            EXPECT_GT(changed, 0.05) << "the material went through unprocessed";
            std::printf("    %s: largest difference %.3g\n", cross_build::OutputFile(doublePrecision, block).c_str(),
                        largest);
        }
    }
}

TEST(CrossBuild, StateChunkIsByteForByteTheLinuxOne)
{
    const std::string fromLinux = cross_build::ReadText(Reference(cross_build::kChunkFile));
    ASSERT_EQ(fromLinux.size(), 260u) << "no Linux chunk in " << Reference("");
    auto instance = cross_build::SetUpInstance(testing_support::PluginLibrary().Entry(), 512);
    ASSERT_TRUE(instance);
    const std::vector<unsigned char> chunk = instance->GetChunk();
    EXPECT_EQ(std::string(chunk.begin(), chunk.end()), fromLinux);

    // And a fresh instance takes the Linux chunk as its own.
    auto fresh = testing_support::StartedInstance();
    ASSERT_TRUE(fresh);
    fresh->SetChunk(fromLinux.data(), static_cast<int32_t>(fromLinux.size()));
    for (const cross_build::Setting& s : cross_build::kSettings)
        EXPECT_FLOAT_EQ(fresh->GetParameter(s.index), instance->GetParameter(s.index)) << s.index;
}

TEST(CrossBuild, ParameterTextsAreTheLinuxOnes)
{
    const std::string fromLinux = cross_build::ReadText(Reference(cross_build::kDisplaysFile));
    ASSERT_FALSE(fromLinux.empty()) << "no Linux texts in " << Reference("");
    const std::string fromWindows = cross_build::DisplayTexts(testing_support::PluginLibrary().Entry());
    std::istringstream a(fromLinux), b(fromWindows);
    std::string lineA, lineB;
    int differing = 0;
    while (std::getline(a, lineA) && std::getline(b, lineB))
        if (lineA != lineB && ++differing <= 5)
            ADD_FAILURE() << "Linux \"" << lineA << "\", Windows \"" << lineB << "\"";
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(fromWindows.size(), fromLinux.size());
}

} // namespace
