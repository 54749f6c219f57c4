#pragma once
// Presets for the plug-in being rendered through: a preset file in the VST layouts (a
// program, .fxp, or a bank, .fxb, holding a state chunk or a parameter list; read and
// written by core/preset_file.h), or a Tolvanger preset named by its name.

#include <string>
#include <vector>

#include "tools/hostkit/plugin_host.h"

namespace render {

// A preset's file bytes and how messages name it.
struct PresetSource {
    std::vector<unsigned char> bytes;
    std::string what;
};

// The file of that name when there is one, else the factory preset or the user preset of
// that name (in any case); failures are a RenderError.
PresetSource ResolvePreset(const std::string& nameOrPath);

// The --list-presets text: every factory preset with its line, then the user's presets, an
// unreadable one with the reason.
std::string PresetListing();

// Loads a preset into the plug-in after checking that it is whole and that its unique ID is
// the plug-in's; any failure is a RenderError and changes nothing.
void LoadPreset(hostkit::PluginInstance& plugin, const PresetSource& preset);

// Checks that a preset can be saved under this name (.fxp or .fxb) by this plug-in.
void CheckPresetName(const AEffect* effect, const std::string& path);

// The bytes of a preset file of the plug-in's current settings: a bank when the name ends
// in .fxb, a program otherwise; the program name is the file name without its extension.
std::vector<unsigned char> EncodePreset(hostkit::PluginInstance& plugin, const std::string& path);

} // namespace render
