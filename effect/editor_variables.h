#pragma once
// The editor's variables: layout constants, the drawing colour, the mouse copies of the
// frame and the per-widget state. Every one is a script value that the reset section
// sets to 0, so the structs below hold nothing but SharedValue (the reset walks them as
// one array of SharedValue).

#include "effect/editor_layout.h"
#include "runtime/shared_value.h"

struct ColourVariables {
    SharedValue red;
    SharedValue green;
    SharedValue blue;
};

// What a slider keeps from one frame to the next; a switch uses only its hover flag.
struct SliderState {
    SharedValue hover;
    SharedValue dragging;
    // The mouse x where a Shift drag began; 0 while no fine drag runs.
    SharedValue anchor;
    // While set, the pointer never counts as over the slider.
    SharedValue lock;
};

struct MeterState {
    // Rows below the meter top; the peak line is drawn there.
    SharedValue peak;
    // Frames since the bar last reached the peak.
    SharedValue hold;
};

struct EditorVariables {
    SharedValue colourRed;
    SharedValue colourGreen;
    SharedValue colourBlue;
    SharedValue colourAlpha;

    // The runtime's mouse state, sampled once at the start of a frame.
    SharedValue mouseButtons;
    SharedValue mouseX;
    SharedValue mouseY;
    // Set by a widget that changed a value in this frame.
    SharedValue editorChanged;

    // String numbers of the texts that follow the stereo mode.
    SharedValue channel1Letter;
    SharedValue channel2Letter;
    SharedValue balanceCaption;

    // Layout and colour constants, set by the init section.
    SharedValue sliderOriginX;
    SharedValue sliderOriginY;
    SharedValue meterOriginX;
    SharedValue meterOriginY;
    SharedValue meterTop;
    SharedValue meterX[kMeterCount];
    SharedValue meterExponent[kMeterCount];
    ColourVariables switchColour;
    ColourVariables bypassColour;
    ColourVariables channel1MeterColour;
    ColourVariables channel2MeterColour;
    ColourVariables transientMeterColour;
    SharedValue buildTextNumber;

    // One per entry of kControls, in its order: no two controls share a drag.
    SliderState control[kControlCount];
    MeterState meter[kMeterCount];
};
