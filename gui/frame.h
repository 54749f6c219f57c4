#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "gui/input.h"
#include "gui/view.h"

namespace gui {

// A child window inside a host's window, showing one view. Every window event (paint, buttons,
// motion, keys) reaches the view on the GUI thread: on X11 the frame has its own display
// connection and handles the pending events when Idle() runs; on Windows the host's message
// loop delivers them to the window. With a parent of 0 or a parent that is not a window (or no
// display), the frame has no window: nothing is painted and every call is harmless. Errors of
// the window system never end the process: a frame that loses its window (the parent destroyed,
// the connection lost) just has none.
// The view works in units; the window has the view's size times the frame's scale in pixels,
// the view paints through a context of that scale, and mouse positions reach it in units.
// Thread: the GUI thread, the one that made the frame, except where a call says otherwise.
class Frame {
public:
    // `nativeParent`: the host's window, an X11 Window id or an HWND. `width` and `height` in
    // units; `scale` in pixels per unit (below 1 or not finite counts as 1).
    Frame(std::uintptr_t nativeParent, int width, int height, std::unique_ptr<View> view, double scale = 1.0);
    // Closes the window, then destroys the view.
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    // Handles what is pending for the window, then repaints if the view was exposed or invalidated.
    void Idle();
    // Asks for a repaint of the whole view on the next Idle(). Any thread.
    void Invalidate();
    // Repaints the whole view at once.
    void PaintNow();
    // Offers a key the host passed to its editor to the view; answers whether it was handled.
    bool KeyDown(const Key& key);
    bool KeyUp(const Key& key);
    // The keyboard focus for the window while the view needs typed keys (a text field is
    // open), for hosts that never give it on a click; returned to where it was.
    void TakeKeyboardFocus();
    void ReturnKeyboardFocus();

    // Gives the window the size of the new scale and repaints it at once.
    void SetScale(double scale);
    double Scale() const { return scale_; }

    View& GetView() { return *view_; }
    // The view's size in units.
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The window's size in pixels.
    int PixelWidth() const;
    int PixelHeight() const;
    // False when the frame never got a window, or lost it.
    bool HasWindow() const;
    // The child window's id (X11 Window or HWND), 0 without window.
    std::uintptr_t WindowId() const;
    // The file descriptor of the frame's own X connection, for hosts that run Idle() when it
    // is readable; -1 without one (and on Windows, where the host's message loop serves).
    int ConnectionFd() const;

    // The window system's own part of the frame; only that back end defines it (see for
    // example gui/x11/display.h).
    struct Native;
    Native& GetNative() const { return *native_; }

private:
    std::unique_ptr<View> view_;
    int width_;
    int height_;
    double scale_;
    std::atomic<bool> invalid_{false};
    std::unique_ptr<Native> native_;
};

} // namespace gui
