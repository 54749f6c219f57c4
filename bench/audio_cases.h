#pragma once
// The audio cases the benchmark and the profiling driver run: what goes into the plug-in
// and how it is set, the same for Tolvanger and for a peer loaded through the same host.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "bench/programme_material.h"
#include "tools/hostkit/plugin_host.h"

namespace audio_cases {

enum Setting {
    kDefault = 0, // default settings, loud programme: every compressor working
    kShapers = 1, // as kDefault, with all four transient shapers on
    kMono = 2,    // the same programme in both channels
    kSilence = 3, // digital silence
    kQuiet = 4,   // programme 50 dB down: no compressor over its threshold
};

inline const char* SettingName(int setting)
{
    static const char* const names[] = {"default", "shapers", "mono", "silence", "quiet"};
    return setting >= 0 && setting <= 4 ? names[setting] : "?";
}

// Ten seconds of programme, peaks near -1 dBFS (or 50 dB below for kQuiet), looped.
template <typename Sample> struct Material {
    std::vector<Sample> left, right;
    Material(double rate, int setting)
    {
        const auto frames = static_cast<size_t>(rate * 10);
        if (setting == kSilence) {
            left.assign(frames, Sample(0));
            right.assign(frames, Sample(0));
            return;
        }
        const material::Stereo s = material::Programme(rate, static_cast<int>(frames));
        const double gain = std::pow(10.0, ((setting == kQuiet ? -51.0 : -1.0) - -3.0) / 20.0);
        left.resize(frames);
        right.resize(frames);
        for (size_t i = 0; i < frames; ++i) {
            left[i] = static_cast<Sample>(s.left[i] * gain);
            right[i] = static_cast<Sample>((setting == kMono ? s.left[i] : s.right[i]) * gain);
        }
    }
};

// Tolvanger's parameters for a setting; the peer keeps its defaults, since it has no
// transient shaper to switch on.
inline void Configure(hostkit::PluginInstance& instance, int setting)
{
    if (setting != kShapers) return;
    // Parameters 5 to 8, "LO Transient" to "HI Transient", at +5, -4, +8 and -6.
    const float amounts[4] = {0.75f, 0.3f, 0.9f, 0.2f};
    for (int b = 0; b < 4; ++b)
        instance.SetParameter(5 + b, amounts[b]);
}

// Drives one started instance over the looped material, a block at a time.
template <typename Sample> class Runner {
public:
    Runner(hostkit::PluginInstance& instance, const Material<Sample>& input, int block)
        : instance_(instance), input_(input), block_(block), outLeft_(static_cast<size_t>(block)),
          outRight_(static_cast<size_t>(block))
    {
    }

    void Block()
    {
        Sample* in[2] = {const_cast<Sample*>(input_.left.data() + position_),
                         const_cast<Sample*>(input_.right.data() + position_)};
        Sample* out[2] = {outLeft_.data(), outRight_.data()};
        instance_.Process(in, out, block_);
        position_ += static_cast<size_t>(block_);
        if (position_ + static_cast<size_t>(block_) > input_.left.size()) position_ = 0;
        // The test host keeps a record of every callback; keep it short.
        if (++calls_ == 1024) {
            instance_.ClearCalls();
            calls_ = 0;
        }
    }
    const Sample* Output() const { return outLeft_.data(); }

private:
    hostkit::PluginInstance& instance_;
    const Material<Sample>& input_;
    int block_;
    std::vector<Sample> outLeft_, outRight_;
    size_t position_ = 0;
    int calls_ = 0;
};

} // namespace audio_cases
