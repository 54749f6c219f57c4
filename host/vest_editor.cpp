#include "host/vest_editor.h"

#include <cstdint>

#include "gui/frame.h"
#include "host/vest.h"
#include "host/vest_view.h"

CVeSTEditor::CVeSTEditor(CVeST* host, int w, int h) : AEffEditor(host), hostObject(host), width(w), height(h)
{
    rect_ = ERect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
}

CVeSTEditor::~CVeSTEditor() { close(); }

bool CVeSTEditor::open(void* parentWindow)
{
    // Some hosts open again without closing first.
    close();
    auto view = std::make_unique<CVeSTView>(hostObject, width, height);
    CVeSTView* raw = view.get();
    frame_ =
        std::make_unique<gui::Frame>(reinterpret_cast<std::uintptr_t>(parentWindow), width, height, std::move(view));
    view_ = raw;
    return true;
}

void CVeSTEditor::close()
{
    frame_.reset();
    view_ = nullptr;
}

void CVeSTEditor::idle()
{
    if (!frame_ || !view_) return;
    if (hostObject && hostObject->table.idle) hostObject->table.idle(hostObject);
    frame_->Idle();
}

namespace {
gui::Key HostKey(int32_t character, int32_t virtualKey, int32_t modifiers)
{
    gui::Key key;
    key.character = static_cast<std::uint32_t>(character);
    key.virtualKey = virtualKey;
    key.modifiers = modifiers;
    return key;
}
} // namespace

bool CVeSTEditor::onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers)
{
    return frame_ && frame_->KeyDown(HostKey(character, virtualKey, modifiers));
}

bool CVeSTEditor::onKeyUp(int32_t character, int32_t virtualKey, int32_t modifiers)
{
    return frame_ && frame_->KeyUp(HostKey(character, virtualKey, modifiers));
}

bool CVeSTEditor::Redraw()
{
    if (!frame_ || !view_) return false;
    frame_->Invalidate();
    return true;
}
