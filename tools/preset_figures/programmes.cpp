#include "tools/preset_figures/programmes.h"
#include "tools/demo/noise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace programmes {
namespace {

using demo::Noise;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A band-pass resonator of unit peak gain.
struct Resonator {
    double b0 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    void Tune(double hertz, double q, int rate)
    {
        const double w = kTwoPi * hertz / rate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        b0 = alpha / a0;
        a1 = -2.0 * std::cos(w) / a0;
        a2 = (1.0 - alpha) / a0;
    }
    double Run(double x)
    {
        const double y = b0 * (x - x2) - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// A sawtooth of a few harmonics, so nothing folds over at 44.1 kHz.
double Saw(double phase, int harmonics)
{
    double x = 0.0;
    for (int h = 1; h <= harmonics; ++h)
        x += std::sin(phase * h) / h;
    return x;
}

void Normalise(Stereo& s, double peakDb)
{
    double peak = 1e-9;
    for (size_t i = 0; i < s.left.size(); ++i)
        peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
    const double gain = std::pow(10.0, peakDb / 20.0) / peak;
    for (size_t i = 0; i < s.left.size(); ++i) {
        s.left[i] *= gain;
        s.right[i] *= gain;
    }
}

} // namespace

Stereo SustainedMix(int rate)
{
    const size_t frames = static_cast<size_t>(12 * rate);
    Stereo out{std::vector<double>(frames), std::vector<double>(frames)};
    const double bassNotes[4] = {55.0, 43.65, 49.0, 41.2};
    const double chords[4][3] = {
        {220.0, 261.63, 329.63}, {174.61, 220.0, 261.63}, {196.0, 246.94, 293.66}, {164.81, 207.65, 246.94}};
    const double melody[8] = {440.0, 493.88, 523.25, 493.88, 440.0, 392.0, 349.23, 392.0};
    Noise hats(0x5eedu), snare(0xbeefu);
    Resonator formants[3];
    double bassPhase = 0, leadPhase = 0, padPhase[3][2] = {};
    double hatState = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const int bar = static_cast<int>(t / 2.0) % 4;
        const double inBeat = std::fmod(t, 0.5);
        const int beat = static_cast<int>(t / 0.5);
        // Bass: a sustained note per bar with its second harmonic, in the middle.
        bassPhase += kTwoPi * bassNotes[bar] / rate;
        const double bass = 0.5 * (std::sin(bassPhase) + 0.35 * std::sin(2.0 * bassPhase)) *
                            (0.8 + 0.2 * std::exp(-std::fmod(t, 2.0) * 3.0));
        // Pad: each chord note detuned apart in the two channels, soft.
        double padL = 0, padR = 0;
        for (int n = 0; n < 3; ++n) {
            padPhase[n][0] += kTwoPi * chords[bar][n] * 0.997 / rate;
            padPhase[n][1] += kTwoPi * chords[bar][n] * 1.003 / rate;
            padL += 0.07 * Saw(padPhase[n][0], 12);
            padR += 0.07 * Saw(padPhase[n][1], 12);
        }
        // Sung line: a bright tone through three formants, an eighth note each, with vibrato.
        const int note = static_cast<int>(t / 0.75) % 8;
        leadPhase += kTwoPi * melody[note] * (1.0 + 0.006 * std::sin(kTwoPi * 5.5 * t)) / rate;
        if (i % 64 == 0) {
            formants[0].Tune(800.0, 6.0, rate);
            formants[1].Tune(1250.0, 8.0, rate);
            formants[2].Tune(3500.0, 5.0, rate);
        }
        const double source = Saw(leadPhase, 40);
        const double sung = std::fmod(t, 0.75) < 0.68 ? 0.9 * formants[0].Run(source) + 0.6 * formants[1].Run(source) +
                                                            0.8 * formants[2].Run(source)
                                                      : 0.0;
        // Hats on the eighths, high-passed noise, a little to the right.
        const double white = hats.Next();
        const double high = white - hatState;
        hatState = white;
        const double hat = 0.12 * high * std::exp(-std::fmod(t, 0.25) * 40.0);
        // Back-beat snare.
        const double hit = beat % 2 == 1 ? 0.35 * snare.Next() * std::exp(-inBeat * 20.0) : 0.0;
        out.left[i] = bass + padL + sung + 0.8 * hat + hit;
        out.right[i] = bass + padR + sung + 1.2 * hat + hit;
    }
    Normalise(out, -6.0);
    return out;
}

Stereo Voice(int rate)
{
    const size_t frames = static_cast<size_t>(12 * rate);
    Stereo out{std::vector<double>(frames), std::vector<double>(frames)};
    // Formant sets of a few vowels, in hertz.
    const double vowels[5][3] = {
        {700, 1220, 2600}, {300, 2300, 3000}, {500, 1000, 2500}, {400, 1900, 2550}, {350, 900, 2400}};
    Resonator formants[3];
    Noise room(0xacedu);
    double phase = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        // Phrases of 2.5 s with 0.6 s of silence; syllables of 0.2 s within them.
        const double inPhrase = std::fmod(t, 3.1);
        const double inSyllable = std::fmod(inPhrase, 0.2);
        const int syllable = static_cast<int>(t / 0.2);
        const bool speaking = inPhrase < 2.5;
        const double envelope = speaking ? std::sin(std::numbers::pi * inSyllable / 0.2) *
                                               (0.6 + 0.4 * std::sin(kTwoPi * 0.7 * t + syllable)) *
                                               (syllable % 7 == 3 ? 1.6 : 1.0)
                                         : 0.0;
        const double pitch = 120.0 * (1.0 + 0.12 * std::sin(kTwoPi * 0.4 * t) - 0.08 * inPhrase / 2.5);
        phase += kTwoPi * pitch / rate;
        if (i % 32 == 0) {
            const double* v = vowels[syllable % 5];
            formants[0].Tune(v[0], 5.0, rate);
            formants[1].Tune(v[1], 8.0, rate);
            formants[2].Tune(v[2], 10.0, rate);
        }
        const double source = Saw(phase, 60);
        const double voice =
            envelope * (formants[0].Run(source) + 0.7 * formants[1].Run(source) + 0.4 * formants[2].Run(source));
        const double rumble = 0.05 * std::sin(kTwoPi * 40.0 * t);
        const double noise = 0.003 * room.Next();
        out.left[i] = out.right[i] = voice + rumble + noise;
    }
    Normalise(out, -6.0);
    return out;
}

} // namespace programmes
