#include "tools/render/dither.h"

#include <cmath>

namespace render {
namespace {

// Spreads one seed into well-separated generator states (the splitmix64 finaliser).
uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in [0, 1) from the top 53 bits: the same numbers on every platform, which the
// standard library's distributions do not promise.
double Uniform(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1.0p-53; }

} // namespace

Quantizer::Quantizer(int bits, DitherKind kind, uint64_t seed)
    : bits_(bits), kind_(kind), scale_(std::ldexp(1.0, bits - 1)), highest_(scale_ - 1.0), lowest_(-scale_)
{
    random_[0].seed(Mix(seed));
    random_[1].seed(Mix(seed ^ 0x5DEECE66Dull));
}

double Quantizer::Triangular(std::size_t channel)
{
    // Two uniform values summed: a triangle from -1 to +1 LSB, which makes the error's power
    // independent of the signal.
    return Uniform(random_[channel]) - Uniform(random_[channel]);
}

int32_t Quantizer::Quantize(double x, std::size_t channel)
{
    double wanted = x * scale_;
    if (kind_ == DitherKind::Shaped) wanted -= error_[channel];
    const double dither = kind_ == DitherKind::None ? 0.0 : Triangular(channel);
    double q = std::nearbyint(wanted + dither);
    if (q > highest_ || q < lowest_) {
        q = q > highest_ ? highest_ : lowest_;
        ++clipped_;
    }
    // First-order error feedback: the error's spectrum rises towards high frequencies, where
    // the ear is least sensitive. Clipped errors are not fed back, or the loop would run away.
    if (kind_ == DitherKind::Shaped) error_[channel] = std::abs(q - wanted) <= 2.0 ? q - wanted : 0.0;
    return static_cast<int32_t>(q) * (int32_t{1} << (32 - bits_));
}

} // namespace render
