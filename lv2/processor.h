#pragma once
// The LV2 plug-in: the instance the VST 2.4 entry makes (the same CVeST, table and
// TVexlEffect), driven through its record. Control ports carry the parameters in the
// sliders' own units; the state extension carries the same chunk a VST host saves.

#include <lv2/core/lv2.h>

const LV2_Descriptor* ProcessorDescriptor() noexcept;
