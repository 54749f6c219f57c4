#pragma once
// The editor's immediate-mode widgets. Once per frame each reads the mouse copies of the
// frame, updates its own state and the value it stands for, and draws itself.
// Thread: the editor's, inside the drawing section.

#include "effect/editor_layout.h"
#include "effect/editor_variables.h"
#include "runtime/graphics.h"

class TVexlEffect;

// The drawing colour as the effect's variables hold it.
DrawColour CurrentColour(const EditorVariables& editor) noexcept;
// Sets red, green and blue; alpha stays.
void SetColour(EditorVariables& editor, double red, double green, double blue) noexcept;

// A horizontal slider at place.x, place.y of place.width by place.height with the range,
// step, default and unit string of the place. Dragging moves the knob with the pointer,
// Shift drags finely, Control gives the default. The value is clamped into the range on
// every frame and written back into `value`, which the widget also answers.
double SliderWidget(TVexlEffect& effect, const ControlPlace& place, SliderState& state, SharedValue& value);

// A square switch of side `size` that flips its value once per press and, while on, shows a
// lit square in the colour given. Answers the value.
double ToggleWidget(TVexlEffect& effect, double x, double y, double size, SharedValue& hover, SharedValue& value,
                    const ColourVariables& colour);

// A gain-reduction meter hanging down from the meter top at meterX, with a peak line that
// holds for 100 frames and then rises 3 pixels a frame. Drawn with the current alpha.
void MeterBar(TVexlEffect& effect, double gain, double exponent, const ColourVariables& colour, double meterX,
              MeterState& state);
