#include "vst2/vest_view.h"

#include "gui/input.h"
#include "vst2/vest.h"

CVeSTView::CVeSTView(CVeST* host, double width, double height) : hostObject(host), right(width), bottom(height) {}

void CVeSTView::Draw()
{
    if (hostObject && hostObject->table.draw) hostObject->table.draw(hostObject, right - left, bottom - top);
}

void CVeSTView::MouseDown(double x, double y, int buttons)
{
    if (hostObject && hostObject->table.mouseDown) hostObject->table.mouseDown(hostObject, x, y, buttons);
}

void CVeSTView::MouseUp(double x, double y, int buttons)
{
    if (hostObject && hostObject->table.mouseUp) hostObject->table.mouseUp(hostObject, x, y, buttons);
}

void CVeSTView::MouseMove(double x, double y, int buttons)
{
    if (hostObject && hostObject->table.mouseMove) hostObject->table.mouseMove(hostObject, x, y, buttons);
}

void CVeSTView::Idle()
{
    if (hostObject && hostObject->table.idle) hostObject->table.idle(hostObject);
}

bool CVeSTView::KeyDown(const gui::Key& key)
{
    if (hostObject && hostObject->table.keyDown)
        hostObject->table.keyDown(hostObject, static_cast<int>(key.character), key.modifiers, key.virtualKey);
    return true;
}

bool CVeSTView::KeyUp(const gui::Key& key)
{
    if (hostObject && hostObject->table.keyUp)
        hostObject->table.keyUp(hostObject, static_cast<int>(key.character), key.modifiers, key.virtualKey);
    return true;
}
