#pragma once
// How hosts tell the effect apart: its unique ID (the VST 2.4 ID, also the one inside its
// preset files) and its version. The effect's description and the preset files read them here.

#include <cstdint>

inline constexpr int32_t kEffectUniqueId = ('T' << 24) | ('L' << 16) | ('V' << 8) | 'G';
inline constexpr int32_t kEffectVendorVersion = 1000;
// The plug-in version VST 2.4 hosts write into a program file of this effect (its AEffect's).
inline constexpr int32_t kEffectProgramVersion = 1;
