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

void AddFrames(ebur128_state* state, const float* interleaved, std::size_t frames)
{
    if (frames) ebur128_add_frames_float(state, interleaved, frames);
}

void AddFrames(ebur128_state* state, const double* interleaved, std::size_t frames)
{
    if (frames) ebur128_add_frames_double(state, interleaved, frames);
}

} // namespace

LoudnessMeter::LoudnessMeter(unsigned channels, unsigned sampleRate, bool trace, Measures measures)
    : channels_(channels), tracing_(trace), hop_(std::max(1u, sampleRate / 10))
{
    int mode = measures == Measures::IntegratedOnly
                   ? EBUR128_MODE_I
                   : EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_TRUE_PEAK;
    if (trace) mode |= EBUR128_MODE_M | EBUR128_MODE_S;
    state_ = ebur128_init(channels, sampleRate, mode);
    if (!state_) throw RenderError("cannot measure loudness at " + std::to_string(sampleRate) + " Hz");
    if (channels == 1) ebur128_set_channel(state_, 0, EBUR128_DUAL_MONO);
}

LoudnessMeter::~LoudnessMeter() { ebur128_destroy(&state_); }

template <typename Sample> void LoudnessMeter::AddTraced(const Sample* interleaved, std::size_t frames)
{
    while (frames) {
        const std::size_t part = std::min(frames, hop_ - inHop_);
        AddFrames(state_, interleaved, part);
        for (std::size_t i = 0; i < part * channels_; ++i)
            hopPeak_ = std::max(hopPeak_, std::abs(static_cast<double>(interleaved[i])));
        interleaved += part * channels_;
        frames -= part;
        inHop_ += part;
        if (inHop_ == hop_) {
            LoudnessPoint point{0.1 * static_cast<double>(++hops_), 0.0, 0.0, Decibels(hopPeak_)};
            ebur128_loudness_momentary(state_, &point.momentary);
            ebur128_loudness_shortterm(state_, &point.shortTerm);
            trace_.push_back(point);
            inHop_ = 0;
            hopPeak_ = 0.0;
        }
    }
}

void LoudnessMeter::Add(const float* interleaved, std::size_t frames)
{
    if (tracing_)
        AddTraced(interleaved, frames);
    else
        AddFrames(state_, interleaved, frames);
}

void LoudnessMeter::Add(const double* interleaved, std::size_t frames)
{
    if (tracing_)
        AddTraced(interleaved, frames);
    else
        AddFrames(state_, interleaved, frames);
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

double LoudnessMeter::IntegratedTogether(const std::vector<const LoudnessMeter*>& meters)
{
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* meter : meters)
        states.push_back(meter->state_);
    double value = 0.0;
    if (states.empty() || ebur128_loudness_global_multiple(states.data(), states.size(), &value) != EBUR128_SUCCESS)
        return -std::numeric_limits<double>::infinity();
    return value;
}

} // namespace render
