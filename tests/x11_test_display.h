#pragma once
// Window tests and the X display. Without $DISPLAY they are skipped (a test program run by
// hand on a console); `make test` always gives them one, and with $DISPLAY set a display
// that cannot be opened (with gui::x11::OpenDisplay, as the frame opens it) is a failure
// that says why, never a skip.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include <memory>

#include "gui/x11/open_display.h"
#include "tests/display_turn.h"

#ifdef TOLVANGER_HAVE_XTST
#include <X11/extensions/XTest.h>
#endif

namespace testing_support {

inline std::string DisplayFailure()
{
    const char* name = std::getenv("DISPLAY");
    std::string why = std::string("DISPLAY=") + (name ? name : "") + " is set, but the display cannot be opened: ";
    const std::string text = name ? name : "";
    if (text.size() < 2 || text[0] != ':') return why + "not a local display; see Xlib's message above";
    const std::string socket = "/tmp/.X11-unix/X" + text.substr(1, text.find('.') - 1);
    struct stat info {};
    if (stat(socket.c_str(), &info) != 0) return why + "no X server listens on " + socket;
    return why + "the server at " + socket + " refused the connection (see Xlib's message above)";
}

// A window test's start: skipped without $DISPLAY, else its turn on the display taken and
// the display opened, or a failure that says why. `display` stays null when the test ends
// here; the caller then returns.
inline void OpenWindowTestDisplay(std::unique_ptr<DisplayTurn>& turn, Display*& display)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display: window tests skipped (make test runs them on Xvfb)";
    turn = std::make_unique<DisplayTurn>();
    display = gui::x11::OpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << DisplayFailure();
}

// The window's pixel as 0xRRGGBB; 0xDEADBEEF, which no test paints, when it cannot be read
// or the visual is not 8-bit RGB.
inline unsigned long WindowPixel(Display* display, Window window, int x, int y)
{
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xDEADBEEF;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    const bool rgb = image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    XDestroyImage(image);
    return rgb ? pixel & 0xFFFFFF : 0xDEADBEEF;
}

#ifdef TOLVANGER_HAVE_XTST
// Moves the display's pointer to (x, y) in the window's coordinates and waits until the
// server has done it.
inline void MovePointer(Display* display, Window window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, 0);
    XSync(display, False);
}
#endif

} // namespace testing_support
