// The audio entries of the built plug-in, loaded the way a host loads it, on generated
// programme material: frames per second and the real-time factor for both sample
// types, two rates, two block sizes, with default settings, with every transient
// shaper active, and with a mono input (whose side channel the path holds silent).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/programme_material.h"
#include "tools/hostkit/plugin_host.h"

namespace {

enum Setting { kDefault = 0, kTransients = 1, kMono = 2 };

hostkit::PluginLibrary* Library()
{
    static std::unique_ptr<hostkit::PluginLibrary> library = hostkit::PluginLibrary::Load(TOLVANGER_PLUGIN_PATH);
    return library.get();
}

// Ten seconds of material, looped.
template <typename Sample> struct Material {
    std::vector<Sample> left, right;
    Material(double rate, bool mono)
    {
        const material::Stereo s = material::Programme(rate, static_cast<int>(rate * 10));
        left.assign(s.left.begin(), s.left.end());
        right.assign(mono ? s.left.begin() : s.right.begin(), mono ? s.left.end() : s.right.end());
    }
};

template <typename Sample> void Process(benchmark::State& state)
{
    const double rate = static_cast<double>(state.range(0));
    const int block = static_cast<int>(state.range(1));
    const auto setting = static_cast<Setting>(state.range(2));
    if (!Library()) {
        state.SkipWithError("plug-in not loaded");
        return;
    }
    auto instance = hostkit::PluginInstance::Create(Library()->Entry());
    instance->Start(static_cast<float>(rate), block);
    if (setting == kTransients) {
        // Parameters 5 to 8, "LO Transient" to "HI Transient", at +5, -4, +8 and -6.
        const float amounts[4] = {0.75f, 0.3f, 0.9f, 0.2f};
        for (int b = 0; b < 4; ++b)
            instance->SetParameter(5 + b, amounts[b]);
    }
    const Material<Sample> input(rate, setting == kMono);
    std::vector<Sample> outLeft(block), outRight(block);
    const size_t length = input.left.size() - static_cast<size_t>(block);
    size_t position = 0;
    int calls = 0;
    for (auto _ : state) {
        Sample* in[2] = {const_cast<Sample*>(input.left.data() + position),
                         const_cast<Sample*>(input.right.data() + position)};
        Sample* out[2] = {outLeft.data(), outRight.data()};
        instance->Process(in, out, block);
        benchmark::DoNotOptimize(outLeft.data());
        position += static_cast<size_t>(block);
        if (position > length) position = 0;
        // The test host keeps a record of every callback; keep it short.
        if (++calls == 1024) {
            instance->ClearCalls();
            calls = 0;
        }
    }
    const double frames = static_cast<double>(state.iterations()) * block;
    state.counters["frames_per_second"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["realtime_factor"] = benchmark::Counter(frames / rate, benchmark::Counter::kIsRate);
    state.counters["seconds_per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Arguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"rate", "block", "setting"});
    for (int setting : {kDefault, kTransients, kMono})
        for (int rate : {44100, 48000})
            for (int block : {64, 512})
                b->Args({rate, block, setting});
}

void AudioProcessReplacing(benchmark::State& state) { Process<float>(state); }
void AudioProcessDoubleReplacing(benchmark::State& state) { Process<double>(state); }

BENCHMARK(AudioProcessReplacing)->Apply(Arguments);
BENCHMARK(AudioProcessDoubleReplacing)->Apply(Arguments);

} // namespace
