#pragma once
// One instance of the processor as every plug-in format drives it: the effect, its
// parameters, the audio entries and the state chunk. A format's adapter owns one, gives it
// the HostInterface it implements, and calls it from the threads its format names. Nothing
// here throws into the adapter; bad input gets a neutral answer and changes nothing.

#include <cstdint>
#include <memory>
#include <string>

#include "core/process.h"

class HostInterface;
class TVexlEffect;

class Plugin {
public:
    // Makes the effect and runs its reset section, as a VST host's open does. The host
    // interface outlives the plug-in. Throws std::bad_alloc when memory runs out (the
    // adapter's factory catches it).
    explicit Plugin(HostInterface& host);
    // Runs the close section.
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // Switching on: the init section (which announces the latency) and the slider section,
    // at the sample rate and block size the host interface answers then. Off the audio
    // thread; never while Process runs.
    void Activate();
    void Deactivate();

    // The audio entries: the block section once, then every frame of the two channels.
    // Inputs and outputs may be the same buffers. With no frames or a missing buffer only the
    // block section runs. Never allocates, locks or waits. The audio thread.
    void Process(const float* const* inputs, float* const* outputs, int32_t frames) noexcept;
    void Process(const double* const* inputs, double* const* outputs, int32_t frames) noexcept;

    // The host parameters, numbered 0 to ParameterCount() - 1. Values are normalised 0 to 1,
    // or in the slider's own units where the name says Value. Any thread but the audio
    // thread; a set quantises, stores and runs the slider section when the value changed.
    int32_t ParameterCount() const noexcept;
    double GetNormalized(int32_t index) const noexcept;
    void SetNormalized(int32_t index, double normalized) noexcept;
    double GetValue(int32_t index) const noexcept;
    void SetValue(int32_t index, double value) noexcept;
    std::string ParameterName(int32_t index) const;
    std::string ParameterLabel(int32_t index) const;
    std::string ParameterDisplay(int32_t index) const;

    // The state chunk: 65 little-endian floats. GetState answers its size and points `data` at
    // bytes that stay valid until the next state call; 0 when it cannot be made. SetState
    // answers false, changing nothing, for bytes that are no chunk of ours.
    int32_t GetState(const void** data) noexcept;
    bool SetState(const void* data, int32_t size) noexcept;

    // The lookahead delay the init section found, in samples (0 before it ran).
    int32_t Latency() const noexcept;

    TVexlEffect& Effect() noexcept { return *effect_; }
    HostInterface& Host() noexcept { return host_; }

private:
    HostInterface& host_;
    std::unique_ptr<TVexlEffect> effect_;
};
