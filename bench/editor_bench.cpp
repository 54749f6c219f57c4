// The editor's CPU use while audio plays: the built plug-in loaded like a host loads it, its
// editor open in an X window at 1 and at 2 (the host's scale through the vendor-specific
// call), idled 30 times a second while the host processes that second's programme in blocks,
// so the meters move and the editor repaints as it does for a user. The time reported is the
// process's CPU time per second of playing; the editor's share is that less the audio-only
// case's. Where the peer (ZaMultiCompX2; another with TOLVANGER_BENCH_PEER=path) is installed
// and its editor opens on the display, it runs the same way, and the ratios are reported.
// Needs an X display (make bench gives it one).

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/programme_material.h"
#include "gui/x11/open_display.h"
#include "tools/hostkit/plugin_host.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kRate = 44100;
constexpr int kTicksPerSecond = 30;
constexpr int kBlock = 490; // three blocks per tick
constexpr int kFramesPerTick = static_cast<int>(kRate) / kTicksPerSecond;

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The user's kept zoom would beat the host's scale: the benchmark keeps an empty folder.
void OwnSettingsFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/tolvanger-bench-config-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/nonexistent");
    }();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

hostkit::PluginLibrary* Load(bool peer)
{
    static std::unique_ptr<hostkit::PluginLibrary> ours = hostkit::PluginLibrary::Load(TOLVANGER_PLUGIN_PATH);
    static std::unique_ptr<hostkit::PluginLibrary> theirs = [] {
        const char* path = std::getenv("TOLVANGER_BENCH_PEER");
        std::string error;
        auto loaded = hostkit::PluginLibrary::Load(path ? path : "/usr/lib/vst/ZaMultiCompX2-vst.so", &error);
        if (!loaded) std::fprintf(stderr, "No peer plug-in (%s): its cases are skipped.\n", error.c_str());
        return loaded;
    }();
    return peer ? theirs.get() : ours.get();
}

hostkit::EntryProc EntryOf(const hostkit::PluginLibrary& library)
{
    if (auto entry = library.Entry("VSTPluginMain")) return entry;
    return library.Entry("main");
}

// state.range(0): the scale in hundredths, 0 for audio alone; state.range(1): 1 for the peer.
void EditorWhilePlaying(benchmark::State& state)
{
    const double scale = static_cast<double>(state.range(0)) / 100;
    const bool peer = state.range(1) != 0;
    OwnSettingsFolder();
    hostkit::PluginLibrary* library = Load(peer);
    if (!library) return state.SkipWithError("plug-in not found");
    Display* display = gui::x11::OpenDisplay(nullptr);
    if (!display) return state.SkipWithError("no X display");
    auto instance = hostkit::PluginInstance::Create(EntryOf(*library));
    if (!instance) {
        XCloseDisplay(display);
        return state.SkipWithError("no instance");
    }
    instance->Start(static_cast<float>(kRate), kBlock);
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1780, 1100, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    bool open = false;
    if (scale > 0) {
        instance->Dispatch(effVendorSpecific, FourCharCode('P', 'r', 'e', 'S'), FourCharCode('A', 'e', 'C', 's'),
                           nullptr, static_cast<float>(scale));
        open = instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) != 0;
        if (!open) state.SkipWithError("the editor did not open");
    }

    const material::Stereo music = material::Programme(kRate, static_cast<int>(kRate) * 4, 5);
    std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};
    size_t played = 0;
    double cpuSeconds = 0;
    const auto tick = std::chrono::microseconds(1000000 / kTicksPerSecond);
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        auto next = Clock::now();
        for (int t = 0; t < kTicksPerSecond; ++t) {
            for (int done = 0; done < kFramesPerTick; done += kBlock) {
                for (int i = 0; i < kBlock; ++i, played = (played + 1) % music.left.size()) {
                    left[i] = static_cast<float>(music.left[played]);
                    right[i] = static_cast<float>(music.right[played]);
                }
                instance->Process(inputs, outputs, kBlock);
            }
            if (open) instance->Dispatch(effEditIdle);
            next += tick;
            std::this_thread::sleep_until(next);
        }
        const double used = ProcessCpuSeconds() - cpuStart;
        cpuSeconds += used;
        state.SetIterationTime(used);
    }
    // Of one core, over the seconds played.
    state.counters["cpu_percent"] = 100 * cpuSeconds / static_cast<double>(state.iterations());
    if (open) instance->Dispatch(effEditClose);
    instance.reset();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}

} // namespace

// Each iteration is one second of playing; the time is the CPU time it took.
BENCHMARK(EditorWhilePlaying)
    ->ArgNames({"scale_percent", "peer"})
    ->Args({0, 0})
    ->Args({100, 0})
    ->Args({200, 0})
    ->Args({0, 1})
    ->Args({100, 1})
    ->Args({200, 1})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
