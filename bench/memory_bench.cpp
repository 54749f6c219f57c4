// The resident memory a running instance adds: sixteen instances of the built plug-in
// are started at 48 kHz and fed one second of programme each, and the growth of the
// process's resident set is divided among them. The peer (ZaMultiCompX2 from Debian's
// zam-plugins, or TOLVANGER_BENCH_PEER) is measured the same way in the same run, and
// our ratio to it reported; without the peer its case is skipped with a message.
//
// The figure is only fair in a process that has not freed much before it: run it alone,
// `tolvanger_bench --benchmark_filter=Memory`.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/audio_cases.h"

namespace {

constexpr int kInstances = 16;
constexpr float kRate = 48000.0f;
constexpr int kBlock = 512;

// The resident set in bytes, from the kernel's count of resident pages.
double ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

hostkit::EntryProc EntryOf(const hostkit::PluginLibrary& library)
{
    if (auto entry = library.Entry("VSTPluginMain")) return entry;
    return library.Entry("main");
}

std::unique_ptr<hostkit::PluginInstance> Running(hostkit::EntryProc entry, const audio_cases::Material<float>& input)
{
    auto instance = hostkit::PluginInstance::Create(entry);
    if (!instance) return nullptr;
    instance->Start(kRate, kBlock);
    audio_cases::Runner<float> runner(*instance, input, kBlock);
    for (int i = 0; i < static_cast<int>(kRate) / kBlock + 1; ++i)
        runner.Block();
    return instance;
}

// MiB added per running instance, after one instance has taken what a library loads once
// (tables, caches); negative when the library did not load.
double MibPerInstance(const std::string& path, std::string* error)
{
    auto library = hostkit::PluginLibrary::Load(path, error);
    if (!library) return -1.0;
    const hostkit::EntryProc entry = EntryOf(*library);
    const audio_cases::Material<float> input(kRate, audio_cases::kDefault);
    auto first = Running(entry, input);
    if (!first) return -1.0;
    malloc_trim(0);
    const double before = ResidentBytes();
    std::vector<std::unique_ptr<hostkit::PluginInstance>> instances;
    for (int i = 0; i < kInstances; ++i)
        instances.push_back(Running(entry, input));
    const double after = ResidentBytes();
    instances.clear();
    first.reset();
    return (after - before) / kInstances / (1024.0 * 1024.0);
}

std::string PeerPath()
{
    const char* path = std::getenv("TOLVANGER_BENCH_PEER");
    return path ? path : "/usr/lib/vst/ZaMultiCompX2-vst.so";
}

// Each library is measured once; the benchmark cases only report.
double OursMib()
{
    static const double mib = MibPerInstance(TOLVANGER_PLUGIN_PATH, nullptr);
    return mib;
}

double PeerMib(std::string* error)
{
    static std::string loadError;
    static const double mib = MibPerInstance(PeerPath(), &loadError);
    if (error) *error = loadError;
    return mib;
}

void MemoryPerInstance(benchmark::State& state)
{
    const bool peer = state.range(0) != 0;
    std::string error;
    const double mib = peer ? PeerMib(&error) : OursMib();
    for (auto _ : state)
        benchmark::DoNotOptimize(mib);
    if (mib < 0.0) {
        state.SkipWithError((peer ? "no peer plug-in: " + PeerPath() + " " + error : "plug-in not loaded").c_str());
        return;
    }
    state.SetLabel(peer ? PeerPath() : "Tolvanger");
    state.counters["MiB_per_instance"] = mib;
    if (!peer) {
        const double peerMib = PeerMib(nullptr);
        if (peerMib > 0.0) state.counters["ratio_to_peer"] = mib / peerMib;
    }
}

BENCHMARK(MemoryPerInstance)->ArgName("peer")->Arg(0)->Arg(1)->Iterations(1);

} // namespace
