#pragma once
// The plug-in's ports: the parameters first, in the host's parameter order, so that port i
// is parameter i; then the audio ports and the latency; then the host's bypass, last so that
// sessions saved before it keep their ports. The Turtle generator checks the parameter count
// against the effect's slider definitions.

#include <cstdint>

#include "core/plugin.h"

namespace lv2_ports {

// A control port per parameter, in the parameters' order, then the audio and latency ports,
// then the enabled port (1 processing, 0 bypassed).
inline constexpr uint32_t kParameterCount = static_cast<uint32_t>(Plugin::kParameterCount);
inline constexpr uint32_t kInputLeft = kParameterCount;
inline constexpr uint32_t kInputRight = kParameterCount + 1;
inline constexpr uint32_t kOutputLeft = kParameterCount + 2;
inline constexpr uint32_t kOutputRight = kParameterCount + 3;
inline constexpr uint32_t kLatency = kParameterCount + 4;
inline constexpr uint32_t kEnabled = kParameterCount + 5;
inline constexpr uint32_t kCount = kParameterCount + 6;

} // namespace lv2_ports
