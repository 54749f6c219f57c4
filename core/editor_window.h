#pragma once
// The editor as every format opens it: a toolkit frame in the host's window (an X11 window
// id or an HWND) with one view that paints by running the effect's drawing section and
// hands mouse events to the runtime. The editor's own edits reach the host through the
// effect's HostInterface (BeginEdit, PerformEdit, EndEdit), which the drawing section
// calls. Thread: the host's GUI thread, the one that made the window.

#include <cstdint>
#include <memory>

#include "effect/editor_layout.h"

class TVexl;
namespace gui {
class Frame;
}

class EditorWindow {
public:
    static constexpr int kWidth = kEditorWidth;
    static constexpr int kHeight = kEditorHeight;

    // Opens the window in `parent`. With no usable parent (or no display) the window has no
    // frame window: HasWindow() is false and every call is harmless.
    EditorWindow(TVexl& effect, std::uintptr_t parent);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // The redraw timer, then the window's pending events and paints. Call it often (30 times
    // a second or more): from the host's idle, a timer or the host's run loop.
    void Idle();
    // Asks for a repaint on the next Idle(). Any thread.
    bool Redraw();
    bool HasWindow() const;
    // The child window (X11 Window or HWND); 0 without one.
    std::uintptr_t WindowId() const;
    // The X connection's file descriptor on Linux, for hosts that watch it on their own
    // run loop; -1 where there is none.
    int ConnectionFd() const;
    int Width() const { return kWidth; }
    int Height() const { return kHeight; }
    gui::Frame* Frame() const { return frame_.get(); }

private:
    TVexl& effect_;
    std::unique_ptr<gui::Frame> frame_;
};
