#pragma once
// The band path as the audio thread runs it: the eight band-channels (two channels by
// four bands) side by side, one array slot per lane, so that vector code steps them
// together. Lane l is channel l / 4, band l % 4.
//
// BandPathState is the state that carries from sample to sample. Only the audio thread
// touches it: the reset and init sections, which run on the host's dispatcher thread,
// leave a request that the next block section carries out (effect.h).
//
// BandBlockSettings is the block section's copy of everything the sample section reads
// from the shared effect variables, taken once per processing call.

#include <cstdint>

#include "effect/dsp_variables.h"
#include "runtime/memory.h"

constexpr int kLaneCount = kChannelCount * kBandCount;

constexpr int Lane(int channel, int band) { return channel * kBandCount + band; }

struct alignas(64) BandPathState {
    // The splitter's six one-poles per channel, as two lane groups: the four that filter
    // the input itself, z1, z2, z4 and z6, and the two that filter a residue, z3 and z5,
    // in the band lanes they feed (the first and last lane of each group stay 0).
    double inputPoles[kLaneCount];   // z1 z2 z4 z6
    double residuePoles[kLaneCount]; // 0 z3 z5 0
    double band[kLaneCount];         // each band's result of the latest sample
    // Compressors.
    double gainDivisor[kLaneCount];
    double peakGain[kLaneCount];
    double holdGain[kLaneCount];
    double releaseNow[kLaneCount];
    double slowPeak[kLaneCount];
    double smoothGain[kLaneCount];
    double punchGain[kLaneCount];
    // Transient shapers.
    double meanSquare[kLaneCount];
    double rmsTwice[kLaneCount];
    double holdEnv[kLaneCount];
    double fastEnv[kLaneCount];
    double slowEnv[kLaneCount];
    double transientGain[kLaneCount];
    // Per lane, each of the lane's states above times 0, summed, as the frame kernel left
    // them: 0 while all are finite, NaN once one is not. The block section's recovery
    // looks here rather than at every state.
    double finiteCheck[kLaneCount];
    // Per channel: the silence hold and the position its eight delay lines share (they
    // are made alike and step together, so one position serves all of them).
    double silentCount[kChannelCount];
    double linePosition[kChannelCount];
};

// z1 .. z6 (k = 0 .. 5) of a channel's splitter.
inline double SplitterPole(const BandPathState& s, int channel, int k)
{
    static constexpr int kInputSlot[6] = {0, 1, -1, 2, -1, 3};
    static constexpr int kResidueSlot[6] = {-1, -1, 1, -1, 2, -1};
    const int base = Lane(channel, 0);
    return kInputSlot[k] >= 0 ? s.inputPoles[base + kInputSlot[k]] : s.residuePoles[base + kResidueSlot[k]];
}

// Delay-line slots as the sample section addresses them. Line l (the alignment line of
// lane l) and line 8 + l (its lookahead line) normally lie in one region of script
// memory each, apart from every other line; their slots are then reached through a
// pointer to position 0. A channel whose lines are not all like that goes through
// script memory cell by cell, exactly as the lines are defined.
struct DelayLineSlots {
    double* align[kLaneCount] = {};
    double* lookahead[kLaneCount] = {};
    // Per channel: positions 0 .. mapped - 1 are reached by pointer; none when 0.
    double mapped[kChannelCount] = {};
    double length[kChannelCount] = {};
    // The lines' bases, for the cell-by-cell path: alignment lines, then lookahead.
    double writeBase[kDelayLineCount] = {};
    double readBase[kDelayLineCount] = {};
};

struct alignas(64) BandBlockSettings {
    // Splitter coefficients for the two lane groups of BandPathState.
    double inputCoef[kLaneCount];   // a80 a80 a600 a6000
    double residueCoef[kLaneCount]; // 0 a600 a6000 0
    // Compressor settings; the masks are all bits set where on, all clear where off.
    double threshold[kLaneCount]; // effective threshold, dB
    double belowThreshold[kLaneCount];
    double attack[kLaneCount];
    double release[kLaneCount];
    double reductionScale[kLaneCount]; // ratio factor times the dB factor
    double knee[kLaneCount];
    double compressorMask[kLaneCount];
    double punchCoef[kLaneCount];
    double makeupGain[kLaneCount];
    // Transient shapers: half the amount, and whether it is on.
    double halfAmount[kLaneCount];
    double shaperMask[kLaneCount];
    double eqGain[kLaneCount];
    // One-pole constants.
    double attack0005, release002, attack005, release01, meanSquareCoef;
    bool punchOn;
    // The stereo frame.
    double silenceLimit;
    double sampleRate;
    double inputGain, mixLevelIn;
    double outputScale; // output gain times mix level out
    double balanceGain, balanceInverse;
    bool msMode;
    bool monoInput;
};

// Steps `count` lines from `firstLine` on through script memory, cell by cell as the
// lines are defined: each takes in[i] at `position` and answers out[i] from `next`. A
// cell without a home keeps nothing and reads 0; the init section gives every cell a
// line can reach one, and the view cannot make any.
void StepLinesThroughMemory(MemoryView memory, const DelayLineSlots& slots, int firstLine, int count,
                            double position, double next, const double* in, double* out) noexcept;

// The sample counter's pacing of the detectors for one frame, and (inside the kernel)
// which channels run.
enum BandFrameFlags : unsigned {
    kRunChannel1 = 1,
    kRunChannel2 = 2,
    kEverySecond = 4,
    kEveryFourth = 8,
};

// What a run of frames takes from the block section and leaves for it: the sample
// counter before and after, and the last frame's input and output (sample values 0
// and 1), which the mono detection and the sample values keep.
struct FrameRun {
    double counter = 0.0;
    double lastInput[2] = {};
    double lastOutput[2] = {};
};

// `frames` stereo frames from in[0], in[1] to out[0], out[1], each frame's inputs read
// before its outputs are written (in place is fine): per frame the sample counter, the
// gains, the encoding, both channels' band paths (channel 1 first), the decoding.
template <typename Sample>
using BandBlockKernel = void (*)(BandPathState& state, const BandBlockSettings& settings, const DelayLineSlots& slots,
                                 MemoryView memory, const Sample* const* in, Sample* const* out, int32_t frames,
                                 FrameRun& run);

// One instruction set's kernels for the two audio entries.
struct BandKernels {
    BandBlockKernel<float> floats;
    BandBlockKernel<double> doubles;
    BandBlockKernel<float> For(const float*) const { return floats; }
    BandBlockKernel<double> For(const double*) const { return doubles; }
};

// The instruction sets the band path is built for.
enum class SimdPath : int {
    kBest = 0,     // the widest this CPU runs
    kBaseline = 1, // SSE2, on every x86-64
    kAvx2 = 2,     // AVX2 and FMA
    kAvx512 = 3,   // AVX-512 F, DQ and VL: all eight band-channels in one register
};

extern const BandKernels kBandKernelsBaseline;
// Null kernels when the build has no such path.
extern const BandKernels kBandKernelsAvx2;
extern const BandKernels kBandKernelsAvx512;

// True when this CPU and its operating system run AVX2 and FMA code.
bool CpuRunsAvx2();
// True when this CPU and its operating system run AVX-512 F, DQ and VL code (the
// operating system saves the mask and upper vector registers).
bool CpuRunsAvx512();
// The path a request comes to on this CPU: kBest gives the widest that runs; a path
// that does not run here gives the widest narrower one that does.
SimdPath ResolveSimdPath(SimdPath requested);
// The request named by the environment variable TOLVANGER_SIMD ("sse2", "avx2",
// "avx512"), kBest when it is unset or names none of them.
SimdPath SimdPathFromEnvironment();
const BandKernels* KernelFor(SimdPath resolved);
const char* SimdPathName(SimdPath path);
