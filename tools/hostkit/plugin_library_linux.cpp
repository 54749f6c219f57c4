#include <dlfcn.h>

#include "tools/hostkit/plugin_host.h"

namespace hostkit {

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string* error)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) *error = dlerror();
        return nullptr;
    }
    return std::unique_ptr<PluginLibrary>(new PluginLibrary(handle, path));
}

PluginLibrary::~PluginLibrary()
{
    if (handle_) dlclose(handle_);
}

EntryProc PluginLibrary::Entry(const std::string& name) const
{
    return reinterpret_cast<EntryProc>(dlsym(handle_, name.c_str()));
}

} // namespace hostkit
