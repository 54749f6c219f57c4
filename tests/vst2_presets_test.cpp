// The factory bank for VST 2.4 hosts: .fxp files installed beside the plug-in, which a host
// loads by handing the plug-in the chunk inside. Each file, given through the real AEffect
// interface, sets the table's values; the plug-in keeps its one program, so no program
// change ever replaces a project's settings.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/factory_presets.h"
#include "effect/parameter_table.h"
#include "tests/plugin_fixture.h"

namespace {

namespace fs = std::filesystem;

// The folder under test: the build's, or the one $TOLVANGER_TEST_PRESETS names (the package
// test points it at the folder beside the packaged plug-in).
fs::path PresetFolder()
{
    const char* chosen = std::getenv("TOLVANGER_TEST_PRESETS");
    return chosen && *chosen ? fs::path(chosen) : fs::path(TOLVANGER_BINARY_DIR) / "presets";
}

int32_t BigEndian(const std::vector<unsigned char>& bytes, size_t at)
{
    return static_cast<int32_t>((static_cast<uint32_t>(bytes[at]) << 24) | (static_cast<uint32_t>(bytes[at + 1]) << 16) |
                                (static_cast<uint32_t>(bytes[at + 2]) << 8) | static_cast<uint32_t>(bytes[at + 3]));
}

TEST(Vst2Presets, EachFxpFileLoadsThroughTheChunkToTheTablesValues)
{
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(PresetFolder())) {
        if (entry.path().extension() != ".fxp") continue;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // 'CcnK', the length, 'FPCh', the format version, the plug-in's ID, its version, the
        // parameter count, the name (28 bytes), the chunk's length and the chunk.
        ASSERT_GE(file.size(), 60u);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "CcnK");
        EXPECT_EQ(BigEndian(file, 4), static_cast<int32_t>(file.size() - 8));
        EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 12), "FPCh");
        EXPECT_EQ(std::string(file.begin() + 16, file.begin() + 20), "TLVG");
        EXPECT_EQ(BigEndian(file, 24), kParameterTableSize);
        const std::string name(reinterpret_cast<const char*>(file.data() + 28));
        const FactoryPreset* preset = nullptr;
        for (const FactoryPreset& p : kFactoryPresets)
            if (name == p.name) preset = &p;
        ASSERT_TRUE(preset) << "no factory preset is named " << name;
        EXPECT_TRUE(found.insert(name).second) << "two files of " << name;
        const int32_t size = BigEndian(file, 56);
        ASSERT_EQ(static_cast<size_t>(size) + 60, file.size());

        auto plugin = testing_support::StartedInstance();
        ASSERT_TRUE(plugin);
        plugin->SetChunk(file.data() + 60, size, true);
        for (int i = 0; i < kParameterTableSize; ++i) {
            const ParameterRow& row = kParameterTable[i];
            EXPECT_NEAR(plugin->GetParameter(i), (preset->values[i] - row.minimum) / (row.maximum - row.minimum), 1e-6)
                << row.name;
        }
        EXPECT_EQ(plugin->effect()->numPrograms, 1);
        EXPECT_EQ(plugin->Dispatch(effGetProgram), 0);
    }
    EXPECT_EQ(found.size(), static_cast<size_t>(kFactoryPresetCount)) << "a file for every preset";
}

} // namespace
