// The library's exported entry points; vst2/exports.def names them (and gives "main" as a
// second name of VSTPluginMain), and nothing else leaves the DLL.

#include "vst2/instance.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster) { return CreatePluginInstance(audioMaster); }

extern "C" AEffect* MAIN(audioMasterCallback audioMaster) { return CreatePluginInstance(audioMaster); }
