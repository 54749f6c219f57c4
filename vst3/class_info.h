#pragma once
// What the factory says about the one effect class: its ID and the texts of its class
// information, taken from the effect's own description and the project's version.

#include <string>

#include "vst3/vst3_abi.h"

namespace vst3_plugin {

// The effect class. Written as four words, so that it names the same GUID on every system.
constexpr vst3::Uid kEffectClassId = vst3::MakeUid(0x5A1E7C3B, 0x94D24F6E, 0xB1C8A0F3, 0x6D27E914);
constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Fx|Dynamics|Mastering|Stereo";
// The interface version these declarations follow.
constexpr const char* kSdkVersion = "VST 3.7.0";

struct ClassTexts {
    std::string name;
    std::string vendor;
    std::string version;
};

// Read once from a description of the effect; empty texts when it cannot be made.
const ClassTexts& EffectClassTexts() noexcept;

} // namespace vst3_plugin
