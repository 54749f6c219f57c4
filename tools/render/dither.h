#pragma once
// Integer samples from the processed signal: dither from a seeded generator, so that a render
// is repeatable to the byte, and clipping at full scale, counted rather than wrapped.

#include <cstdint>
#include <random>

#include "tools/render/options.h"

namespace render {

class Quantizer {
public:
    // `bits` is 16 or 24; each of the two channels draws from its own stream of the seed.
    Quantizer(int bits, DitherKind kind, uint64_t seed);

    // Stereo interleaved frames in, left-justified 32-bit integers out (the sample in the top
    // `bits` bits), as libsndfile takes them for any integer file.
    template <typename Sample> void Convert(const Sample* interleaved, int32_t* out, std::size_t frames)
    {
        for (std::size_t i = 0; i < 2 * frames; ++i)
            out[i] = Quantize(static_cast<double>(interleaved[i]), i & 1);
    }

    int64_t clipped() const { return clipped_; }

private:
    int32_t Quantize(double x, std::size_t channel);
    double Triangular(std::size_t channel);

    int bits_;
    DitherKind kind_;
    double scale_, highest_, lowest_;
    std::mt19937_64 random_[2];
    double error_[2] = {0.0, 0.0};
    int64_t clipped_ = 0;
};

} // namespace render
