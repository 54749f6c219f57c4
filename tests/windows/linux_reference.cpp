// The Linux side of the comparison with the Windows library: runs the Linux library on the
// programme material and writes the input, the outputs of both entries at each block size,
// the state chunk and the parameter display texts into the given folder.
//   tolvanger_cross_reference <folder>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/programme_material.h"
#include "tests/windows/cross_build.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvanger_cross_reference <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string why;
    auto library = hostkit::PluginLibrary::Load(TOLVANGER_PLUGIN_PATH, &why);
    if (!library) {
        std::fprintf(stderr, "tolvanger_cross_reference: cannot load %s: %s\n", TOLVANGER_PLUGIN_PATH, why.c_str());
        return 1;
    }
    const hostkit::EntryProc entry = library->Entry();

    const material::Stereo programme = material::Programme(cross_build::kSampleRate, cross_build::kFrames);
    const cross_build::Stereo input{programme.left, programme.right};
    bool ok = cross_build::WriteStereo((folder / cross_build::kInputFile).string(), input);
    for (const bool doublePrecision : {false, true}) {
        for (const int block : cross_build::kBlockSizes) {
            const cross_build::Stereo output = cross_build::Render(entry, input, doublePrecision, block);
            ok = ok && output.left.size() == input.left.size() &&
                 cross_build::WriteStereo((folder / cross_build::OutputFile(doublePrecision, block)).string(), output);
        }
    }
    auto instance = cross_build::SetUpInstance(entry, 512);
    const std::vector<unsigned char> chunk = instance ? instance->GetChunk() : std::vector<unsigned char>();
    ok = ok && !chunk.empty() &&
         cross_build::WriteText((folder / cross_build::kChunkFile).string(), std::string(chunk.begin(), chunk.end()));
    ok = ok && cross_build::WriteText((folder / cross_build::kDisplaysFile).string(), cross_build::DisplayTexts(entry));
    if (!ok) {
        std::fprintf(stderr, "tolvanger_cross_reference: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
