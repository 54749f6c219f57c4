#include "tools/render/loaded_plugin.h"

#include <cstdio>

#include "tools/render/render_error.h"

namespace render {

LoadedPlugin LoadPlugin(const std::string& path)
{
    LoadedPlugin plugin;
    std::string error;
    plugin.library = hostkit::PluginLibrary::Load(path, &error);
    if (!plugin.library) throw RenderError("cannot load the plug-in " + path + ": " + error);

    hostkit::EntryProc entry = plugin.library->Entry("VSTPluginMain");
    if (!entry) entry = plugin.library->Entry("main");
    if (!entry) throw RenderError(path + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    plugin.instance = hostkit::PluginInstance::Create(entry);
    if (!plugin.instance) throw RenderError("the plug-in " + path + " made no instance");

    const AEffect* effect = plugin.effect();
    if (effect->magic != 0x56737450) throw RenderError(path + " answered a record that is not a VST plug-in's");
    if (effect->numInputs != 2 || effect->numOutputs != 2)
        throw RenderError("the plug-in has " + std::to_string(effect->numInputs) + " inputs and " +
                          std::to_string(effect->numOutputs) + " outputs; only stereo effects can be rendered");
    if (!effect->processReplacing || !(effect->flags & effFlagsCanReplacing))
        throw RenderError("the plug-in does not offer processReplacing");
    return plugin;
}

std::string FourCharacters(int32_t code)
{
    const auto bits = static_cast<uint32_t>(code);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((bits >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", bits);
            return hex;
        }
        text += c;
    }
    return "'" + text + "'";
}

} // namespace render
