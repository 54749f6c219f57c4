// The renderer's batch speed-up: an album of eight ten-second files mastered to a loudness
// target (two passes each) with -j 1 and with -j 2, both in each iteration, so that the two
// times are taken under the same load. Reported: both wall times and their ratio, which on
// two free cores should be near 0.5 (one plug-in instance per job, no shared state).

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/demo/programme.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 8;

struct Album {
    fs::path folder;
    std::vector<std::string> files;

    Album()
    {
        std::string pattern = (fs::temp_directory_path() / "tolvanger-render-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        const demo::StereoProgramme programme = demo::MakeProgramme();
        for (int i = 0; i < kFiles; ++i) {
            // Each song at its own level, so that the album gain has something to keep.
            const double gain = 1.0 - 0.08 * i;
            std::vector<float> interleaved;
            for (std::size_t n = 0; n < programme.left.size(); ++n)
                interleaved.insert(interleaved.end(), {static_cast<float>(programme.left[n] * gain),
                                                       static_cast<float>(programme.right[n] * gain)});
            SF_INFO info{};
            info.samplerate = demo::kSampleRate;
            info.channels = 2;
            info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
            files.push_back((folder / ("song" + std::to_string(i) + ".wav")).string());
            SNDFILE* file = sf_open(files.back().c_str(), SFM_WRITE, &info);
            sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(programme.left.size()));
            sf_close(file);
        }
    }
    ~Album() { fs::remove_all(folder); }
};

// The wall time of one album render with `jobs` jobs, in seconds; negative when it failed.
double Master(const Album& album, int jobs)
{
    std::vector<std::string> args = {TOLVANGER_RENDER_PATH,
                                     "--quiet",
                                     "--target-lufs",
                                     "-14",
                                     "--album",
                                     "--true-peak-max",
                                     "6",
                                     "-j",
                                     std::to_string(jobs),
                                     "--output-dir",
                                     (album.folder / "out").string()};
    args.insert(args.end(), album.files.begin(), album.files.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1.0;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
}

void BM_RenderAlbumTwoJobsAgainstOne(benchmark::State& state)
{
    static const Album album;
    double one = 0.0, two = 0.0;
    for (auto _ : state) {
        const double serial = Master(album, 1), parallel = Master(album, 2);
        if (serial < 0.0 || parallel < 0.0) {
            state.SkipWithError("tolvanger-render failed");
            return;
        }
        one += serial;
        two += parallel;
        state.SetIterationTime(parallel);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["j1_seconds"] = one / iterations;
    state.counters["j2_seconds"] = two / iterations;
    state.counters["j2_over_j1"] = two / one;
}
BENCHMARK(BM_RenderAlbumTwoJobsAgainstOne)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

} // namespace
