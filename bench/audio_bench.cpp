// The audio entries of the built plug-in, loaded the way a host loads it, on generated
// programme material: nanoseconds per stereo frame and the real-time factor, for each
// instruction-set path of the band path, both sample types, three rates, three block
// sizes, with default settings on loud programme, with every transient shaper on, with a
// mono input, with silence and with a low-level input. Path 2 (AVX-512) is skipped where
// the processor lacks it.
//
// Times are the processing thread's own processor time, so that other work on a shared
// machine does not count, and medians over batches.
//
// Where the peer (ZaMultiCompX2, Debian's zam-plugins; another with
// TOLVANGER_BENCH_PEER=path) is installed, each case also runs it in the same process
// on the same material, at its default settings, alternating batches of blocks with
// ours, and reports its time per frame and our ratio to it. The peer has only the
// 32-bit entry, so the 64-bit cases compare with its 32-bit time. Without the peer the
// ratio is left out and a message says so.

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/audio_cases.h"
#include "effect/band_state.h"
#include "tools/hostkit/plugin_host.h"

namespace {

// The processor time of this thread: on a machine shared with other work, the time the
// thread was kept waiting for a core would otherwise count as processing.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

hostkit::PluginLibrary* Ours()
{
    static std::unique_ptr<hostkit::PluginLibrary> library = hostkit::PluginLibrary::Load(TOLVANGER_PLUGIN_PATH);
    return library.get();
}

hostkit::PluginLibrary* Peer()
{
    static std::unique_ptr<hostkit::PluginLibrary> library = [] {
        const char* path = std::getenv("TOLVANGER_BENCH_PEER");
        const std::string file = path ? path : "/usr/lib/vst/ZaMultiCompX2-vst.so";
        std::string error;
        auto loaded = hostkit::PluginLibrary::Load(file, &error);
        if (!loaded) std::fprintf(stderr, "No peer plug-in (%s): the ratios are left out.\n", error.c_str());
        return loaded;
    }();
    return library.get();
}

// Old plug-ins export only "main".
hostkit::EntryProc EntryOf(const hostkit::PluginLibrary& library)
{
    if (auto entry = library.Entry("VSTPluginMain")) return entry;
    return library.Entry("main");
}

// The instruction-set path is named to the plug-in the way a user would force it.
std::unique_ptr<hostkit::PluginInstance> StartOurs(const char* simd, float rate, int block, int setting)
{
    setenv("TOLVANGER_SIMD", simd, 1);
    auto instance = hostkit::PluginInstance::Create(Ours()->Entry());
    unsetenv("TOLVANGER_SIMD");
    if (!instance) return nullptr;
    instance->Start(rate, block);
    audio_cases::Configure(*instance, setting);
    return instance;
}

template <typename Sample> double Seconds(audio_cases::Runner<Sample>& runner, int blocks)
{
    const double start = ThreadSeconds();
    for (int i = 0; i < blocks; ++i)
        runner.Block();
    benchmark::DoNotOptimize(runner.Output());
    return ThreadSeconds() - start;
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// args: rate, block, setting, path (0 baseline, 1 AVX2 and FMA, 2 AVX-512)
template <typename Sample> void Process(benchmark::State& state)
{
    const auto rate = static_cast<double>(state.range(0));
    const int block = static_cast<int>(state.range(1));
    const int setting = static_cast<int>(state.range(2));
    const int path = static_cast<int>(state.range(3));
    const char* simd = path == 0 ? "sse2" : path == 1 ? "avx2" : "avx512";
    state.SetLabel(std::string(audio_cases::SettingName(setting)) + ", " + simd);
    if (!Ours()) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    // A path the processor lacks would quietly run a narrower one.
    if ((path == 1 && !CpuRunsAvx2()) || (path == 2 && !(kBandKernelsAvx512.floats && CpuRunsAvx512()))) {
        state.SkipWithError("this processor or build lacks the path");
        return;
    }
    auto ours = StartOurs(simd, static_cast<float>(rate), block, setting);
    if (!ours) {
        state.SkipWithError("no instance");
        return;
    }
    const audio_cases::Material<Sample> input(rate, setting);
    audio_cases::Runner<Sample> runner(*ours, input, block);

    // The peer on the same material, in its 32-bit entry.
    std::unique_ptr<hostkit::PluginInstance> peer;
    std::unique_ptr<audio_cases::Material<float>> peerInput;
    std::unique_ptr<audio_cases::Runner<float>> peerRunner;
    if (Peer()) peer = hostkit::PluginInstance::Create(EntryOf(*Peer()));
    if (peer) {
        peer->Start(static_cast<float>(rate), block);
        peerInput = std::make_unique<audio_cases::Material<float>>(rate, setting);
        peerRunner = std::make_unique<audio_cases::Runner<float>>(*peer, *peerInput, block);
    }

    // Batches of about 8192 frames, ours and the peer's in turn, so both meet the same
    // machine; half a second of audio first settles the processors.
    const int batch = std::max(1, 8192 / block);
    Seconds(runner, static_cast<int>(rate / 2) / block + 1);
    if (peerRunner) Seconds(*peerRunner, static_cast<int>(rate / 2) / block + 1);
    // The figures are medians over the batches (and the ratio the median of each pair's),
    // so that batches that met a busy core or a sibling thread's load weigh no more than
    // their number.
    std::vector<double> ourNs, peerNs, ratios;
    const double batchFrames = static_cast<double>(batch) * block;
    for (auto _ : state) {
        const double t = Seconds(runner, batch);
        state.SetIterationTime(t);
        ourNs.push_back(t / batchFrames * 1e9);
        if (peerRunner) {
            peerNs.push_back(Seconds(*peerRunner, batch) / batchFrames * 1e9);
            ratios.push_back(ourNs.back() / peerNs.back());
        }
    }
    const double nsPerFrame = Median(ourNs);
    state.counters["ns_per_frame"] = nsPerFrame;
    state.counters["realtime_x"] = 1e9 / (nsPerFrame * rate);
    if (peerRunner) {
        state.counters["peer_ns_per_frame"] = Median(peerNs);
        state.counters["ratio_to_peer"] = Median(ratios);
    }
}

void Arguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"rate", "block", "setting", "path"});
    for (int path : {0, 1, 2}) {
        for (int rate : {44100, 48000, 96000})
            for (int block : {32, 512, 4096})
                b->Args({rate, block, audio_cases::kDefault, path});
        for (int setting : {audio_cases::kShapers, audio_cases::kMono, audio_cases::kSilence, audio_cases::kQuiet})
            b->Args({48000, 512, setting, path});
    }
    b->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.3);
}

void AudioFloat(benchmark::State& state) { Process<float>(state); }
void AudioDouble(benchmark::State& state) { Process<double>(state); }

BENCHMARK(AudioFloat)->Apply(Arguments);
BENCHMARK(AudioDouble)->Apply(Arguments);

} // namespace
