#pragma once

#include <X11/Xlib.h>

namespace gui::x11 {

// XOpenDisplay, tried again a few times when the server drops the connection at once. The
// X server of Debian 12 (21.1) may close a new connection without any reply when it arrives
// just as the same client's previous connection closes, which a host closing and reopening
// an editor does; a moment later the same request succeeds. Null when the display cannot be
// opened. `name` null means $DISPLAY.
Display* OpenDisplay(const char* name);

} // namespace gui::x11
