#pragma once
// A small noise generator with a fixed sequence (xorshift), unlike the library's
// distributions, whose output differs between standard libraries: programmes made from the same
// seed have the same samples everywhere.

#include <cstdint>

namespace demo {

class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    // Uniform in [-1, 1).
    double Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_;
};

} // namespace demo
