#pragma once

#include "vst2/vst_abi.h"

class CVeST;

// Makes one plug-in instance and answers its record, or null when the host is too old
// (it answers 0 to the version query) or the instance could not be made.
AEffect* CreatePluginInstance(audioMasterCallback audioMaster);

// The same, answering the host-facing object: for tests that drive the instance through its
// record and look inside its plug-in. The instance is ended through the record's effClose
// as usual.
CVeST* CreateVeST(audioMasterCallback audioMaster);
