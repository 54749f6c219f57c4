// A fixed amount of audio through the built plug-in (or a peer), for a profiler: run it
// under callgrind with the collection limited to RunBlocks, and divide the instruction
// count by the frames it prints.
//
//   valgrind --tool=callgrind --toggle-collect='*RunBlocks*' build/bench/tolvanger_profile

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/audio_cases.h"

namespace {

template <typename Sample> __attribute__((noinline)) void RunBlocks(audio_cases::Runner<Sample>& runner, long blocks)
{
    for (long i = 0; i < blocks; ++i)
        runner.Block();
}

template <typename Sample>
int Run(hostkit::PluginInstance& instance, int setting, double rate, int block, double seconds)
{
    const audio_cases::Material<Sample> input(rate, setting);
    audio_cases::Runner<Sample> runner(instance, input, block);
    // One second first, so the collected part sees the processor settled.
    for (long i = 0; i < static_cast<long>(rate) / block; ++i)
        runner.Block();
    const long blocks = static_cast<long>(seconds * rate / block);
    RunBlocks(runner, blocks);
    std::printf("frames: %ld\n", blocks * block);
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: tolvanger_profile [--plugin PATH] [--setting default|shapers|mono|silence|quiet]\n"
                         "                         [--float|--double] [--rate HZ] [--block N] [--seconds S]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string path = TOLVANGER_PLUGIN_PATH;
    int setting = audio_cases::kDefault;
    bool doubles = false;
    double rate = 48000, seconds = 2;
    int block = 512;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--plugin" && hasValue) {
            path = argv[++i];
        } else if (arg == "--setting" && hasValue) {
            const std::string name = argv[++i];
            setting = -1;
            for (int s = 0; s <= audio_cases::kQuiet; ++s)
                if (name == audio_cases::SettingName(s)) setting = s;
            if (setting < 0) return Usage();
        } else if (arg == "--float") {
            doubles = false;
        } else if (arg == "--double") {
            doubles = true;
        } else if (arg == "--rate" && hasValue) {
            rate = std::atof(argv[++i]);
        } else if (arg == "--block" && hasValue) {
            block = std::atoi(argv[++i]);
        } else if (arg == "--seconds" && hasValue) {
            seconds = std::atof(argv[++i]);
        } else {
            return Usage();
        }
    }
    if (!(rate >= 8000 && rate <= 384000) || block < 1 || block > 65536 || !(seconds > 0)) return Usage();
    std::string error;
    auto library = hostkit::PluginLibrary::Load(path, &error);
    if (!library) {
        std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    auto instance = hostkit::PluginInstance::Create(library->Entry());
    if (!instance) {
        std::fprintf(stderr, "%s made no instance\n", path.c_str());
        return 1;
    }
    instance->Start(static_cast<float>(rate), block);
    audio_cases::Configure(*instance, setting);
    return doubles ? Run<double>(*instance, setting, rate, block, seconds)
                   : Run<float>(*instance, setting, rate, block, seconds);
}
