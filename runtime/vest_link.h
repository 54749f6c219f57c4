#pragma once
// The runtime's link to the host-facing object, through which every host query goes.

#include "runtime/memory.h"

class CVeST;

class CVexlVeST : public CVexlMemory {
public:
    CVeST* hostObject = nullptr;
};
