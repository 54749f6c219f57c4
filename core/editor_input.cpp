#include "core/editor_input.h"

#include <algorithm>

#include "core/plugin.h"
#include "gui/draw_context.h"
#include "gui/input.h"
#include "runtime/host_interface.h"
#include "runtime/vexl.h"

PaintScope::PaintScope(Plugin& plugin, gui::DrawContext& context) : plugin_(plugin), active_(plugin.Host() != nullptr)
{
    if (!active_) return;
    // Every paint starts from the context's initial settings: no font until one is chosen.
    context.ResetState();
    plugin_.Host()->drawContext = &context;
}

PaintScope::~PaintScope()
{
    if (active_) plugin_.Host()->drawContext = nullptr;
}

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

void RaiseRedrawRate(TVexl& e) { e.redrawRate = std::max(static_cast<double>(e.redrawRate), 30.0); }
