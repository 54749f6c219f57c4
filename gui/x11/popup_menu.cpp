#include "gui/popup_menu.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "gui/cairo/native.h"
#include "gui/draw_context.h"
#include "gui/font.h"
#include "gui/frame.h"
#include "gui/x11/display.h"
#include "gui/x11/error_trap.h"

namespace gui {

namespace {

// In units, like the view; the menu is drawn at the frame's scale.
constexpr double kRowHeight = 20;
constexpr double kMarkWidth = 22;
constexpr double kMinimumWidth = 110;
constexpr int kFontSize = 12;

class Menu {
public:
    Menu(Display* display, double scale, const std::vector<MenuItem>& items)
        : display_(display), scale_(scale), items_(items),
          font_(std::make_shared<Font>("Liberation Sans", kFontSize, 0))
    {
        double textWidth = 0;
        for (const MenuItem& item : items_)
            textWidth = std::max(textWidth, font_->MeasureText(item.text));
        width_ = std::max(kMinimumWidth, kMarkWidth + textWidth + 14);
    }

    // Opens the window with its top-left corner at the root position; false when it failed.
    bool Open(int rootX, int rootY)
    {
        const int screen = DefaultScreen(display_);
        const int pixelWidth = static_cast<int>(std::lround(width_ * scale_));
        const int pixelHeight = static_cast<int>(std::lround(kRowHeight * items_.size() * scale_));
        rootX = std::clamp(rootX, 0, std::max(0, DisplayWidth(display_, screen) - pixelWidth));
        rootY = std::clamp(rootY, 0, std::max(0, DisplayHeight(display_, screen) - pixelHeight));
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True; // a menu: no frame, no placement by the window manager
        attributes.save_under = True;
        attributes.event_mask =
            ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
        window_ = XCreateWindow(display_, RootWindow(display_, screen), rootX, rootY,
                                static_cast<unsigned>(pixelWidth), static_cast<unsigned>(pixelHeight), 0,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWSaveUnder | CWEventMask, &attributes);
        XMapRaised(display_, window_);
        surface_ = cairo_xlib_surface_create(display_, window_, DefaultVisual(display_, screen), pixelWidth,
                                             pixelHeight);
        // The press that opened the menu is still held: its grab becomes the menu's.
        XGrabPointer(display_, window_, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        XGrabKeyboard(display_, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        XFlush(display_);
        return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
    }

    ~Menu()
    {
        if (surface_ != nullptr) {
            cairo_surface_finish(surface_);
            cairo_surface_destroy(surface_);
        }
        if (window_ != 0) {
            XUngrabKeyboard(display_, CurrentTime);
            XUngrabPointer(display_, CurrentTime);
            XDestroyWindow(display_, window_);
            XFlush(display_);
        }
    }

    // Runs until a choice, or until the frame loses its window.
    int Run(const Frame& frame)
    {
        Paint();
        for (;;) {
            if (!frame.HasWindow()) return -1;
            if (XPending(display_) == 0) {
                pollfd watch{ConnectionNumber(display_), POLLIN, 0};
                poll(&watch, 1, 100);
                continue;
            }
            XEvent event;
            XNextEvent(display_, &event);
            if (event.xany.window != window_) continue; // the frame repaints after the menu
            switch (event.type) {
            case Expose:
                Paint();
                break;
            case MotionNotify:
                Highlight(RowAt(event.xmotion.x, event.xmotion.y));
                break;
            case ButtonPress:
                if (!Inside(event.xbutton.x, event.xbutton.y)) return -1;
                break;
            case ButtonRelease: {
                // The release of the press that opened the menu lands outside it and is no choice.
                const int row = RowAt(event.xbutton.x, event.xbutton.y);
                if (row >= 0) return row;
                break;
            }
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                if (key == XK_Escape) return -1;
                if (key == XK_Return || key == XK_KP_Enter) return highlighted_;
                if (key == XK_Down) Step(1);
                if (key == XK_Up) Step(-1);
                break;
            }
            default:
                break;
            }
        }
    }

private:
    bool Inside(int x, int y) const
    {
        const double ux = x / scale_;
        const double uy = y / scale_;
        return ux >= 0 && ux < width_ && uy >= 0 && uy < kRowHeight * static_cast<double>(items_.size());
    }

    int RowAt(int x, int y) const
    {
        const double ux = x / scale_;
        const double uy = y / scale_;
        if (ux < 0 || ux >= width_ || uy < 0) return -1;
        const int row = static_cast<int>(uy / kRowHeight);
        return row < static_cast<int>(items_.size()) && items_[static_cast<size_t>(row)].Pickable() ? row : -1;
    }

    // The next pickable row up or down from the highlighted one, round the end.
    void Step(int direction)
    {
        const int count = static_cast<int>(items_.size());
        int row = highlighted_ < 0 && direction < 0 ? count : highlighted_;
        for (int tried = 0; tried < count; ++tried) {
            row = (row + direction + count) % count;
            if (items_[static_cast<size_t>(row)].Pickable()) {
                Highlight(row);
                return;
            }
        }
    }

    void Highlight(int row)
    {
        if (row == highlighted_) return;
        highlighted_ = row;
        Paint();
    }

    void Paint()
    {
        DrawContext context(std::make_unique<DrawContext::Native>(surface_, scale_));
        const double height = kRowHeight * items_.size();
        context.SetFillColour(Colour{40, 42, 48, 255});
        context.SetFrameColour(Colour{110, 114, 124, 255});
        context.DrawRectangle(0, 0, width_, height, DrawContext::kFilledAndOutline);
        context.SetFont(font_);
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const double top = kRowHeight * i;
            if (static_cast<int>(i) == highlighted_) {
                context.SetFillColour(Colour{70, 96, 140, 255});
                context.DrawRectangle(1, top + 1, width_ - 1, top + kRowHeight - 1, DrawContext::kFilled);
            }
            if (items_[i].separator) {
                context.SetFillColour(Colour{90, 94, 104, 255});
                context.DrawRectangle(6, top + kRowHeight / 2, width_ - 6, top + kRowHeight / 2 + 1,
                                      DrawContext::kFilled);
                continue;
            }
            if (items_[i].checked) {
                context.SetFillColour(Colour{220, 222, 228, 255});
                context.DrawRectangle(8, top + 7, 14, top + 13, DrawContext::kFilled);
            }
            context.SetFontColour(items_[i].enabled ? Colour{230, 232, 236, 255} : Colour{130, 132, 138, 255});
            context.DrawTextInRect(items_[i].text, kMarkWidth, top, width_ - 4, top + kRowHeight,
                                   DrawContext::kAlignLeft);
        }
        cairo_surface_flush(surface_);
        XFlush(display_);
    }

    Display* display_;
    double scale_;
    const std::vector<MenuItem>& items_;
    std::shared_ptr<Font> font_;
    double width_ = kMinimumWidth;
    Window window_ = 0;
    cairo_surface_t* surface_ = nullptr;
    int highlighted_ = -1;
};

} // namespace

int ShowPopupMenu(Frame& frame, double x, double y, const std::vector<MenuItem>& items)
{
    Display* display = x11::DisplayOf(frame);
    const auto frameWindow = static_cast<Window>(frame.WindowId());
    if (display == nullptr || frameWindow == 0 || items.empty()) return -1;
    x11::ErrorTrap trap(display);
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    // One pixel off the pointer, so the release of the opening press is not a choice.
    XTranslateCoordinates(display, frameWindow, DefaultRootWindow(display),
                          static_cast<int>(std::lround(x * frame.Scale())) + 1,
                          static_cast<int>(std::lround(y * frame.Scale())) + 1, &rootX, &rootY, &child);
    int chosen = -1;
    {
        Menu menu(display, frame.Scale(), items);
        if (menu.Open(rootX, rootY) && trap.Sync()) chosen = menu.Run(frame);
    }
    frame.Invalidate();
    return chosen;
}

} // namespace gui
