#include "clap/descriptor.h"

namespace clap_adapter {

namespace {
// Words hosts sort plug-ins by; the list ends with a null pointer.
constexpr const char* kFeatures[] = {"audio-effect", "stereo", "compressor", "mastering", nullptr};
} // namespace

// The version is the project's (CMakeLists.txt), handed in by the build.
const clap_plugin_descriptor_t kDescriptor = {
    kClapVersion,
    "com.calderforges.tolvanger",
    "Tolvanger",
    "Calder Forges",
    "",
    "",
    "",
    TOLVANGER_VERSION,
    "Four-band mastering compressor with transient shaping",
    kFeatures,
};

} // namespace clap_adapter
