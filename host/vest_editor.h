#pragma once
// The editor the host talks to: a fixed 890 by 550 child window whose whole surface the
// effect's drawing section paints. Thread: the host's GUI thread.

#include <memory>

#include "host/audio_effect.h"

class CVeST;
class CVeSTView;
namespace gui {
class Frame;
}

class CVeSTEditor : public AEffEditor {
public:
    CVeSTEditor(CVeST* host, int width, int height);
    ~CVeSTEditor() override;

    // Makes the frame and its one view in the host's window (an X11 window id or an HWND).
    // Answers true also with no usable parent: then nothing is ever painted.
    bool open(void* parentWindow) override;
    void close() override;
    // The redraw timer, then the frame's pending window events and paints.
    void idle() override;
    bool onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers) override;
    bool onKeyUp(int32_t character, int32_t virtualKey, int32_t modifiers) override;

    // Asks the view to repaint its whole area; false with no view.
    bool Redraw();
    gui::Frame* frame() const { return frame_.get(); }
    CVeSTView* view() const { return view_; }

    CVeST* hostObject;
    int width;
    int height;

private:
    std::unique_ptr<gui::Frame> frame_;
    CVeSTView* view_ = nullptr;
};
