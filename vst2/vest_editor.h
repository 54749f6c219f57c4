#pragma once
// The editor the host talks to: the core's editor window (890 by 550 editor units at the
// editor's scale, core/editor_frame.h) in the host's window, its paints and mouse events
// passed through the table by the one CVeSTView. Thread: the host's GUI thread.

#include <memory>

#include "vst2/audio_effect.h"
#include "vst2/vest_view.h"

class CVeST;
class EditorWindow;
namespace gui {
class Frame;
}

class CVeSTEditor : public AEffEditor {
public:
    CVeSTEditor(CVeST* host, int width, int height);
    ~CVeSTEditor() override;

    // The window's size in pixels at the scale it has, or would open with.
    bool getRect(ERect** rect) override;
    // Opens the window in the host's (an X11 window id or an HWND). Answers true also with
    // no usable parent: then nothing is ever painted.
    bool open(void* parentWindow) override;
    void close() override;
    // The redraw timer, then the window's pending events and paints.
    void idle() override;
    bool onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers) override;
    bool onKeyUp(int32_t character, int32_t virtualKey, int32_t modifiers) override;

    // The host's scale (0: none); kept for the next open, applied at once to an open editor,
    // which then asks the host for its new size.
    void SetHostScale(double scale);
    // Asks the window to repaint its whole area; false while closed.
    bool Redraw();
    gui::Frame* frame() const;
    CVeSTView* view() { return window_ ? &view_ : nullptr; }

    CVeST* hostObject;
    // The editor's size in its own units.
    int width;
    int height;

private:
    void SetRect(int pixelWidth, int pixelHeight);

    double hostScale_ = 0.0;
    CVeSTView view_;
    std::unique_ptr<EditorWindow> window_;
};
