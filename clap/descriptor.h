#pragma once
// The one plug-in this library offers, as CLAP hosts list it.

#include "clap/clap_abi.h"

namespace clap_adapter {

extern const clap_plugin_descriptor_t kDescriptor;

} // namespace clap_adapter
