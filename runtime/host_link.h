#pragma once
// The runtime's link to the plug-in format hosting it, through which every host query goes.

#include "runtime/host_interface.h"
#include "runtime/memory.h"

class CVexlVeST : public CVexlMemory {
public:
    HostInterface* hostObject = nullptr;
};
