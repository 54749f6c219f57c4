#pragma once
// The comparison of the Linux and the Windows library: both run the same host code on the same
// programme material with the same settings. The Linux side (linux_reference.cpp, run first by
// make windows-test) writes its input and results into a folder; the Windows tests read them and
// compare with what the DLL gives.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tools/hostkit/plugin_host.h"

namespace cross_build {

constexpr float kSampleRate = 44100.0f;
constexpr int kFrames = 3 * 44100;
constexpr int kBlockSizes[] = {64, 441, 4096};

// The folder beside the Windows test program that the Linux side fills.
inline constexpr const char* kFolder = "linux-reference";
inline constexpr const char* kInputFile = "input.f64";
inline constexpr const char* kChunkFile = "chunk.bin";
inline constexpr const char* kDisplaysFile = "displays.txt";

inline std::string OutputFile(bool doublePrecision, int blockSize)
{
    return std::string(doublePrecision ? "output_double_" : "output_float_") + std::to_string(blockSize) + ".f64";
}

struct Setting {
    int index;
    float value;
};

// Every stage away from its defaults: compression, transients, band gains, inertia, punch,
// balance and both gains (parameter indexes and normalised values).
constexpr Setting kSettings[] = {
    {0, 0.75f},   // LO Compress 30 dB
    {2, 0.5f},    // HM Compress 20 dB
    {6, 0.75f},   // LM Transient 5
    {8, 0.2f},    // HI Transient -6
    {11, 0.425f}, // LM Gain -3 dB
    {13, 0.6f},   // HI Gain 4 dB
    {23, 0.3f},   // Inertia 0.3
    {24, 1.0f},   // Punch on
    {25, 0.6f},   // M-S Balance 0.6 dB
    {28, 0.65f},  // Input 6 dB
    {29, 0.45f},  // Output -2 dB
};

struct Stereo {
    std::vector<double> left;
    std::vector<double> right;
};

// The largest difference between two renders of the same frames, over both channels.
inline double LargestDifference(const Stereo& a, const Stereo& b)
{
    double largest = 0.0;
    for (std::size_t i = 0; i < a.left.size() && i < b.left.size(); ++i)
        largest = std::max({largest, std::fabs(a.left[i] - b.left[i]), std::fabs(a.right[i] - b.right[i])});
    return largest;
}

// A new instance, started at the rate and block size, with the settings applied.
inline std::unique_ptr<hostkit::PluginInstance> SetUpInstance(hostkit::EntryProc entry, int blockSize)
{
    auto instance = hostkit::PluginInstance::Create(entry);
    if (!instance) return nullptr;
    instance->Start(kSampleRate, blockSize);
    for (const Setting& s : kSettings)
        instance->SetParameter(s.index, s.value);
    return instance;
}

// The input through a fresh instance in blocks of `blockSize`, by the 32-bit or the 64-bit
// entry; 32-bit output is widened back to double.
inline Stereo Render(hostkit::EntryProc entry, const Stereo& input, bool doublePrecision, int blockSize)
{
    Stereo out;
    auto instance = SetUpInstance(entry, blockSize);
    if (!instance) return out;
    const int frames = static_cast<int>(input.left.size());
    out.left.resize(frames);
    out.right.resize(frames);
    std::vector<float> inL(blockSize), inR(blockSize), outL(blockSize), outR(blockSize);
    std::vector<double> inLd(blockSize), inRd(blockSize), outLd(blockSize), outRd(blockSize);
    for (int start = 0; start < frames; start += blockSize) {
        const int n = std::min(blockSize, frames - start);
        if (doublePrecision) {
            std::copy_n(input.left.begin() + start, n, inLd.begin());
            std::copy_n(input.right.begin() + start, n, inRd.begin());
            double* in[2] = {inLd.data(), inRd.data()};
            double* o[2] = {outLd.data(), outRd.data()};
            instance->Process(in, o, n);
            std::copy_n(outLd.begin(), n, out.left.begin() + start);
            std::copy_n(outRd.begin(), n, out.right.begin() + start);
        } else {
            for (int i = 0; i < n; ++i) {
                inL[i] = static_cast<float>(input.left[start + i]);
                inR[i] = static_cast<float>(input.right[start + i]);
            }
            float* in[2] = {inL.data(), inR.data()};
            float* o[2] = {outL.data(), outR.data()};
            instance->Process(in, o, n);
            for (int i = 0; i < n; ++i) {
                out.left[start + i] = outL[i];
                out.right[start + i] = outR[i];
            }
        }
    }
    return out;
}

// Each parameter's display text at 0, 1/40, ..., 1, one per line: the number formatting of
// the two C runtimes.
inline std::string DisplayTexts(hostkit::EntryProc entry)
{
    std::string texts;
    auto instance = hostkit::PluginInstance::Create(entry);
    if (!instance) return texts;
    instance->Start(kSampleRate, 512);
    for (int index = 0; index < instance->effect()->numParams; ++index) {
        for (int k = 0; k <= 40; ++k) {
            instance->SetParameter(index, static_cast<float>(k) / 40.0f);
            texts += std::to_string(index) + " " + std::to_string(k) + " " + instance->ParameterDisplay(index) + "\n";
        }
    }
    return texts;
}

// Files of raw little-endian doubles: the left channel, then the right.
inline bool WriteStereo(const std::string& path, const Stereo& s)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(s.left.data()), static_cast<std::streamsize>(s.left.size() * 8));
    out.write(reinterpret_cast<const char*>(s.right.data()), static_cast<std::streamsize>(s.right.size() * 8));
    return static_cast<bool>(out);
}

inline Stereo ReadStereo(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Stereo s;
    const std::size_t frames = bytes.size() / 16;
    s.left.resize(frames);
    s.right.resize(frames);
    std::memcpy(s.left.data(), bytes.data(), frames * 8);
    std::memcpy(s.right.data(), bytes.data() + frames * 8, frames * 8);
    return s;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

} // namespace cross_build
