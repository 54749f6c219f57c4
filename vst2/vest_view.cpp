#include "vst2/vest_view.h"

#include "gui/draw_context.h"
#include "vst2/vest.h"

CVeSTView::CVeSTView(CVeST* host, double width, double height) : hostObject(host), right(width), bottom(height) {}

void CVeSTView::Draw(gui::DrawContext& context)
{
    if (!hostObject || !hostObject->table.draw) return;
    // Every paint starts from the context's initial settings: no font until one is chosen.
    context.ResetState();
    hostObject->drawContext = &context;
    hostObject->table.draw(hostObject, right - left, bottom - top);
    hostObject->drawContext = nullptr;
}

bool CVeSTView::OnMouseDown(double x, double y, int buttons)
{
    if (hostObject && hostObject->table.mouseDown) hostObject->table.mouseDown(hostObject, x, y, buttons);
    return true;
}

bool CVeSTView::OnMouseUp(double x, double y, int buttons)
{
    if (hostObject && hostObject->table.mouseUp) hostObject->table.mouseUp(hostObject, x, y, buttons);
    return true;
}

bool CVeSTView::OnMouseMove(double x, double y, int buttons)
{
    if (hostObject && hostObject->table.mouseMove) hostObject->table.mouseMove(hostObject, x, y, buttons);
    return true;
}

bool CVeSTView::OnKeyDown(const gui::Key& key)
{
    if (hostObject && hostObject->table.keyDown)
        hostObject->table.keyDown(hostObject, static_cast<int>(key.character), key.modifiers, key.virtualKey);
    return true;
}

bool CVeSTView::OnKeyUp(const gui::Key& key)
{
    if (hostObject && hostObject->table.keyUp)
        hostObject->table.keyUp(hostObject, static_cast<int>(key.character), key.modifiers, key.virtualKey);
    return true;
}
