#pragma once
// The LV2 plug-in: the core's Plugin with control ports carrying the parameters in the
// sliders' own units, and the state extension carrying the same chunk a VST host saves.

#include <lv2/core/lv2.h>

const LV2_Descriptor* ProcessorDescriptor() noexcept;
