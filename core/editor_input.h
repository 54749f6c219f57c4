#pragma once
// The editor's input and painting, as every format's view passes them to the effect.
// Thread: the editor's.

namespace gui {
class DrawContext;
}
class TVexl;

// The toolkit's button state at a press, translated bit by bit into the runtime's mask
// (left 1, right 2, control 4, shift 8, alt 16, middle 64).
int ToolkitButtonsToMask(int toolkitButtons);

// The pointer into the runtime's mouse variables; any of them makes the redraw timer run at
// 30 frames a second at least, so a drag is followed at once.
void PressMouse(TVexl& effect, double x, double y, int toolkitButtons);
void ReleaseMouse(TVexl& effect, double x, double y);
void MoveMouse(TVexl& effect, double x, double y);

// Runs the drawing section with `context` published in the effect's host object for the
// length of the paint; nothing is drawn without a host object.
void PaintEditor(TVexl& effect, gui::DrawContext& context);
