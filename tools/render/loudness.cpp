#include "tools/render/loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/render/render_error.h"

namespace render {
namespace {

double Decibels(double linear)
{
    return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

} // namespace

LoudnessMeter::LoudnessMeter(unsigned channels, unsigned sampleRate) : channels_(channels)
{
    state_ = ebur128_init(channels, sampleRate,
                          EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK);
    if (!state_) throw RenderError("cannot measure loudness at " + std::to_string(sampleRate) + " Hz");
    if (channels == 1) ebur128_set_channel(state_, 0, EBUR128_DUAL_MONO);
}

LoudnessMeter::~LoudnessMeter() { ebur128_destroy(&state_); }

void LoudnessMeter::Add(const float* interleaved, std::size_t frames)
{
    if (frames) ebur128_add_frames_float(state_, interleaved, frames);
}

void LoudnessMeter::Add(const double* interleaved, std::size_t frames)
{
    if (frames) ebur128_add_frames_double(state_, interleaved, frames);
}

LoudnessFigures LoudnessMeter::Figures() const
{
    LoudnessFigures figures{};
    double value = 0.0;
    figures.integrated =
        ebur128_loudness_global(state_, &value) == EBUR128_SUCCESS ? value : -std::numeric_limits<double>::infinity();
    figures.range = ebur128_loudness_range(state_, &value) == EBUR128_SUCCESS ? value : 0.0;
    double samplePeak = 0.0, truePeak = 0.0;
    for (unsigned c = 0; c < channels_; ++c) {
        if (ebur128_sample_peak(state_, c, &value) == EBUR128_SUCCESS) samplePeak = std::max(samplePeak, value);
        if (ebur128_true_peak(state_, c, &value) == EBUR128_SUCCESS) truePeak = std::max(truePeak, value);
    }
    figures.samplePeak = Decibels(samplePeak);
    figures.truePeak = Decibels(truePeak);
    return figures;
}

} // namespace render
