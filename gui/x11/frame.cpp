#include "gui/frame.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>
#include <utility>

#include "gui/cairo/native.h"
#include "gui/draw_context.h"
#include "gui/scale.h"
#include "gui/x11/display.h"
#include "gui/x11/error_trap.h"
#include "gui/x11/open_display.h"

namespace gui {

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            KeyReleaseMask | StructureNotifyMask;

// The gui bit of an X button number; 0 for the wheel (4 to 7) and unknown buttons.
int ButtonBit(unsigned int button)
{
    switch (button) {
    case Button1:
        return kLeftButton;
    case Button2:
        return kMiddleButton;
    case Button3:
        return kRightButton;
    case 8:
        return kExtraButton1;
    case 9:
        return kExtraButton2;
    default:
        return 0;
    }
}

int ModifierBits(unsigned int state)
{
    int bits = 0;
    if (state & ShiftMask) bits |= kShift;
    if (state & ControlMask) bits |= kControl;
    if (state & Mod1Mask) bits |= kAlt;
    return bits;
}

KeyName NameOf(KeySym keysym)
{
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
        return KeyName::kEnter;
    case XK_Escape:
        return KeyName::kEscape;
    case XK_BackSpace:
        return KeyName::kBackspace;
    case XK_Delete:
    case XK_KP_Delete:
        return KeyName::kDelete;
    case XK_Left:
    case XK_KP_Left:
        return KeyName::kLeft;
    case XK_Right:
    case XK_KP_Right:
        return KeyName::kRight;
    case XK_Home:
    case XK_KP_Home:
        return KeyName::kHome;
    case XK_End:
    case XK_KP_End:
        return KeyName::kEnd;
    case XK_Tab:
        return KeyName::kTab;
    default:
        return KeyName::kNone;
    }
}

Key KeyFromEvent(XKeyEvent& event)
{
    char text[8] = {};
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&event, text, sizeof text, &keysym, nullptr);
    Key key;
    key.keysym = static_cast<std::uint32_t>(keysym);
    key.modifiers = ModifierBits(event.state);
    key.name = NameOf(keysym);
    if (keysym >= 0x20 && keysym <= 0xFF) {
        key.character = static_cast<std::uint32_t>(keysym); // Latin-1 keysyms are their code points
    } else if ((keysym & 0xFF000000) == 0x01000000) {
        key.character = static_cast<std::uint32_t>(keysym & 0x00FFFFFF);
    } else if (length == 1) {
        key.character = static_cast<unsigned char>(text[0]); // Return, Tab, Escape, ...
    }
    key.text = key.name == KeyName::kNone && key.character >= 0x20 && key.character != 0x7F;
    return key;
}

} // namespace

struct Frame::Native {
    Display* display = nullptr;
    Window window = 0;
    cairo_surface_t* windowSurface = nullptr;
    cairo_surface_t* backBuffer = nullptr;
    bool lost = false;        // set by Xlib when the connection breaks
    bool windowGone = false;  // destroyed from outside, with its parent
    int heldExtraButtons = 0; // X keeps no state bits for buttons 8 and 9
    // Where the keyboard focus was before the window took it; 0 while it has not.
    Window focusBefore = 0;
    int revertBefore = RevertToParent;

    bool Usable() const { return display != nullptr && window != 0 && !lost && !windowGone; }

    void Open(Window parent, int width, int height, const char* displayName);
    void Close();
    bool Resize(int width, int height);
    void Paint(View& view, double scale);
    void Dispatch(XEvent& event, View& view, double scale, bool& exposed);
    int ButtonState(unsigned int state) const { return ModifierBits(state) | HeldButtons(state); }
    int HeldButtons(unsigned int state) const
    {
        int bits = heldExtraButtons;
        if (state & Button1Mask) bits |= kLeftButton;
        if (state & Button2Mask) bits |= kMiddleButton;
        if (state & Button3Mask) bits |= kRightButton;
        return bits;
    }
};

void Frame::Native::Open(Window parent, int width, int height, const char* displayName)
{
    display = x11::OpenDisplay(displayName);
    if (display == nullptr) return;
    x11::SurviveConnectionLoss(display, &lost);
    bool ok = false;
    {
        x11::ErrorTrap trap(display);
        XWindowAttributes parentAttributes;
        if (XGetWindowAttributes(display, parent, &parentAttributes) != 0 && parentAttributes.c_class == InputOutput) {
            XSetWindowAttributes attributes{};
            attributes.background_pixmap = None; // no clearing before an expose: no flicker
            attributes.border_pixel = 0;
            attributes.bit_gravity = NorthWestGravity;
            attributes.event_mask = kEventMask;
            window = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                   0, CopyFromParent, InputOutput, CopyFromParent,
                                   CWBackPixmap | CWBorderPixel | CWBitGravity | CWEventMask, &attributes);
            XMapWindow(display, window);
            XWindowAttributes own;
            ok = trap.Sync() && XGetWindowAttributes(display, window, &own) != 0;
            if (ok) {
                windowSurface = cairo_xlib_surface_create(display, window, own.visual, width, height);
                backBuffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
                ok = cairo_surface_status(windowSurface) == CAIRO_STATUS_SUCCESS &&
                     cairo_surface_status(backBuffer) == CAIRO_STATUS_SUCCESS && trap.Sync();
            }
        }
        if (!ok) {
            if (windowSurface != nullptr) cairo_surface_destroy(windowSurface);
            if (backBuffer != nullptr) cairo_surface_destroy(backBuffer);
            windowSurface = backBuffer = nullptr;
            if (window != 0 && !trap.Lost()) XDestroyWindow(display, window);
            window = 0;
        }
    }
    if (!ok) Close();
}

void Frame::Native::Close()
{
    if (display != nullptr) {
        x11::ErrorTrap trap(display);
        if (windowSurface != nullptr) {
            cairo_surface_finish(windowSurface);
            cairo_surface_destroy(windowSurface);
        }
        if (window != 0 && !lost && !windowGone) XDestroyWindow(display, window);
        // XCloseDisplay synchronises and runs cairo's clean-up of the connection, still trapped.
        trap.Release();
        XCloseDisplay(display);
    }
    if (backBuffer != nullptr) cairo_surface_destroy(backBuffer);
    display = nullptr;
    window = 0;
    windowSurface = backBuffer = nullptr;
}

// The window and both surfaces take the new size; false when that failed, and the frame
// then has no window.
bool Frame::Native::Resize(int width, int height)
{
    x11::ErrorTrap trap(display);
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    cairo_xlib_surface_set_size(windowSurface, width, height);
    cairo_surface_t* resized = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(resized) != CAIRO_STATUS_SUCCESS || !trap.Sync()) {
        cairo_surface_destroy(resized);
        return false;
    }
    cairo_surface_destroy(backBuffer);
    backBuffer = resized;
    return true;
}

void Frame::Native::Paint(View& view, double scale)
{
    {
        DrawContext context(std::make_unique<DrawContext::Native>(backBuffer, scale));
        view.Draw(context);
    }
    cairo_t* cr = cairo_create(windowSurface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, backBuffer, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(windowSurface);
    XFlush(display);
}

void Frame::Native::Dispatch(XEvent& event, View& view, double scale, bool& exposed)
{
    // Positions reach the view in its units.
    const auto unit = [scale](int pixels) { return pixels / scale; };
    switch (event.type) {
    case Expose:
        if (event.xexpose.window == window) exposed = true;
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window) windowGone = true;
        break;
    case ButtonPress: {
        const XButtonEvent& b = event.xbutton;
        if (b.button >= 4 && b.button <= 5) {
            view.OnWheel(unit(b.x), unit(b.y), b.button == 4 ? 1.0 : -1.0, ButtonState(b.state));
            break;
        }
        const int bit = ButtonBit(b.button);
        if (bit == 0) break;
        const int buttons = ButtonState(b.state) | bit; // the state is the one before the press
        if (bit == kExtraButton1 || bit == kExtraButton2) heldExtraButtons |= bit;
        view.OnMouseDown(unit(b.x), unit(b.y), buttons);
        break;
    }
    case ButtonRelease: {
        const XButtonEvent& b = event.xbutton;
        const int bit = ButtonBit(b.button);
        if (bit == 0) break;
        const int buttons = ButtonState(b.state) | bit;
        heldExtraButtons &= ~bit;
        view.OnMouseUp(unit(b.x), unit(b.y), buttons);
        break;
    }
    case MotionNotify: {
        // During a press X grabs the pointer for this window by itself, so motion keeps
        // coming, relative to the window, while the pointer is outside.
        const XMotionEvent& m = event.xmotion;
        view.OnMouseMove(unit(m.x), unit(m.y), ButtonState(m.state));
        break;
    }
    case KeyPress:
        view.OnKeyDown(KeyFromEvent(event.xkey));
        break;
    case KeyRelease:
        view.OnKeyUp(KeyFromEvent(event.xkey));
        break;
    default:
        break;
    }
}

Frame::Frame(std::uintptr_t nativeParent, int width, int height, std::unique_ptr<View> view, double scale)
    : view_(std::move(view)), width_(std::max(width, 1)), height_(std::max(height, 1)), scale_(ValidScale(scale)),
      native_(std::make_unique<Native>())
{
    if (nativeParent != 0 && view_)
        native_->Open(static_cast<Window>(nativeParent), PixelWidth(), PixelHeight(), nullptr);
}

Frame::~Frame()
{
    ReturnKeyboardFocus();
    native_->Close();
}

void Frame::Idle()
{
    Native& n = *native_;
    if (!n.Usable()) return;
    bool exposed = false;
    x11::ErrorTrap trap(n.display);
    // Only the events already there: a stream of motion cannot hold the host in one idle call.
    for (int pending = XPending(n.display); pending > 0 && n.Usable(); --pending) {
        XEvent event;
        XNextEvent(n.display, &event);
        n.Dispatch(event, *view_, scale_, exposed);
    }
    if (n.Usable() && (invalid_.exchange(false) || exposed)) n.Paint(*view_, scale_);
}

void Frame::SetScale(double scale)
{
    scale = ValidScale(scale);
    if (scale == scale_) return;
    scale_ = scale;
    Native& n = *native_;
    if (!n.Usable()) return;
    if (!n.Resize(PixelWidth(), PixelHeight())) {
        n.Close();
        return;
    }
    PaintNow();
}

void Frame::Invalidate() { invalid_.store(true); }

void Frame::PaintNow()
{
    Native& n = *native_;
    if (!n.Usable()) return;
    invalid_.store(false);
    x11::ErrorTrap trap(n.display);
    n.Paint(*view_, scale_);
}

bool Frame::HasWindow() const { return native_->Usable(); }

std::uintptr_t Frame::WindowId() const { return HasWindow() ? native_->window : 0; }

int Frame::ConnectionFd() const { return HasWindow() ? ConnectionNumber(native_->display) : -1; }

namespace x11 {

std::unique_ptr<Frame> MakeFrameOnDisplay(std::uintptr_t parent, int width, int height, std::unique_ptr<View> view,
                                          const char* displayName, double scale)
{
    const bool withView = view != nullptr;
    auto frame = std::make_unique<Frame>(0, width, height, std::move(view), scale); // no window yet
    if (parent != 0 && withView)
        frame->GetNative().Open(static_cast<Window>(parent), frame->PixelWidth(), frame->PixelHeight(), displayName);
    return frame;
}

_XDisplay* DisplayOf(const Frame& frame) { return frame.GetNative().display; }

} // namespace x11

int DoubleClickMilliseconds() { return 400; }

void Frame::TakeKeyboardFocus()
{
    Native& n = *native_;
    if (!n.Usable() || n.focusBefore != 0) return;
    x11::ErrorTrap trap(n.display);
    XGetInputFocus(n.display, &n.focusBefore, &n.revertBefore);
    if (n.focusBefore == 0 || n.focusBefore == n.window) n.focusBefore = PointerRoot;
    XSetInputFocus(n.display, n.window, RevertToParent, CurrentTime);
    XFlush(n.display);
}

void Frame::ReturnKeyboardFocus()
{
    Native& n = *native_;
    if (!n.Usable() || n.focusBefore == 0) return;
    x11::ErrorTrap trap(n.display);
    // The window that had it may be gone by now; the trap keeps that error to itself.
    XSetInputFocus(n.display, n.focusBefore, n.revertBefore, CurrentTime);
    trap.Sync();
    n.focusBefore = 0;
}

} // namespace gui
