#pragma once
// EBU R128 measurement of one signal through libebur128.

#include <ebur128.h>

#include <cstddef>
#include <vector>

namespace render {

struct LoudnessFigures {
    double integrated; // LUFS; -infinity for a signal below the absolute gate
    double range;      // LU
    double samplePeak; // dBFS
    double truePeak;   // dBTP
};

// The loudness every 100 ms, for the picture of a render.
struct LoudnessPoint {
    double seconds;
    double momentary; // LUFS over 400 ms
    double shortTerm; // LUFS over 3 s
    double peak;      // dBFS, the largest sample of these 100 ms
};

class LoudnessMeter {
public:
    // What a meter measures: every figure, or the integrated loudness alone, which costs a
    // small part of the true peak's oversampling.
    enum class Measures { Everything, IntegratedOnly };

    // A mono signal counts as played on both loudspeakers (dual mono). With `trace`, the
    // meter also keeps a LoudnessPoint every 100 ms.
    LoudnessMeter(unsigned channels, unsigned sampleRate, bool trace = false, Measures measures = Measures::Everything);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void Add(const float* interleaved, std::size_t frames);
    void Add(const double* interleaved, std::size_t frames);
    LoudnessFigures Figures() const;
    const std::vector<LoudnessPoint>& trace() const { return trace_; }

    // The integrated loudness of several signals taken as one programme, as album gain needs.
    static double IntegratedTogether(const std::vector<const LoudnessMeter*>& meters);

private:
    template <typename Sample> void AddTraced(const Sample* interleaved, std::size_t frames);

    ebur128_state* state_;
    unsigned channels_;
    bool tracing_;
    std::size_t hop_, inHop_ = 0, hops_ = 0;
    double hopPeak_ = 0.0;
    std::vector<LoudnessPoint> trace_;
};

} // namespace render
