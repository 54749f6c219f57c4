// tolvanger-factory-presets: writes the factory bank (core/factory_presets.h) as .fxp files,
// one per preset and named by its key, into a folder, after taking away the .fxp files an
// earlier bank left there. They are what a VST 2.4 host loads, installed beside the plug-in.
//
//   tolvanger-factory-presets OUTPUT_FOLDER

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/presets.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path folder = argv[1];
    std::error_code error;
    fs::create_directories(folder, error);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".fxp") fs::remove(entry.path(), error);
    for (int i = 0; i < presets::FactoryCount(); ++i) {
        const fs::path path = folder / (presets::FactoryKey(i) + ".fxp");
        const std::vector<unsigned char> bytes = presets::FactoryFile(i);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out || bytes.empty()) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.string().c_str());
            return 1;
        }
    }
    return 0;
}
