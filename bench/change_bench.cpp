// What a parameter change costs: the built plug-in at 48 kHz in blocks of 64 frames on loud
// programme, once with no change and once with Inertia set to a new value before every
// block, as a host playing back dense automation does. Each change makes the next block run
// the slider section (the coefficients are derived on the audio thread). Both run in the
// same process, alternating batches of blocks, and the counters give each one's time per
// frame and their ratio.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/audio_cases.h"
#include "tools/hostkit/plugin_host.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr float kRate = 48000.0f;
constexpr int kBlock = 64;
constexpr int kBatch = 256;       // blocks per batch
constexpr int32_t kInertiaIndex = 23;

void ParameterChangeEveryBlock(benchmark::State& state)
{
    static std::unique_ptr<hostkit::PluginLibrary> library = hostkit::PluginLibrary::Load(TOLVANGER_PLUGIN_PATH);
    if (!library) {
        state.SkipWithError("the plug-in did not load");
        return;
    }
    const audio_cases::Material<float> material(kRate, audio_cases::kDefault);
    auto still = hostkit::PluginInstance::Create(library->Entry());
    auto moving = hostkit::PluginInstance::Create(library->Entry());
    still->Start(kRate, kBlock);
    moving->Start(kRate, kBlock);
    audio_cases::Runner<float> stillRunner(*still, material, kBlock);
    audio_cases::Runner<float> movingRunner(*moving, material, kBlock);

    double stillSeconds = 0.0, movingSeconds = 0.0;
    long batches = 0, change = 0;
    for (auto _ : state) {
        const auto a = Clock::now();
        for (int i = 0; i < kBatch; ++i)
            stillRunner.Block();
        const auto b = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            moving->SetParameter(kInertiaIndex, static_cast<float>(++change % 11) / 10.0f);
            movingRunner.Block();
        }
        const auto c = Clock::now();
        stillSeconds += std::chrono::duration<double>(b - a).count();
        movingSeconds += std::chrono::duration<double>(c - b).count();
        ++batches;
        benchmark::DoNotOptimize(movingRunner.Output()[0]);
    }
    const double frames = static_cast<double>(batches) * kBatch * kBlock;
    state.counters["ns_per_frame_still"] = stillSeconds / frames * 1e9;
    state.counters["ns_per_frame_changing"] = movingSeconds / frames * 1e9;
    state.counters["ratio"] = movingSeconds / stillSeconds;
}

BENCHMARK(ParameterChangeEveryBlock)->Name("ParameterChange/every_block/block:64")->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace
