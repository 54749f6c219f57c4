#pragma once
// Deterministic stereo programme material for the benchmark and the tests: a kick on
// the beat, a snare on the back beat, hats, a bass line and a bed of noise, mixed to
// peaks near -3 dBFS. The same rate and length always give the same samples.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace material {

// A small linear congruential generator: the same sequence on every platform.
class Noise {
public:
    explicit Noise(uint64_t seed) : state_(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    // Uniform in [-1, 1).
    double Next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) * (2.0 / 9007199254740992.0) - 1.0;
    }

private:
    uint64_t state_;
};

struct Stereo {
    std::vector<double> left;
    std::vector<double> right;
};

// Drums, bass and noise at 120 beats per minute.
inline Stereo Programme(double rate, int frames, uint64_t seed = 1)
{
    constexpr double pi = std::numbers::pi;
    Stereo out;
    out.left.resize(frames);
    out.right.resize(frames);
    Noise noise(seed);
    Noise bed(seed + 17);
    const int beat = static_cast<int>(rate * 0.5);
    const double bassNotes[4] = {55.0, 55.0, 73.42, 65.41};
    double hatState = 0.0, bassPhase = 0.0, kickPhase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const int inBeat = i % beat;
        const int beatNumber = i / beat;
        const double t = inBeat / rate;
        // Kick: a falling sine with a click, on every beat.
        const double kickFrequency = 50.0 + 120.0 * std::exp(-t * 30.0);
        kickPhase = inBeat == 0 ? 0.0 : kickPhase + 2.0 * pi * kickFrequency / rate;
        const double kick = std::sin(kickPhase) * std::exp(-t * 9.0) + (inBeat < 40 ? 0.3 * noise.Next() : 0.0);
        // Snare on beats 2 and 4: noise burst with a tone.
        const double snare = beatNumber % 2 == 1
                                 ? (0.6 * noise.Next() + 0.3 * std::sin(2.0 * pi * 190.0 * t)) * std::exp(-t * 18.0)
                                 : 0.0;
        // Hats on the off-beats: high-passed noise, short.
        const double white = noise.Next();
        const double high = white - hatState;
        hatState = white;
        const double halfBeat = std::fmod(t, 0.25);
        const double hat = 0.25 * high * std::exp(-halfBeat * 60.0);
        // Bass: a sustained note per beat with a soft attack.
        const double note = bassNotes[beatNumber % 4];
        bassPhase += 2.0 * pi * note / rate;
        const double bass = 0.45 * std::sin(bassPhase) * std::min(1.0, t * 40.0) * std::exp(-t * 1.5);
        const double hiss = 0.02 * bed.Next();
        const double centre = 0.42 * kick + 0.3 * snare + 0.3 * bass;
        out.left[i] = centre + 0.9 * hat + hiss;
        out.right[i] = centre + 0.6 * hat - hiss;
    }
    // Peaks near -3 dBFS.
    double peak = 0.0;
    for (int i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(out.left[i]), std::fabs(out.right[i])});
    const double scale = peak > 0.0 ? std::pow(10.0, -3.0 / 20.0) / peak : 1.0;
    for (int i = 0; i < frames; ++i) {
        out.left[i] *= scale;
        out.right[i] *= scale;
    }
    return out;
}

} // namespace material
