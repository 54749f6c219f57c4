#include "vst2/instance.h"

#include <memory>
#include <new>

#include "core/plugin.h"
#include "vst2/effect_table.h"
#include "vst2/vest.h"

CVeST* CreateVeST(audioMasterCallback audioMaster)
{
    try {
        const VeSTCallbackTable table = MakeCallbackTable();
        auto plugin = std::make_unique<Plugin>();
        if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        auto* host = new CVeST(plugin.get(), table, audioMaster, 1, plugin->ParameterCount());
        plugin.release()->AttachHost(*host);
        return host;
    } catch (...) {
        return nullptr;
    }
}

AEffect* CreatePluginInstance(audioMasterCallback audioMaster)
{
    CVeST* host = CreateVeST(audioMaster);
    return host ? host->getAeffect() : nullptr;
}
