// The library's one export, clap_entry, and the factory that makes instances.

#include <cstring>
#include <new>

#include "clap/clap_abi.h"
#include "clap/descriptor.h"
#include "clap/instance.h"

#if defined(_WIN32)
#define TOLVANGER_CLAP_EXPORT extern "C" __declspec(dllexport)
#else
#define TOLVANGER_CLAP_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

uint32_t PluginCount(const clap_plugin_factory_t*) { return 1; }

const clap_plugin_descriptor_t* PluginDescriptor(const clap_plugin_factory_t*, uint32_t index)
{
    return index == 0 ? &clap_adapter::kDescriptor : nullptr;
}

const clap_plugin_t* CreatePlugin(const clap_plugin_factory_t*, const clap_host_t* host, const char* id)
{
    if (!host || !id || std::strcmp(id, clap_adapter::kDescriptor.id) != 0) return nullptr;
    try {
        return (new clap_adapter::Instance(host))->ClapPlugin();
    } catch (...) {
        return nullptr;
    }
}

const clap_plugin_factory_t kFactory = {PluginCount, PluginDescriptor, CreatePlugin};

// Nothing is shared between instances, so loading and unloading need no work and may repeat.
bool Init(const char* /*pluginPath*/) { return true; }
void Deinit() {}

const void* Factory(const char* id)
{
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return &kFactory;
    if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
        std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
        return &clap_adapter::kPresetDiscoveryFactory;
    return nullptr;
}

} // namespace

TOLVANGER_CLAP_EXPORT const clap_plugin_entry_t clap_entry = {kClapVersion, Init, Deinit, Factory};
