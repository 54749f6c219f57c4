// tolvanger-preset-figures: measures what each factory preset does to programme material,
// for designing the bank and for the README's table. Each preset is loaded with
// Plugin::LoadPreset into an instance of the processor in this program and fed the file in
// blocks of 64 frames; the tool reports
//   - the change of integrated loudness (EBU R128, libebur128) and the output's true peak,
//   - the level change of each band (below 80 Hz, 80-600 Hz, 600 Hz-6 kHz, above 6 kHz),
//     from the energy of input and output through fourth-order Linkwitz-Riley splits at the
//     processor's own crossover frequencies,
//   - the compressors' gain reduction per band: its mean over the blocks where the input
//     sounds, in dB, the larger of the two channels (mid and side in M-S mode),
//   - the change of the side's level against the mid's (stereo width),
//   - the change of the crest factor (sample peak over RMS, both channels): transients.
// With --values it measures thirty values of a trial preset instead of the bank, for design.
//
//   tolvanger-preset-figures [--markdown] [--values V1,...,V30] FILE.wav...
//   tolvanger-preset-figures --write-programme mix|voice FILE.wav

#include <ebur128.h>
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/plugin.h"
#include "core/presets.h"
#include "effect/effect.h"
#include "runtime/host_interface.h"
#include "tools/preset_figures/programmes.h"

namespace {

constexpr int kBlock = 64;
constexpr double kSplits[3] = {80.0, 600.0, 6000.0};

struct Stereo {
    std::vector<double> left, right;
    int rate = 44100;
};

Stereo ReadStereo(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::vector<double> frames(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    sf_readf_double(file, frames.data(), info.frames);
    sf_close(file);
    Stereo out;
    out.rate = info.samplerate;
    for (sf_count_t i = 0; i < info.frames; ++i) {
        const size_t at = static_cast<size_t>(i) * static_cast<size_t>(info.channels);
        out.left.push_back(frames[at]);
        out.right.push_back(frames[at + (info.channels > 1 ? 1 : 0)]);
    }
    return out;
}

void WriteStereo(const std::string& path, const programmes::Stereo& programme, int rate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) throw std::runtime_error("cannot write " + path);
    std::vector<double> frames;
    for (size_t i = 0; i < programme.left.size(); ++i) {
        frames.push_back(programme.left[i]);
        frames.push_back(programme.right[i]);
    }
    sf_writef_double(file, frames.data(), static_cast<sf_count_t>(programme.left.size()));
    sf_close(file);
}

// A second-order Butterworth section; two in a row make a Linkwitz-Riley split.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;
    static Biquad Make(double frequency, double rate, bool high)
    {
        const double w = 2.0 * std::numbers::pi * frequency / rate;
        const double alpha = std::sin(w) / std::numbers::sqrt2; // Q = 1/sqrt(2)
        const double cosw = std::cos(w);
        const double a0 = 1.0 + alpha;
        Biquad q;
        if (high) {
            q.b0 = (1.0 + cosw) / 2.0 / a0;
            q.b1 = -(1.0 + cosw) / a0;
        } else {
            q.b0 = (1.0 - cosw) / 2.0 / a0;
            q.b1 = (1.0 - cosw) / a0;
        }
        q.b2 = q.b0;
        q.a1 = -2.0 * cosw / a0;
        q.a2 = (1.0 - alpha) / a0;
        return q;
    }
    double Run(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// Energy of each of the four bands of a signal.
std::array<double, 4> BandEnergy(const std::vector<double>& signal, int rate)
{
    std::array<double, 4> energy{};
    // Low pass and high pass at each split, each fourth order.
    std::array<std::array<Biquad, 2>, 3> low, high;
    for (int s = 0; s < 3; ++s)
        for (int k = 0; k < 2; ++k) {
            low[s][k] = Biquad::Make(kSplits[s], rate, false);
            high[s][k] = Biquad::Make(kSplits[s], rate, true);
        }
    for (const double x : signal) {
        double rest = x;
        for (int s = 0; s < 3; ++s) {
            const double below = low[s][1].Run(low[s][0].Run(rest));
            rest = high[s][1].Run(high[s][0].Run(rest));
            energy[static_cast<size_t>(s)] += below * below;
        }
        energy[3] += rest * rest;
    }
    return energy;
}

struct Loudness {
    double integrated = -70.0;
    double truePeakDb = -120.0;
};

Loudness Measure(const std::vector<double>& left, const std::vector<double>& right, int rate, size_t skip)
{
    ebur128_state* state = ebur128_init(2, static_cast<unsigned long>(rate), EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    std::vector<double> frames;
    for (size_t i = skip; i < left.size(); ++i) {
        frames.push_back(left[i]);
        frames.push_back(right[i]);
    }
    ebur128_add_frames_double(state, frames.data(), frames.size() / 2);
    Loudness out;
    ebur128_loudness_global(state, &out.integrated);
    double peak = 0.0, other = 0.0;
    ebur128_true_peak(state, 0, &peak);
    ebur128_true_peak(state, 1, &other);
    out.truePeakDb = 20.0 * std::log10(std::max({peak, other, 1e-6}));
    ebur128_destroy(&state);
    return out;
}

class StillHost : public HostInterface {
public:
    explicit StillHost(double rate) : rate_(rate) {}
    double SampleRate() override { return rate_; }
    double BlockSize() override { return kBlock; }
    int32_t InputCount() override { return 2; }
    int32_t OutputCount() override { return 2; }
    HostTransport Transport() override { return {}; }
    void AnnounceLatency(int32_t samples) override { latency = samples; }
    void StoreLatency(int32_t samples) override { latency = samples; }
    void BeginEdit(int32_t) override {}
    void PerformEdit(int32_t, double) override {}
    void EndEdit(int32_t) override {}
    bool RequestRedraw() override { return false; }
    bool EditorSize(int32_t&, int32_t&) override { return false; }
    int32_t latency = 0;

private:
    double rate_;
};

struct Figures {
    double loudnessChange = 0.0;
    double truePeak = 0.0;
    std::array<double, 4> bandChange{};
    std::array<double, 4> reduction{};
    double widthChange = 0.0; // NaN for a mono input
    double crestChange = 0.0;
};

double Db(double ratio) { return 10.0 * std::log10(std::max(ratio, 1e-30)); }

Figures MeasurePreset(const presets::Values& values, const Stereo& in)
{
    StillHost host(in.rate);
    Plugin plugin(host);
    plugin.Activate();
    if (!plugin.LoadPreset(values, "trial", Plugin::PresetEdits::kHostKnows))
        throw std::runtime_error("the preset did not load");
    auto& effect = dynamic_cast<TVexlEffect&>(plugin.Runtime());
    const size_t frames = in.left.size();
    Stereo out;
    out.rate = in.rate;
    out.left.resize(frames);
    out.right.resize(frames);
    std::array<double, 4> reductionSum{};
    int soundingBlocks = 0;
    std::vector<float> a(kBlock), b(kBlock), c(kBlock), d(kBlock);
    for (size_t at = 0; at < frames; at += kBlock) {
        const int n = static_cast<int>(std::min<size_t>(kBlock, frames - at));
        double level = 0.0;
        for (int i = 0; i < n; ++i) {
            a[static_cast<size_t>(i)] = static_cast<float>(in.left[at + static_cast<size_t>(i)]);
            b[static_cast<size_t>(i)] = static_cast<float>(in.right[at + static_cast<size_t>(i)]);
            level = std::max({level, std::fabs(in.left[at + static_cast<size_t>(i)]),
                              std::fabs(in.right[at + static_cast<size_t>(i)])});
        }
        const float* inputs[2] = {a.data(), b.data()};
        float* outputs[2] = {c.data(), d.data()};
        plugin.Process(inputs, outputs, n);
        for (int i = 0; i < n; ++i) {
            out.left[at + static_cast<size_t>(i)] = c[static_cast<size_t>(i)];
            out.right[at + static_cast<size_t>(i)] = d[static_cast<size_t>(i)];
        }
        if (level < 1e-4) continue;
        ++soundingBlocks;
        for (int band = 0; band < 4; ++band) {
            const double divisor = std::max(static_cast<double>(effect.band.gainDivisor[Lane(0, band)]),
                                            static_cast<double>(effect.band.gainDivisor[Lane(1, band)]));
            reductionSum[static_cast<size_t>(band)] += 20.0 * std::log10(std::max(divisor, 1.0));
        }
    }
    // The output lags by the latency: compare like with like.
    const size_t lag = static_cast<size_t>(std::max(0, plugin.Latency()));
    std::vector<double> inL(in.left.begin(), in.left.end() - static_cast<std::ptrdiff_t>(lag));
    std::vector<double> inR(in.right.begin(), in.right.end() - static_cast<std::ptrdiff_t>(lag));
    std::vector<double> outL(out.left.begin() + static_cast<std::ptrdiff_t>(lag), out.left.end());
    std::vector<double> outR(out.right.begin() + static_cast<std::ptrdiff_t>(lag), out.right.end());

    Figures f;
    const Loudness before = Measure(inL, inR, in.rate, 0), after = Measure(outL, outR, in.rate, 0);
    f.loudnessChange = after.integrated - before.integrated;
    f.truePeak = after.truePeakDb;
    const auto bandsIn = [&] {
        auto l = BandEnergy(inL, in.rate), r = BandEnergy(inR, in.rate);
        for (int k = 0; k < 4; ++k)
            l[static_cast<size_t>(k)] += r[static_cast<size_t>(k)];
        return l;
    }();
    const auto bandsOut = [&] {
        auto l = BandEnergy(outL, in.rate), r = BandEnergy(outR, in.rate);
        for (int k = 0; k < 4; ++k)
            l[static_cast<size_t>(k)] += r[static_cast<size_t>(k)];
        return l;
    }();
    for (size_t k = 0; k < 4; ++k) {
        f.bandChange[k] = Db(bandsOut[k] / bandsIn[k]);
        f.reduction[k] = soundingBlocks ? reductionSum[k] / soundingBlocks : 0.0;
    }
    auto width = [](const std::vector<double>& l, const std::vector<double>& r) {
        double mid = 0.0, side = 0.0;
        for (size_t i = 0; i < l.size(); ++i) {
            mid += (l[i] + r[i]) * (l[i] + r[i]);
            side += (l[i] - r[i]) * (l[i] - r[i]);
        }
        return side / std::max(mid, 1e-30);
    };
    const double widthIn = width(inL, inR);
    f.widthChange = widthIn > 1e-9 ? Db(width(outL, outR) / widthIn) : std::nan("");
    auto crest = [](const std::vector<double>& l, const std::vector<double>& r) {
        double peak = 0.0, energy = 0.0;
        for (size_t i = 0; i < l.size(); ++i) {
            peak = std::max({peak, std::fabs(l[i]), std::fabs(r[i])});
            energy += l[i] * l[i] + r[i] * r[i];
        }
        return 20.0 * std::log10(peak / std::sqrt(energy / (2.0 * static_cast<double>(l.size())) + 1e-30));
    };
    f.crestChange = crest(outL, outR) - crest(inL, inR);
    return f;
}

std::string Signed(double value, int decimals = 1)
{
    if (std::isnan(value)) return "n/a";
    char text[32];
    const double shown = std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
    std::snprintf(text, sizeof text, "%+.*f", decimals, shown);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        std::vector<std::string> files;
        bool markdown = false;
        std::vector<std::pair<std::string, presets::Values>> trials;
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--write-programme" && i + 2 < argc) {
                const std::string kind = argv[i + 1];
                const int rate = 44100;
                const programmes::Stereo programme =
                    kind == "voice" ? programmes::Voice(rate) : programmes::SustainedMix(rate);
                WriteStereo(argv[i + 2], programme, rate);
                return 0;
            }
            if (arg == "--markdown") {
                markdown = true;
            } else if (arg == "--values" && i + 1 < argc) {
                presets::Values values{};
                const std::string list = argv[++i];
                size_t at = 0;
                for (double& v : values) {
                    v = std::stod(list.substr(at));
                    at = list.find(',', at);
                    at = at == std::string::npos ? list.size() : at + 1;
                }
                trials.emplace_back("trial " + std::to_string(trials.size() + 1), values);
            } else {
                files.push_back(arg);
            }
        }
        if (files.empty()) {
            std::fprintf(stderr,
                         "usage: %s [--markdown] [--values V1,...,V30] FILE.wav...\n       %s --write-programme "
                         "mix|voice FILE.wav\n",
                         argv[0], argv[0]);
            return 2;
        }
        if (trials.empty())
            for (int p = 0; p < presets::FactoryCount(); ++p)
                trials.emplace_back(presets::Factory(p)->name, presets::FactoryValues(p));
        std::vector<Stereo> inputs;
        for (const std::string& file : files)
            inputs.push_back(ReadStereo(file));
        if (markdown)
            std::printf(
                "| preset | programme | loudness | true peak | level LO / LM / HM / HI | reduction LO / LM / HM / "
                "HI | side vs mid | crest |\n|---|---|---|---|---|---|---|---|\n");
        for (const auto& [label, values] : trials)
            for (size_t f = 0; f < inputs.size(); ++f) {
                const Figures figures = MeasurePreset(values, inputs[f]);
                std::string name = files[f];
                name = name.substr(name.find_last_of('/') + 1);
                const auto& l = figures.bandChange;
                const auto& r = figures.reduction;
                if (markdown)
                    std::printf("| %s | %s | %s LU | %.1f dBTP | %s / %s / %s / %s dB | %.1f / %.1f / %.1f / %.1f dB | "
                                "%s%s | %s dB |\n",
                                label.c_str(), name.c_str(), Signed(figures.loudnessChange).c_str(), figures.truePeak,
                                Signed(l[0]).c_str(), Signed(l[1]).c_str(), Signed(l[2]).c_str(), Signed(l[3]).c_str(),
                                r[0], r[1], r[2], r[3], Signed(figures.widthChange).c_str(),
                                std::isnan(figures.widthChange) ? "" : " dB", Signed(figures.crestChange).c_str());
                else
                    std::printf("%-20s %-10s loud %6s LU  tp %5.1f  bands %5s %5s %5s %5s  gr %4.1f %4.1f %4.1f %4.1f  "
                                "width %5s  crest %5s\n",
                                label.c_str(), name.c_str(), Signed(figures.loudnessChange).c_str(), figures.truePeak,
                                Signed(l[0]).c_str(), Signed(l[1]).c_str(), Signed(l[2]).c_str(), Signed(l[3]).c_str(),
                                r[0], r[1], r[2], r[3], Signed(figures.widthChange).c_str(),
                                Signed(figures.crestChange).c_str());
            }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
}
