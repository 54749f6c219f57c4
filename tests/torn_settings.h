#pragma once
// A parameter moved flat out on a second thread while audio runs in blocks of 64 frames, as
// a host's GUI thread moves one while its audio thread plays. The material is a 50 Hz sine at
// -20 dBFS; the moved parameter must not change the level, so every block's peak should be
// the steady one. A block that hears a half-derived set of settings (a band gain written
// before the override that cancels it) is many decibels louder.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

namespace testing_support {

constexpr int kTornBlock = 64;
constexpr int kTornBlocks = 30000;
// Blocks left out at the start, while the lines fill.
constexpr int kTornSettle = 200;

// The loudest block's peak (left channel), with `move` called over and over on another thread
// (or never, when `moving` is false). `process(io, frames)` runs one block in place.
template <typename Process, typename Move> double LoudestBlock(double rate, Process process, Move move, bool moving)
{
    std::atomic<bool> stop{false};
    std::thread mover;
    if (moving)
        mover = std::thread([&] {
            for (long n = 0; !stop.load(std::memory_order_relaxed); ++n)
                move(n);
        });
    std::vector<float> left(kTornBlock), right(kTornBlock);
    double loudest = 0.0;
    long frame = 0;
    for (int block = 0; block < kTornBlocks; ++block) {
        for (int i = 0; i < kTornBlock; ++i, ++frame)
            left[i] = right[i] = static_cast<float>(0.1 * std::sin(2 * std::numbers::pi * 50 * frame / rate));
        float* io[2] = {left.data(), right.data()};
        process(io, kTornBlock);
        if (block < kTornSettle) continue;
        for (float v : left)
            loudest = std::max(loudest, static_cast<double>(std::fabs(v)));
    }
    stop = true;
    if (mover.joinable()) mover.join();
    return loudest;
}

} // namespace testing_support
