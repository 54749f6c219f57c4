#pragma once
// The drag the editor tests make on the "LO Gain" knob, with XTest: pressed on the knob at
// 0 dB (it covers x 247 to 278 on the track from y 279) and let go 38 editor units to the
// right. The editor fills `window` from its corner at `scale` pixels per unit;
// `idleFor(milliseconds)` idles it like a host.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cmath>

#include "tests/x11_test_display.h"

namespace testing_support {

template <class IdleFor> void DragLoGainKnob(Display* display, Window window, IdleFor idleFor, double scale = 1.0)
{
    const auto pixel = [scale](int units) { return static_cast<int>(std::lround(units * scale)); };
    MovePointer(display, window, pixel(262), pixel(286));
    idleFor(100);
    XTestFakeButtonEvent(display, 1, True, 0);
    idleFor(100);
    for (int x = 270; x <= 300; x += 10) {
        MovePointer(display, window, pixel(x), pixel(290));
        idleFor(60);
    }
    XTestFakeButtonEvent(display, 1, False, 0);
    idleFor(150);
}

} // namespace testing_support
