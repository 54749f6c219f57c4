// The factory bank for CLAP hosts: a preset-discovery factory whose one provider declares the
// presets inside the plug-in (location kind "plugin", each preset's key as its load key),
// and the preset-load extension that loads one of them by that key. A load sets every
// parameter as one change and asks the host to read the values again; it records nothing as
// automation, as the choice is the host's.

#include <cstring>
#include <new>

#include "clap/descriptor.h"
#include "clap/instance.h"

namespace clap_adapter {

namespace {

const clap_preset_discovery_provider_descriptor_t kProviderDescriptor = {
    kClapVersion,
    "com.calderforges.tolvanger.factory-presets",
    "Tolvanger factory presets",
    "Calder Forges",
};

// The indexer the provider reports its location to, and the plug-in's CLAP face.
struct Provider {
    clap_preset_discovery_provider_t clap;
    const clap_preset_discovery_indexer_t* indexer;
};

const Provider* ProviderOf(const clap_preset_discovery_provider_t* provider)
{
    return provider && provider->desc == &kProviderDescriptor ? static_cast<const Provider*>(provider->provider_data)
                                                              : nullptr;
}

bool ProviderInit(const clap_preset_discovery_provider_t* provider)
{
    const Provider* self = ProviderOf(provider);
    if (!self || !self->indexer || !self->indexer->declare_location) return false;
    const clap_preset_discovery_location_t location = {CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT,
                                                       "Tolvanger factory presets",
                                                       CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};
    return self->indexer->declare_location(self->indexer, &location);
}

void ProviderDestroy(const clap_preset_discovery_provider_t* provider) { delete ProviderOf(provider); }

bool ProviderMetadata(const clap_preset_discovery_provider_t* provider, uint32_t kind, const char* location,
                      const clap_preset_discovery_metadata_receiver_t* receiver)
{
    if (!ProviderOf(provider) || kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location || !receiver ||
        !receiver->begin_preset)
        return false;
    try {
        const clap_universal_plugin_id_t plugin = {"clap", kDescriptor.id};
        for (int i = 0; i < presets::FactoryCount(); ++i) {
            const FactoryPreset& preset = *presets::Factory(i);
            const std::string key = presets::FactoryKey(i);
            if (!receiver->begin_preset(receiver, preset.name, key.c_str())) break;
            if (receiver->add_plugin_id) receiver->add_plugin_id(receiver, &plugin);
            if (receiver->set_flags) receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
            if (receiver->add_creator) receiver->add_creator(receiver, kDescriptor.vendor);
            if (receiver->set_description) receiver->set_description(receiver, preset.line);
        }
    } catch (...) {
        return false;
    }
    return true;
}

const void* ProviderExtension(const clap_preset_discovery_provider_t*, const char*) { return nullptr; }

uint32_t ProviderCount(const clap_preset_discovery_factory_t*) { return 1; }

const clap_preset_discovery_provider_descriptor_t* ProviderDescriptor(const clap_preset_discovery_factory_t*,
                                                                      uint32_t index)
{
    return index == 0 ? &kProviderDescriptor : nullptr;
}

const clap_preset_discovery_provider_t* CreateProvider(const clap_preset_discovery_factory_t*,
                                                       const clap_preset_discovery_indexer_t* indexer, const char* id)
{
    if (!indexer || !id || std::strcmp(id, kProviderDescriptor.id) != 0) return nullptr;
    auto* self = new (std::nothrow) Provider{};
    if (!self) return nullptr;
    self->indexer = indexer;
    self->clap = {&kProviderDescriptor, self, ProviderInit, ProviderDestroy, ProviderMetadata, ProviderExtension};
    return &self->clap;
}

// The host's side of preset loading, under either of its names; null when it has none.
const clap_host_preset_load_t* HostPresetLoad(const clap_host_t* host)
{
    if (!host->get_extension) return nullptr;
    const void* found = host->get_extension(host, CLAP_EXT_PRESET_LOAD);
    if (!found) found = host->get_extension(host, CLAP_EXT_PRESET_LOAD_COMPAT);
    return static_cast<const clap_host_preset_load_t*>(found);
}

bool FromLocation(const clap_plugin_t* plugin, uint32_t kind, const char* location, const char* key)
{
    Instance* self = Instance::From(plugin);
    if (!self || !self->OnMainThread()) return false;
    const clap_host_preset_load_t* hostLoad = HostPresetLoad(self->host);
    const int index =
        kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN && !location && key ? presets::FindFactoryKey(key) : -1;
    bool loaded = false;
    if (index >= 0) {
        try {
            loaded = self->plugin.LoadPreset(presets::FactoryValues(index), presets::Factory(index)->name,
                                             Plugin::PresetEdits::kHostKnows);
        } catch (...) {
            loaded = false;
        }
    }
    if (!loaded) {
        if (hostLoad && hostLoad->on_error)
            hostLoad->on_error(self->host, kind, location, key, 0,
                               index < 0 ? "no factory preset has this load key" : "the preset could not be loaded");
        return false;
    }
    self->ValuesChanged();
    if (hostLoad && hostLoad->loaded) hostLoad->loaded(self->host, kind, location, key);
    return true;
}

} // namespace

const clap_preset_discovery_factory_t kPresetDiscoveryFactory = {ProviderCount, ProviderDescriptor, CreateProvider};

const clap_plugin_preset_load_t kPresetLoad = {FromLocation};

} // namespace clap_adapter
