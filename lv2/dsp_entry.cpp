// The DSP library's one exported entry point.

#include "lv2/processor.h"

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? ProcessorDescriptor() : nullptr;
}
