#pragma once
// --snapshot: the plug-in's editor opened through its own editor opcodes in a window of
// this program's, and the window's pixels saved as a PNG picture.

#include <string>

#include "tools/hostkit/plugin_host.h"

namespace render {

struct SnapshotOutcome {
    bool written = false;
    // Why no picture was made (no display, no editor); empty when one was.
    std::string note;
};

// Writes the picture to `pngPath`. Failing to write the file is a RenderError; having no
// display or no editor is an outcome with a note.
SnapshotOutcome SnapshotEditor(hostkit::PluginInstance& plugin, const std::string& pngPath);

} // namespace render
