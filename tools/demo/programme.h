#pragma once
// The demo programme: ten seconds of drums, bass and noise, made from fixed seeds so that
// every run writes the same samples.

#include <vector>

namespace demo {

constexpr int kSampleRate = 44100;
constexpr double kSeconds = 10.0;

struct StereoProgramme {
    std::vector<double> left;
    std::vector<double> right;
};

// Peaks at -6 dBFS, the headroom of a mix before mastering.
StereoProgramme MakeProgramme();

} // namespace demo
