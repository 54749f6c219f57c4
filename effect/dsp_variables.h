#pragma once
// The processing variables of the effect: constants from the init section, the
// coefficients of the slider section and the per-channel band-path state. Every one is
// a script value that the reset section sets to 0.

#include "runtime/shared_value.h"

struct DspVariables {
    SharedValue placeholder;
};
