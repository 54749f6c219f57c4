#pragma once
// --set: a parameter chosen by the name the plug-in reports (or its index) and a value as the
// plug-in displays it, found through the plug-in's own normalised range and display texts.

#include <string>

#include "tools/hostkit/plugin_host.h"

namespace render {

// Applies one "NAME=VALUE" or "INDEX=@NORMALISED" text. Answers a note when the value lay
// between two settings the plug-in can show and the nearer one was taken, else "".
// Anything it cannot apply is a RenderError.
std::string ApplySetting(hostkit::PluginInstance& plugin, const std::string& setting);

} // namespace render
