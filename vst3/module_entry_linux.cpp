// The pair a Linux VST 3 host calls right after loading the library and right before
// unloading it. The library keeps no module-wide state, so both only agree.

#include "vst3/export.h"

TOLVANGER_VST3_EXPORT bool ModuleEntry(void*) { return true; }
TOLVANGER_VST3_EXPORT bool ModuleExit() { return true; }
