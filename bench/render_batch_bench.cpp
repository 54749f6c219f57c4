// The renderer's batch speed-up: an album of eight ten-second files mastered to a loudness
// target (two passes each) with -j 1 and with -j 2, both in each iteration, so that the two
// times are taken under the same load. Reported: both wall times and their ratio, which on
// two free cores should be near 0.5 (one plug-in instance per job, no shared state), the CPU
// time of each run, and the load average before the runs. A j2 CPU time near j1's with a wall
// time far above half of it means the cores were busy with other work, not that the renderer
// waited: the ratio only says something on a quiet machine.
//
// RenderAlbumUneven: the same with seven ten-second songs and a forty-second one last on the
// command line, the case in which the order the jobs take the files matters.

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
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

    // `lastRepeats` times the programme for the last song, once for the others.
    explicit Album(int lastRepeats = 1)
    {
        std::string pattern = (fs::temp_directory_path() / "tolvanger-render-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        const demo::StereoProgramme programme = demo::MakeProgramme();
        for (int i = 0; i < kFiles; ++i) {
            // Each song at its own level, so that the album gain has something to keep.
            const double gain = 1.0 - 0.08 * i;
            std::vector<float> interleaved;
            for (int repeat = 0; repeat < (i == kFiles - 1 ? lastRepeats : 1); ++repeat)
                for (std::size_t n = 0; n < programme.left.size(); ++n)
                    interleaved.insert(interleaved.end(), {static_cast<float>(programme.left[n] * gain),
                                                           static_cast<float>(programme.right[n] * gain)});
            SF_INFO info{};
            info.samplerate = demo::kSampleRate;
            info.channels = 2;
            info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
            files.push_back((folder / ("song" + std::to_string(i) + ".wav")).string());
            SNDFILE* file = sf_open(files.back().c_str(), SFM_WRITE, &info);
            sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / 2));
            sf_close(file);
        }
    }
    ~Album() { fs::remove_all(folder); }
};

struct Timing {
    double wall = -1.0; // seconds; negative when the render failed
    double cpu = 0.0;   // user and system seconds of the renderer
};

Timing Master(const Album& album, int jobs)
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
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Timing timing;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return timing;
    timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    return timing;
}

double LoadAverage()
{
    double load = -1.0;
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1) load = -1.0;
        std::fclose(file);
    }
    return load;
}

void TwoJobsAgainstOne(benchmark::State& state, const Album& album)
{
    const double load = LoadAverage();
    double one = 0.0, two = 0.0, oneCpu = 0.0, twoCpu = 0.0;
    for (auto _ : state) {
        const Timing serial = Master(album, 1), parallel = Master(album, 2);
        if (serial.wall < 0.0 || parallel.wall < 0.0) {
            state.SkipWithError("tolvanger-render failed");
            return;
        }
        one += serial.wall;
        two += parallel.wall;
        oneCpu += serial.cpu;
        twoCpu += parallel.cpu;
        state.SetIterationTime(parallel.wall);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["j1_seconds"] = one / iterations;
    state.counters["j2_seconds"] = two / iterations;
    state.counters["j2_over_j1"] = two / one;
    state.counters["j1_cpu_seconds"] = oneCpu / iterations;
    state.counters["j2_cpu_seconds"] = twoCpu / iterations;
    state.counters["load_before"] = load;
}

void BM_RenderAlbumTwoJobsAgainstOne(benchmark::State& state)
{
    static const Album album;
    TwoJobsAgainstOne(state, album);
}
BENCHMARK(BM_RenderAlbumTwoJobsAgainstOne)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

void BM_RenderAlbumUnevenTwoJobsAgainstOne(benchmark::State& state)
{
    static const Album album(4);
    TwoJobsAgainstOne(state, album);
}
BENCHMARK(BM_RenderAlbumUnevenTwoJobsAgainstOne)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

} // namespace
