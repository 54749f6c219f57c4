#pragma once

#include "host/vst_abi.h"

// Makes one plug-in instance and answers its record, or null when the host is too old
// (it answers 0 to the version query) or the instance could not be made.
AEffect* CreatePluginInstance(audioMasterCallback audioMaster);
