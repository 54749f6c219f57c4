#pragma once
// EBU R128 measurement of one signal through libebur128.

#include <ebur128.h>

#include <cstddef>

namespace render {

struct LoudnessFigures {
    double integrated; // LUFS; -infinity for a signal below the absolute gate
    double range;      // LU
    double samplePeak; // dBFS
    double truePeak;   // dBTP
};

class LoudnessMeter {
public:
    // A mono signal counts as played on both loudspeakers (dual mono).
    LoudnessMeter(unsigned channels, unsigned sampleRate);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void Add(const float* interleaved, std::size_t frames);
    void Add(const double* interleaved, std::size_t frames);
    LoudnessFigures Figures() const;

private:
    ebur128_state* state_;
    unsigned channels_;
};

} // namespace render
