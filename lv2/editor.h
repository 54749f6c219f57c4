#pragma once
// The LV2 editor: the VST build's editor (CVeSTEditor, its view, the drawing section and
// the skin) over an instance of its own that processes no audio. Port values reach that
// instance's sliders like host parameters; what the editor changes is written back to the
// host's ports; the meters come from the processor through instance access when the host
// offers it.

#include <lv2/ui/ui.h>

const LV2UI_Descriptor* EditorDescriptor() noexcept;
