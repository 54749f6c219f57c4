#include "tools/demo/programme.h"
#include "tools/demo/noise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace demo {
namespace {

constexpr double kTempo = 120.0;
constexpr double kBeat = 60.0 / kTempo;
constexpr double kSixteenth = kBeat / 4.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// One-pole low-pass; the high-pass is what it leaves out.
struct OnePole {
    double coefficient;
    double z = 0.0;
    explicit OnePole(double hertz) : coefficient(1.0 - std::exp(-kTwoPi * hertz / kSampleRate)) {}
    double LowPass(double x) { return z += coefficient * (x - z); }
    double HighPass(double x) { return x - LowPass(x); }
};

struct Mix {
    StereoProgramme& out;
    void Add(std::size_t at, double left, double right)
    {
        if (at >= out.left.size()) return;
        out.left[at] += left;
        out.right[at] += right;
    }
};

std::size_t At(double seconds) { return static_cast<std::size_t>(std::lround(seconds * kSampleRate)); }

void Kick(Mix& mix, double start, double level)
{
    Noise click(0x1234u);
    double phase = 0.0;
    const std::size_t first = At(start), length = At(0.45);
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double hertz = 45.0 + 105.0 * std::exp(-t / 0.03);
        phase += kTwoPi * hertz / kSampleRate;
        double x = std::sin(phase) * std::exp(-t / 0.18);
        if (t < 0.003) x += 0.4 * click.Next() * (1.0 - t / 0.003);
        mix.Add(first + i, level * x, level * x);
    }
}

void Snare(Mix& mix, double start, double level, uint32_t seed)
{
    Noise left(seed), right(seed * 7919u + 13u);
    OnePole highLeft(900.0), highRight(900.0);
    const std::size_t first = At(start), length = At(0.3);
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double tone = 0.5 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.05);
        const double body = std::exp(-t / 0.09);
        mix.Add(first + i, level * (tone + body * highLeft.HighPass(left.Next())),
                level * (tone + body * highRight.HighPass(right.Next())));
    }
}

void Hat(Mix& mix, double start, double level, double decay, uint32_t seed)
{
    Noise noise(seed);
    OnePole high(7000.0);
    const std::size_t first = At(start), length = At(decay * 6.0);
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double x = high.HighPass(noise.Next()) * std::exp(-t / decay);
        mix.Add(first + i, level * 0.6 * x, level * x);
    }
}

void BassNote(Mix& mix, double start, double seconds, double hertz, double level)
{
    OnePole tone(1.0);
    const std::size_t first = At(start), length = At(seconds);
    double phase = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += hertz / kSampleRate;
        phase -= std::floor(phase);
        const double saw = 2.0 * phase - 1.0;
        // The filter opens with the note and closes as it decays.
        tone.coefficient = 1.0 - std::exp(-kTwoPi * (180.0 + 900.0 * std::exp(-t / 0.08)) / kSampleRate);
        const double attack = std::min(1.0, t / 0.004);
        const double release = std::min(1.0, (seconds - t) / 0.01);
        const double x = tone.LowPass(saw) * attack * release * (0.6 + 0.4 * std::exp(-t / 0.2));
        mix.Add(first + i, level * x, level * x);
    }
}

void NoiseBed(Mix& mix, std::size_t length)
{
    Noise left(0xBEEFu), right(0xF00Du);
    OnePole toneLeft(2500.0), toneRight(2500.0);
    const double riseStart = kSeconds - 4.0 * kBeat;
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double level = 0.02;
        if (t > riseStart) level += 0.12 * std::pow((t - riseStart) / (4.0 * kBeat), 2.0);
        mix.Add(i, level * toneLeft.LowPass(left.Next()), level * toneRight.LowPass(right.Next()));
    }
}

} // namespace

StereoProgramme MakeProgramme()
{
    const std::size_t length = At(kSeconds);
    StereoProgramme out{std::vector<double>(length), std::vector<double>(length)};
    Mix mix{out};

    // Five bars of four beats; the bass walks E, G, A, D, E.
    const double roots[] = {41.20, 49.00, 55.00, 73.42, 41.20};
    const int bassSteps[] = {0, 3, 6, 8, 10, 11, 14};
    for (int bar = 0; bar < 5; ++bar) {
        const double barStart = bar * 4.0 * kBeat;
        Kick(mix, barStart, 0.9);
        Kick(mix, barStart + 2.0 * kBeat, 0.9);
        if (bar % 2 == 1) Kick(mix, barStart + 2.75 * kBeat, 0.6);
        Snare(mix, barStart + kBeat, 0.5, 101u + static_cast<uint32_t>(bar));
        Snare(mix, barStart + 3.0 * kBeat, 0.5, 201u + static_cast<uint32_t>(bar));
        for (int eighth = 0; eighth < 8; ++eighth) {
            const bool open = eighth == 7 && bar % 2 == 0;
            Hat(mix, barStart + eighth * 0.5 * kBeat, eighth % 2 ? 0.22 : 0.3, open ? 0.12 : 0.025,
                1000u + static_cast<uint32_t>(bar * 8 + eighth));
        }
        for (int step : bassSteps) {
            const double hertz = step == 14 ? roots[bar] * 2.0 : roots[bar];
            BassNote(mix, barStart + step * kSixteenth, 1.6 * kSixteenth, hertz, 0.45);
        }
    }
    NoiseBed(mix, length);

    double peak = 0.0;
    for (std::size_t i = 0; i < length; ++i)
        peak = std::max({peak, std::abs(out.left[i]), std::abs(out.right[i])});
    const double gain = std::pow(10.0, -6.0 / 20.0) / peak;
    const std::size_t fade = At(0.05);
    for (std::size_t i = 0; i < length; ++i) {
        const double edge = std::min(1.0, static_cast<double>(length - 1 - i) / static_cast<double>(fade));
        out.left[i] *= gain * edge;
        out.right[i] *= gain * edge;
    }
    return out;
}

} // namespace demo
