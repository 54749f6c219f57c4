#include "vst2/vest_editor.h"

#include <cstdint>

#include "core/editor_frame.h"
#include "core/editor_window.h"
#include "core/plugin.h"
#include "gui/frame.h"
#include "gui/input.h"
#include "vst2/vest.h"

CVeSTEditor::CVeSTEditor(CVeST* host, int w, int h)
    : AEffEditor(host), hostObject(host), width(w), height(h), view_(host, w, h)
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
    if (window_) {
        SetRect(window_->Width(), window_->Height());
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
    if (!hostObject || !hostObject->plugin) return true;
    window_ = std::make_unique<EditorWindow>(*hostObject->plugin, reinterpret_cast<std::uintptr_t>(parentWindow),
                                             hostScale_, &view_);
    window_->SetResizeRequest([this](int w, int h) {
        SetRect(w, h);
        if (hostObject) hostObject->callHost(audioMasterSizeWindow, w, h);
    });
    SetRect(window_->Width(), window_->Height());
    return true;
}

void CVeSTEditor::close() { window_.reset(); }

void CVeSTEditor::idle()
{
    if (window_) window_->Idle();
}

void CVeSTEditor::SetHostScale(double scale)
{
    hostScale_ = scale;
    if (window_) window_->SetHostScale(scale);
}

gui::Frame* CVeSTEditor::frame() const { return window_ ? window_->Frame() : nullptr; }

namespace {
// The VST 2.4 virtual keys that edit a line of text (a host passes a character, or one of
// these with no character).
gui::KeyName NameOf(int32_t virtualKey)
{
    switch (virtualKey) {
    case 1:
        return gui::KeyName::kBackspace;
    case 2:
        return gui::KeyName::kTab;
    case 4:
    case 19:
        return gui::KeyName::kEnter;
    case 6:
        return gui::KeyName::kEscape;
    case 9:
        return gui::KeyName::kEnd;
    case 10:
        return gui::KeyName::kHome;
    case 11:
        return gui::KeyName::kLeft;
    case 13:
        return gui::KeyName::kRight;
    case 22:
        return gui::KeyName::kDelete;
    default:
        return gui::KeyName::kNone;
    }
}

gui::Key HostKey(int32_t character, int32_t virtualKey, int32_t modifiers)
{
    gui::Key key;
    key.character = static_cast<std::uint32_t>(character);
    key.virtualKey = virtualKey;
    key.modifiers = modifiers;
    key.name = NameOf(virtualKey);
    key.text = key.name == gui::KeyName::kNone && character >= 0x20 && character != 0x7F;
    return key;
}
} // namespace

bool CVeSTEditor::onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers)
{
    return window_ && window_->Frame()->KeyDown(HostKey(character, virtualKey, modifiers));
}

bool CVeSTEditor::onKeyUp(int32_t character, int32_t virtualKey, int32_t modifiers)
{
    return window_ && window_->Frame()->KeyUp(HostKey(character, virtualKey, modifiers));
}

bool CVeSTEditor::Redraw()
{
    if (!window_) return false;
    return window_->Redraw();
}
