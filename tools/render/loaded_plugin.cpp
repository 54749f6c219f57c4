#include "tools/render/loaded_plugin.h"

#include "tools/render/render_error.h"

namespace render {

LoadedPlugin::LoadedPlugin(const std::string& path) : path_(path)
{
    std::string error;
    library_ = hostkit::PluginLibrary::Load(path, &error);
    if (!library_) throw RenderError("cannot load the plug-in " + path + ": " + error);

    entry_ = library_->Entry("VSTPluginMain");
    if (!entry_) entry_ = library_->Entry("main");
    if (!entry_) throw RenderError(path + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    NewInstance();
}

std::unique_ptr<hostkit::PluginInstance> LoadedPlugin::NewInstance() const
{
    auto instance = hostkit::PluginInstance::Create(entry_);
    if (!instance) throw RenderError("the plug-in " + path_ + " made no instance");

    const AEffect* effect = instance->effect();
    if (effect->magic != 0x56737450) throw RenderError(path_ + " answered a record that is not a VST plug-in's");
    if (effect->numInputs != 2 || effect->numOutputs != 2)
        throw RenderError("the plug-in has " + std::to_string(effect->numInputs) + " inputs and " +
                          std::to_string(effect->numOutputs) + " outputs; only stereo effects can be rendered");
    if (!effect->processReplacing || !(effect->flags & effFlagsCanReplacing))
        throw RenderError("the plug-in does not offer processReplacing");
    return instance;
}

} // namespace render
