#include "core/editor_input.h"

#include <algorithm>

#include "gui/draw_context.h"
#include "gui/input.h"
#include "runtime/vexl.h"

int ToolkitButtonsToMask(int buttons)
{
    int mask = 0;
    if (buttons & gui::kLeftButton) mask |= mouse_mask::kLeft;
    if (buttons & gui::kRightButton) mask |= mouse_mask::kRight;
    if (buttons & gui::kControl) mask |= mouse_mask::kControl;
    if (buttons & gui::kShift) mask |= mouse_mask::kShift;
    if (buttons & gui::kAlt) mask |= mouse_mask::kAlt;
    if (buttons & gui::kMiddleButton) mask |= mouse_mask::kMiddle;
    return mask;
}

namespace {
void RaiseRedrawRate(TVexl& e) { e.redrawRate = std::max(static_cast<double>(e.redrawRate), 30.0); }
} // namespace

void PressMouse(TVexl& e, double x, double y, int buttons)
{
    e.mouseX = x;
    e.mouseY = y;
    e.mouseButtons = ToolkitButtonsToMask(buttons);
    RaiseRedrawRate(e);
}

void ReleaseMouse(TVexl& e, double x, double y)
{
    e.mouseX = x;
    e.mouseY = y;
    e.mouseButtons = 0;
    e.EndEditGestures();
    RaiseRedrawRate(e);
}

void MoveMouse(TVexl& e, double x, double y)
{
    e.mouseX = x;
    e.mouseY = y;
    RaiseRedrawRate(e);
}

void PaintEditor(TVexl& e, gui::DrawContext& context)
{
    HostInterface* host = e.hostObject;
    if (!host) return;
    // Every paint starts from the context's initial settings: no font until one is chosen.
    context.ResetState();
    host->drawContext = &context;
    e.DoGraphics();
    host->drawContext = nullptr;
}
