#pragma once
// The plug-in's ports: the parameters first, in the host's parameter order, so that port i
// is parameter i; then the audio ports and the latency. The Turtle generator checks the
// parameter count against the effect's slider definitions.

#include <cstdint>

#include "core/plugin.h"

namespace lv2_ports {

// A control port per parameter, in the parameters' order, then the audio and latency ports.
inline constexpr uint32_t kParameterCount = static_cast<uint32_t>(Plugin::kParameterCount);
inline constexpr uint32_t kInputLeft = kParameterCount;
inline constexpr uint32_t kInputRight = kParameterCount + 1;
inline constexpr uint32_t kOutputLeft = kParameterCount + 2;
inline constexpr uint32_t kOutputRight = kParameterCount + 3;
inline constexpr uint32_t kLatency = kParameterCount + 4;
inline constexpr uint32_t kCount = kParameterCount + 5;

} // namespace lv2_ports
