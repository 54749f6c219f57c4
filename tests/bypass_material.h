#pragma once
// What each format's bypass test renders and checks. The programme is two sines at -6 dBFS
// with Output at -20 dB, so the processed sound is far from the input and a switch without a
// fade would jump by many times the programme's own largest step. The bypass goes on at
// kBypassOn and off at kBypassOff. Checked: once the fade is over, the output is the input
// delayed by the plug-in's latency, bit for bit; and no step from one frame to the next, from
// the first switch on, is larger than the largest step of the input or of the processed sound
// before the switch; and after the second switch the processing is heard again.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

namespace testing_support {

constexpr double kBypassRate = 48000.0;
constexpr int kBypassBlock = 512;
constexpr int kBypassFrames = 72000;
constexpr int kBypassOn = 24000;
constexpr int kBypassOff = 48000;
// The fade takes about 10 ms; 20 ms after a switch the output has settled.
constexpr int kBypassSettled = 960;
// Output (its VST 2.4 index), normalised 0: -20 dB.
constexpr int kBypassOutputIndex = 29;

// What a format's process call is asked to do before its block runs.
enum class BypassSwitch { kNone, kOn, kOff };

// Runs the programme through `process(in, out, frames, change)` in blocks of kBypassBlock, cut
// at the two switches, which arrive with the first block after them; in place, the output
// overwrites the input. Checks what the file's comment says with `latency`, the delay the
// plug-in reported.
template <typename Sample, typename Process> void ExpectBypassInTime(Process process, int32_t latency, bool inPlace)
{
    SCOPED_TRACE(std::to_string(8 * sizeof(Sample)) + "-bit, " + (inPlace ? "in place" : "out of place"));
    ASSERT_GT(latency, 0);
    std::vector<Sample> inLeft(kBypassFrames), inRight(kBypassFrames);
    for (int i = 0; i < kBypassFrames; ++i) {
        const double t = i / kBypassRate;
        inLeft[static_cast<size_t>(i)] = static_cast<Sample>(0.5 * std::sin(2 * std::numbers::pi * 187 * t));
        inRight[static_cast<size_t>(i)] = static_cast<Sample>(0.5 * std::sin(2 * std::numbers::pi * 251 * t));
    }
    std::vector<Sample> outLeft(inLeft), outRight(inRight);
    for (int start = 0; start < kBypassFrames;) {
        const int stop = std::min({start + kBypassBlock, start < kBypassOn ? kBypassOn : kBypassFrames,
                                   start < kBypassOff ? kBypassOff : kBypassFrames});
        const BypassSwitch change = start == kBypassOn    ? BypassSwitch::kOn
                                    : start == kBypassOff ? BypassSwitch::kOff
                                                          : BypassSwitch::kNone;
        Sample* out[2] = {outLeft.data() + start, outRight.data() + start};
        if (inPlace) {
            process(out, out, stop - start, change);
        } else {
            Sample* in[2] = {inLeft.data() + start, inRight.data() + start};
            process(in, out, stop - start, change);
        }
        start = stop;
    }

    int64_t differing = 0;
    for (int i = kBypassOn + kBypassSettled; i < kBypassOff; ++i) {
        const auto at = static_cast<size_t>(i), from = static_cast<size_t>(i - latency);
        differing += std::memcmp(&outLeft[at], &inLeft[from], sizeof(Sample)) != 0 ||
                     std::memcmp(&outRight[at], &inRight[from], sizeof(Sample)) != 0;
    }
    EXPECT_EQ(differing, 0) << "frames of the bypass that are not the input delayed by " << latency;

    auto step = [](const std::vector<Sample>& v, int i) {
        return std::fabs(static_cast<double>(v[static_cast<size_t>(i)]) -
                         static_cast<double>(v[static_cast<size_t>(i - 1)]));
    };
    double largest = 0.0;
    for (int i = 1; i < kBypassFrames; ++i)
        largest = std::max({largest, step(inLeft, i), step(inRight, i)});
    for (int i = 1; i < kBypassOn; ++i)
        largest = std::max({largest, step(outLeft, i), step(outRight, i)});
    // The test sees a switch that does not fade: it would jump this far.
    const auto dry = static_cast<size_t>(kBypassOn - latency), wet = static_cast<size_t>(kBypassOn - 1);
    const double jump = std::max(std::fabs(static_cast<double>(inLeft[dry]) - static_cast<double>(outLeft[wet])),
                                 std::fabs(static_cast<double>(inRight[dry]) - static_cast<double>(outRight[wet])));
    ASSERT_GT(jump, 4 * largest);
    double steepest = 0.0;
    int steepestAt = 0;
    for (int i = kBypassOn; i < kBypassFrames; ++i) {
        const double s = std::max(step(outLeft, i), step(outRight, i));
        if (s > steepest) {
            steepest = s;
            steepestAt = i;
        }
    }
    EXPECT_LE(steepest, largest) << "at frame " << steepestAt;
    // Processed again after the second switch: Output's -20 dB is heard.
    double after = 0.0;
    for (int i = kBypassOff + kBypassSettled; i < kBypassFrames; ++i)
        after = std::max({after, std::fabs(static_cast<double>(outLeft[static_cast<size_t>(i)])),
                          std::fabs(static_cast<double>(outRight[static_cast<size_t>(i)]))});
    EXPECT_LT(after, 0.25);
}

} // namespace testing_support
