#pragma once
// The plug-in being rendered through: its library and one instance of it.

#include <memory>
#include <string>

#include "tools/hostkit/plugin_host.h"

namespace render {

// The plug-in's library, loaded once; every job makes its own instances of it.
class LoadedPlugin {
public:
    // Loads the library and checks that it is a stereo effect; failures are a RenderError.
    explicit LoadedPlugin(const std::string& path);

    // A new instance, not started yet; any thread may ask, and instances are independent.
    std::unique_ptr<hostkit::PluginInstance> NewInstance() const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::unique_ptr<hostkit::PluginLibrary> library_;
    hostkit::EntryProc entry_ = nullptr;
};

} // namespace render
