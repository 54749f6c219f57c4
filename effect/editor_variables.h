#pragma once
// The editor's variables: layout constants, the drawing colour, the mouse copies of the
// frame and the per-widget state. Every one is a script value that the reset section
// sets to 0.

#include "runtime/shared_value.h"

struct EditorVariables {
    SharedValue colourRed;
    SharedValue colourGreen;
    SharedValue colourBlue;
    SharedValue colourAlpha;
};
