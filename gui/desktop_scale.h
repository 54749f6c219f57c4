#pragma once
// The scale the desktop asks of applications for the frame's window.

namespace gui {

class Frame;

// Pixels per unit the desktop wants for the frame's window (null: before there is one), 0
// when it says nothing. On X11: $GDK_SCALE when set, else the X resource Xft.dpi over 96. On
// Windows: the resolution of the monitor the window is on over 96 (without a window, the
// system's). The GUI thread.
double DesktopScale(const Frame* frame);

} // namespace gui
