#pragma once
// Loads the built plug-in once per test program and makes instances of it through the
// host-side helper, the way a DAW would.

#include <gtest/gtest.h>

#include <memory>

#include "tools/hostkit/plugin_host.h"

namespace testing_support {

inline hostkit::PluginLibrary& PluginLibrary()
{
    static std::unique_ptr<hostkit::PluginLibrary> library = [] {
        std::string error;
        auto lib = hostkit::PluginLibrary::Load(TOLVANGER_PLUGIN_PATH, &error);
        if (!lib) ADD_FAILURE() << "cannot load " << TOLVANGER_PLUGIN_PATH << ": " << error;
        return lib;
    }();
    return *library;
}

inline std::unique_ptr<hostkit::PluginInstance> NewInstance(const char* entry = "VSTPluginMain",
                                                            intptr_t hostVersion = 2400)
{
    return hostkit::PluginInstance::Create(PluginLibrary().Entry(entry), hostVersion);
}

// An opened, running instance at the given rate.
inline std::unique_ptr<hostkit::PluginInstance> StartedInstance(float sampleRate = 44100.0f, int32_t block = 512)
{
    auto instance = NewInstance();
    if (instance) instance->Start(sampleRate, block);
    return instance;
}

} // namespace testing_support
