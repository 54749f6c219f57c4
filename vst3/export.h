#pragma once
// How the library's few entry points are marked for export. On Windows the module-definition
// file names them; elsewhere the version script keeps everything else local.

#if defined(_WIN32)
#define TOLVANGER_VST3_EXPORT extern "C"
#else
#define TOLVANGER_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif
