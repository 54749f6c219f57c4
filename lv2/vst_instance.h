#pragma once
// The instance inside each LV2 library: made through the VST entry, with a host callback
// that answers the version and nothing else. LV2 carries no time info through our ports,
// so the block section finds no transport; a latency report lands in the record.

#include "host/instance.h"

namespace lv2_support {

inline intptr_t QuietMaster(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Null when the instance cannot be made. Ended through the record's effClose.
inline CVeST* MakeVstInstance() { return CreateVeST(QuietMaster); }

} // namespace lv2_support
