#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "gui/input.h"
#include "gui/view.h"

struct _XDisplay;

namespace gui {

// A child window inside a host's window, showing one view. The frame opens its own X
// display connection and touches it only inside its own calls, so every window event
// (expose, buttons, motion, keys) is handled when Idle() runs. Painting is double-buffered:
// the view draws into an image of the frame's size, which is then copied to the window.
// With a parent of 0, a parent that is not a window, or no display, the frame has no window:
// nothing is painted and every call is harmless. X errors of the frame's connection never
// reach the process-wide Xlib handlers, and a lost connection leaves the frame without window
// instead of ending the process.
// Thread: the GUI thread, the one that made the frame, except where a call says otherwise.
class Frame {
public:
    // `parent`: an X11 Window id. `displayName`: null for $DISPLAY.
    Frame(std::uintptr_t parent, int width, int height, std::unique_ptr<View> view, const char* displayName = nullptr);
    // Closes the window and the connection, then destroys the view.
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    // Handles the pending window events, then repaints if the view was exposed or invalidated.
    void Idle();
    // Asks for a repaint of the whole view on the next Idle(). Any thread.
    void Invalidate();
    // Repaints the whole view at once.
    void PaintNow();
    // Offers a key the host passed to its editor to the view; answers whether it was handled.
    bool KeyDown(const Key& key);
    bool KeyUp(const Key& key);

    View& GetView() { return *view_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // False when the frame never got a window, or lost it (parent destroyed, connection lost).
    bool HasWindow() const;
    // The child window's id, 0 without window.
    std::uintptr_t WindowId() const;
    // The frame's own display connection, null without one; for tests. Errors of requests
    // made on it outside the frame's calls are not the frame's to catch.
    _XDisplay* XDisplay() const;

private:
    struct Native;

    std::unique_ptr<View> view_;
    int width_;
    int height_;
    std::atomic<bool> invalid_{false};
    std::unique_ptr<Native> native_;
};

} // namespace gui
