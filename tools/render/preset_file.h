#pragma once
// Preset files in the standard VST layouts: a program (.fxp) or a bank (.fxb), holding the
// plug-in's state chunk ('FPCh', 'FBCh') or a list of parameter values ('FxCk', 'FxBk').

#include <string>
#include <vector>

#include "tools/hostkit/plugin_host.h"

namespace render {

// Loads a preset file into the plug-in after checking that it is whole and that its
// unique ID is the plug-in's; any failure is a RenderError and changes nothing.
void LoadPreset(hostkit::PluginInstance& plugin, const std::string& path);

// Checks that a preset can be saved under this name (.fxp or .fxb) by this plug-in.
void CheckPresetName(const AEffect* effect, const std::string& path);

// The bytes of a preset file of the plug-in's current settings: a bank when the name ends
// in .fxb, a program otherwise; the program name is the file name without its extension.
std::vector<unsigned char> EncodePreset(hostkit::PluginInstance& plugin, const std::string& path);

} // namespace render
