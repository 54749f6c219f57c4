#pragma once
// The plug-in being rendered through: its library and one instance of it.

#include <memory>
#include <string>

#include "tools/hostkit/plugin_host.h"

namespace render {

struct LoadedPlugin {
    std::unique_ptr<hostkit::PluginLibrary> library;
    // Declared after the library, so that it is closed before the library is unloaded.
    std::unique_ptr<hostkit::PluginInstance> instance;

    AEffect* effect() const { return instance->effect(); }
};

// Loads the library, makes an instance and checks it is a stereo effect; failures are a
// RenderError. The instance is not started yet.
LoadedPlugin LoadPlugin(const std::string& path);

// A four-character code as text ('TLVG'), or in hexadecimal when not printable.
std::string FourCharacters(int32_t code);

} // namespace render
