// The UI library's one exported entry point.

#include "lv2/editor.h"

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? EditorDescriptor() : nullptr;
}
