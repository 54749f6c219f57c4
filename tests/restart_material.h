#pragma once
// What each format's restart test renders: five seconds of programme, in blocks of 512, with
// the compressors at their slowest (Inertia 1) and Punch on, so that the state one run leaves
// behind would be heard for seconds in the next. `process` takes the block's input and
// output channel pointers and its frame count.

#include <algorithm>
#include <vector>

#include "bench/programme_material.h"

namespace testing_support {

constexpr double kRestartRate = 48000.0;
constexpr int kRestartBlock = 512;
// Host parameter indices (the VST 2.4 indices) and the normalised value each is set to.
constexpr int kRestartInertia = 23;
constexpr int kRestartPunch = 24;

template <typename Process> std::vector<float> RenderRestartMaterial(Process process)
{
    static const material::Stereo music = material::Programme(kRestartRate, 5 * 48000, 7);
    std::vector<float> left(music.left.begin(), music.left.end());
    std::vector<float> right(music.right.begin(), music.right.end());
    const int frames = static_cast<int>(left.size());
    for (int start = 0; start < frames; start += kRestartBlock) {
        const int n = std::min(kRestartBlock, frames - start);
        float* io[2] = {left.data() + start, right.data() + start};
        process(io, io, n);
    }
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

} // namespace testing_support
