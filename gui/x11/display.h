#pragma once
// What the X11 frame offers beyond gui/frame.h: a display other than $DISPLAY, and the
// frame's own connection.

#include <cstdint>
#include <memory>

#include "gui/frame.h"

struct _XDisplay;

namespace gui::x11 {

// A frame whose window lives on the named display (null for $DISPLAY).
std::unique_ptr<Frame> MakeFrameOnDisplay(std::uintptr_t parent, int width, int height, std::unique_ptr<View> view,
                                          const char* displayName, double scale = 1.0);

// The frame's own display connection, null without one; for tests. Errors of requests made
// on it outside the frame's calls are not the frame's to catch.
_XDisplay* DisplayOf(const Frame& frame);

} // namespace gui::x11
