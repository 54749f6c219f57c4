#pragma once
// --list-params: every parameter with its index, name, display text and normalised value.

#include <string>

#include "tools/hostkit/plugin_host.h"

namespace render {

std::string ParameterListing(hostkit::PluginInstance& plugin);

} // namespace render
