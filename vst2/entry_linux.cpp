// The library's exported entry points; nothing else leaves the shared object.

#include "vst2/instance.h"

#define TOLVANGER_EXPORT extern "C" __attribute__((visibility("default")))

TOLVANGER_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) { return CreatePluginInstance(audioMaster); }

// Older hosts look for "main"; a C++ program may not define a function of that name,
// so the same entry is given the symbol through an assembler label.
TOLVANGER_EXPORT AEffect* MainEntry(audioMasterCallback audioMaster) __asm__("main");
TOLVANGER_EXPORT AEffect* MainEntry(audioMasterCallback audioMaster) { return CreatePluginInstance(audioMaster); }

TOLVANGER_EXPORT AEffect* MAIN(audioMasterCallback audioMaster) { return CreatePluginInstance(audioMaster); }
