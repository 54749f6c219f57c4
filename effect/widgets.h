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
// step, default and unit of the place, showing `value`. Dragging moves the knob with the
// pointer, Shift drags finely, Control gives the default; an edit sets the effect's
// editorChanged. Answers the value it shows: the edited one, clamped into the range.
double SliderWidget(TVexlEffect& effect, const ControlPlace& place, SliderState& state, double value);

// A square switch of side `size` showing `value`, which flips once per press (setting the
// effect's editorChanged) and, while on, shows a lit square in the colour given. Answers
// the value it shows.
double ToggleWidget(TVexlEffect& effect, double x, double y, double size, SharedValue& hover, double value,
                    const ColourVariables& colour);

// A gain-reduction meter hanging down from the meter top at meterX, with a peak line that
// holds for 100 frames and then rises 3 pixels a frame. Drawn with the current alpha.
void MeterBar(TVexlEffect& effect, double gain, double exponent, const ColourVariables& colour, double meterX,
              MeterState& state);
