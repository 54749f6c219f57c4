#include "vst2/vest_editor.h"

#include <cstdint>

#include "core/editor_frame.h"
#include "gui/frame.h"
#include "vst2/vest.h"
#include "vst2/vest_view.h"

CVeSTEditor::CVeSTEditor(CVeST* host, int w, int h) : AEffEditor(host), hostObject(host), width(w), height(h)
{
    SetRect(width, height);
}

CVeSTEditor::~CVeSTEditor() { close(); }

void CVeSTEditor::SetRect(int pixelWidth, int pixelHeight)
{
    rect_ = ERect{0, 0, static_cast<int16_t>(pixelHeight), static_cast<int16_t>(pixelWidth)};
}

bool CVeSTEditor::getRect(ERect** rect)
{
    if (!rect) return false;
    if (frame_) {
        SetRect(frame_->PixelWidth(), frame_->PixelHeight());
    } else {
        int pixelWidth = 0;
        int pixelHeight = 0;
        EditorFrame::OpeningSize(hostScale_, pixelWidth, pixelHeight);
        SetRect(pixelWidth, pixelHeight);
    }
    *rect = &rect_;
    return true;
}

bool CVeSTEditor::open(void* parentWindow)
{
    // Some hosts open again without closing first.
    close();
    auto view = std::make_unique<CVeSTView>(hostObject, width, height);
    CVeSTView* raw = view.get();
    frame_ = std::make_unique<EditorFrame>(reinterpret_cast<std::uintptr_t>(parentWindow), std::move(view), hostScale_);
    frame_->SetResizeRequest([this](int w, int h) {
        SetRect(w, h);
        if (hostObject) hostObject->callHost(audioMasterSizeWindow, w, h);
    });
    SetRect(frame_->PixelWidth(), frame_->PixelHeight());
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

void CVeSTEditor::SetHostScale(double scale)
{
    hostScale_ = scale;
    if (frame_) frame_->SetHostScale(scale);
}

gui::Frame* CVeSTEditor::frame() const { return frame_ ? &frame_->Frame() : nullptr; }

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
    return frame_ && frame_->Frame().KeyDown(HostKey(character, virtualKey, modifiers));
}

bool CVeSTEditor::onKeyUp(int32_t character, int32_t virtualKey, int32_t modifiers)
{
    return frame_ && frame_->Frame().KeyUp(HostKey(character, virtualKey, modifiers));
}

bool CVeSTEditor::Redraw()
{
    if (!frame_ || !view_) return false;
    frame_->Frame().Invalidate();
    return true;
}
