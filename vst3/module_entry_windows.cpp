// The pair a Windows VST 3 host calls right after loading the DLL and right before
// unloading it. The library keeps no module-wide state, so both only agree.

#include "vst3/export.h"

TOLVANGER_VST3_EXPORT bool InitDll() { return true; }
TOLVANGER_VST3_EXPORT bool ExitDll() { return true; }
