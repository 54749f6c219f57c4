#pragma once
// Programme material besides the demo's drums, for measuring the presets: made from fixed
// seeds, so every run writes the same samples.

#include <vector>

namespace programmes {

struct Stereo {
    std::vector<double> left, right;
};

// Twelve seconds of a band: sustained bass, a wide pad of detuned chords, a bright sung line
// with its formants and an edge near 3.5 kHz, hats above 6 kHz and a back-beat snare. Peaks
// at -6 dBFS.
Stereo SustainedMix(int rate);

// Twelve seconds of a speaking voice (a pulse train through moving formants, in syllables
// and phrases) over a 40 Hz rumble and a little room noise, the same in both channels. Peaks
// at -6 dBFS.
Stereo Voice(int rate);

} // namespace programmes
