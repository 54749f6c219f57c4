#pragma once

#include "gui/input.h"

namespace gui {

class DrawContext;

// The content of a frame. Every call comes from the frame on the GUI thread (the thread
// that drives Frame::Idle). Coordinates are view pixels from the top-left corner; while a
// button is held they follow the pointer outside the view too, so they may be negative or
// beyond its size. `buttons` holds the input.h bits.
class View {
public:
    virtual ~View() = default;

    // Paints the whole view; the context is valid only during the call.
    virtual void Draw(DrawContext& context) = 0;

    // A button press; `buttons` includes the pressed button, the other buttons held and the
    // modifiers at the moment of the press. Answers whether the view handled it.
    virtual bool OnMouseDown(double x, double y, int buttons) = 0;
    // A button release; `buttons` is the state just before it, so it includes the released button.
    virtual bool OnMouseUp(double x, double y, int buttons) = 0;
    // Pointer movement over the view, or anywhere while a button is held.
    virtual bool OnMouseMove(double x, double y, int buttons) = 0;
    // A wheel step: `distance` +1 away from the user, -1 towards.
    virtual bool OnWheel(double x, double y, double distance, int buttons)
    {
        (void)x, (void)y, (void)distance, (void)buttons;
        return false;
    }

    // The desktop's scale for the window may have changed (on Windows: the host's window went
    // to a monitor of another resolution).
    virtual void OnDesktopScaleChanged() {}

    virtual bool OnKeyDown(const Key& key) = 0;
    virtual bool OnKeyUp(const Key& key) = 0;
};

} // namespace gui
