#pragma once
// The LV2 editor: the same editor as every build's, drawn from the running processor when
// the host gives instance access, else from a light effect of its own that shows the
// settings the ports send. What the user changes goes to the host's ports, inside touch
// gestures where the host offers them.

#include <lv2/ui/ui.h>

const LV2UI_Descriptor* EditorDescriptor() noexcept;
