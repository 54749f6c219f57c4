#pragma once
// The plug-in's ports: the parameters first, in the host's parameter order, so that port i
// is parameter i; then the audio ports and the latency. The Turtle generator checks the
// parameter count against the effect's slider definitions.

#include <cstdint>

namespace lv2_ports {

inline constexpr uint32_t kParameterCount = 30;
inline constexpr uint32_t kInputLeft = kParameterCount;
inline constexpr uint32_t kInputRight = kParameterCount + 1;
inline constexpr uint32_t kOutputLeft = kParameterCount + 2;
inline constexpr uint32_t kOutputRight = kParameterCount + 3;
inline constexpr uint32_t kLatency = kParameterCount + 4;
inline constexpr uint32_t kCount = kParameterCount + 5;

} // namespace lv2_ports
