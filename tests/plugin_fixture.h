#pragma once
// Loads the built plug-in once per test program and makes instances of it through the
// host-side helper, the way a DAW would.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "tools/hostkit/plugin_host.h"

namespace testing_support {

// The library under test: the one this tree built, or the one $TOLVANGER_TEST_PLUGIN names
// (the package test points it at the library unpacked from the package).
inline const std::string& PluginPath()
{
    static const std::string path = [] {
        const char* chosen = std::getenv("TOLVANGER_TEST_PLUGIN");
        return std::string(chosen && *chosen ? chosen : TOLVANGER_PLUGIN_PATH);
    }();
    return path;
}

inline hostkit::PluginLibrary& PluginLibrary()
{
    static std::unique_ptr<hostkit::PluginLibrary> library = [] {
        std::string error;
        auto lib = hostkit::PluginLibrary::Load(PluginPath(), &error);
        if (!lib) ADD_FAILURE() << "cannot load " << PluginPath() << ": " << error;
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
