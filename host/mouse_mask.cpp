#include "host/mouse_mask.h"

#include "gui/input.h"
#include "runtime/mouse.h"

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
