#include "gui/frame.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <utility>

#include "gui/draw_context.h"
#include "gui/scale.h"
#include "gui/gdiplus/native.h"
#include "gui/gdiplus/session.h"
#include "runtime/platform.h"

namespace gui {

namespace {

// WM_DPICHANGED_AFTERPARENT, which the mingw-w64 headers may not have.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

constexpr WPARAM kHeldButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window class "Plugin%p" of this library's module, registered while any frame uses it:
// a DLL's classes outlive it unless it takes them away itself.
class WindowClass {
public:
    // The class name, or null when it could not be registered.
    const char* Acquire()
    {
        std::lock_guard lock(mutex_);
        if (users_ == 0) {
            module_ = static_cast<HINSTANCE>(platform::ModuleHandle());
            std::snprintf(name_, sizeof name_, "Plugin%p", static_cast<void*>(module_));
            WNDCLASSEXA description{};
            description.cbSize = sizeof description;
            description.style = CS_DBLCLKS;
            description.lpfnWndProc = &WindowProcedure;
            description.hInstance = module_;
            description.hCursor = LoadCursor(nullptr, IDC_ARROW);
            description.hbrBackground = nullptr; // the view paints every pixel
            description.lpszClassName = name_;
            if (RegisterClassExA(&description) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
        }
        ++users_;
        return name_;
    }
    void Release()
    {
        std::lock_guard lock(mutex_);
        if (users_ > 0 && --users_ == 0) UnregisterClassA(name_, module_);
    }
    HINSTANCE Module() const { return module_; }

private:
    std::mutex mutex_;
    int users_ = 0;
    HINSTANCE module_ = nullptr;
    char name_[64] = {};
};

WindowClass& Class()
{
    static WindowClass windowClass;
    return windowClass;
}

// Windows 6.0 and later compose child windows themselves (double-buffered, no flicker);
// earlier versions paint through an image of the frame's size.
bool SystemComposes()
{
    const DWORD version = GetVersion();
    return LOBYTE(LOWORD(version)) >= 6;
}

int ButtonState(WPARAM keys)
{
    int bits = 0;
    if (keys & MK_LBUTTON) bits |= kLeftButton;
    if (keys & MK_RBUTTON) bits |= kRightButton;
    if (keys & MK_MBUTTON) bits |= kMiddleButton;
    if (keys & MK_XBUTTON1) bits |= kExtraButton1;
    if (keys & MK_XBUTTON2) bits |= kExtraButton2;
    if (keys & MK_SHIFT) bits |= kShift;
    if (keys & MK_CONTROL) bits |= kControl;
    if (GetKeyState(VK_MENU) < 0) bits |= kAlt; // the message's key state has no Alt
    return bits;
}

int ModifierState()
{
    int bits = 0;
    if (GetKeyState(VK_SHIFT) < 0) bits |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) bits |= kControl;
    if (GetKeyState(VK_MENU) < 0) bits |= kAlt;
    return bits;
}

// The gui bit of the button a press or release message is about.
int MessageButton(UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        return kLeftButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
        return kRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
        return kMiddleButton;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_XBUTTONUP:
        return GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? kExtraButton1 : kExtraButton2;
    default:
        return 0;
    }
}

KeyName NameOf(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_RETURN:
        return KeyName::kEnter;
    case VK_ESCAPE:
        return KeyName::kEscape;
    case VK_BACK:
        return KeyName::kBackspace;
    case VK_DELETE:
        return KeyName::kDelete;
    case VK_LEFT:
        return KeyName::kLeft;
    case VK_RIGHT:
        return KeyName::kRight;
    case VK_HOME:
        return KeyName::kHome;
    case VK_END:
        return KeyName::kEnd;
    case VK_TAB:
        return KeyName::kTab;
    default:
        return KeyName::kNone;
    }
}

// A key press: its label's character, not text (the typed text comes with WM_CHAR).
Key KeyFromMessage(WPARAM virtualKey)
{
    Key key;
    key.character = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_CHAR) & 0x7FFFFFFFu;
    key.modifiers = ModifierState();
    key.name = NameOf(virtualKey);
    return key;
}

// A typed character, as the keyboard layout and Shift make it.
Key KeyFromCharacter(WPARAM character)
{
    Key key;
    key.character = static_cast<std::uint32_t>(character);
    key.modifiers = ModifierState();
    key.text = character >= 0x20 && character != 0x7F;
    return key;
}

} // namespace

struct Frame::Native {
    Frame* frame = nullptr;
    HWND window = nullptr;
    bool gone = false;    // destroyed from outside, with its parent
    HWND focusBefore = nullptr; // where the keyboard focus was before the window took it
    bool composed = true; // the system double-buffers the window
    gdiplus::Session session;
    // Before Windows 6.0: the image the view paints into, made on the first paint and kept.
    HDC bufferDc = nullptr;
    HBITMAP buffer = nullptr;
    HGDIOBJ previousBitmap = nullptr;

    bool Usable() const { return window != nullptr && !gone; }

    void Open(HWND parent);
    void Close();
    void DropBuffer();
    void Paint();
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        // The first message: from here on the window's messages go to its frame.
        auto* creating = static_cast<Frame::Native*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (creating != nullptr) creating->window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    auto* native = reinterpret_cast<Frame::Native*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (native == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        native->gone = true;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return native->Handle(message, wParam, lParam);
}

} // namespace

void Frame::Native::Open(HWND parent)
{
    if (!session.Started() || !IsWindow(parent)) return;
    const char* className = Class().Acquire();
    if (className == nullptr) return;
    composed = SystemComposes();
    window = CreateWindowExA(composed ? WS_EX_COMPOSITED : 0, className, "Window",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, frame->PixelWidth(),
                             frame->PixelHeight(), parent, nullptr, Class().Module(), this);
    if (window == nullptr) Class().Release();
}

void Frame::Native::Close()
{
    if (window != nullptr) {
        if (!gone && IsWindow(window)) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
        window = nullptr;
        Class().Release();
    }
    DropBuffer();
}

void Frame::Native::DropBuffer()
{
    if (bufferDc != nullptr) {
        SelectObject(bufferDc, previousBitmap);
        DeleteDC(bufferDc);
        bufferDc = nullptr;
    }
    if (buffer != nullptr) {
        DeleteObject(buffer);
        buffer = nullptr;
    }
}

void Frame::Native::Paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr) return;
    frame->invalid_.store(false);
    const int width = frame->PixelWidth();
    const int height = frame->PixelHeight();
    if (composed) {
        DrawContext context(std::make_unique<DrawContext::Native>(dc, width, height, frame->scale_));
        frame->view_->Draw(context);
    } else {
        if (bufferDc == nullptr) {
            bufferDc = CreateCompatibleDC(dc);
            buffer = CreateCompatibleBitmap(dc, width, height);
            if (bufferDc != nullptr && buffer != nullptr) previousBitmap = SelectObject(bufferDc, buffer);
        }
        if (bufferDc != nullptr && buffer != nullptr) {
            {
                DrawContext context(std::make_unique<DrawContext::Native>(bufferDc, width, height, frame->scale_));
                frame->view_->Draw(context);
            }
            const RECT& area = paint.rcPaint;
            BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, bufferDc, area.left,
                   area.top, SRCCOPY);
        }
    }
    EndPaint(window, &paint);
}

LRESULT Frame::Native::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    View& view = *frame->view_;
    // Positions reach the view in its units.
    const double scale = frame->scale_;
    const auto unitX = [&](LPARAM at) { return GET_X_LPARAM(at) / scale; };
    const auto unitY = [&](LPARAM at) { return GET_Y_LPARAM(at) / scale; };
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // done: the paint covers every pixel
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK: {
        // The key state of a press already holds the pressed button.
        const int buttons = ButtonState(GET_KEYSTATE_WPARAM(wParam)) | MessageButton(message, wParam);
        if (view.OnMouseDown(unitX(lParam), unitY(lParam), buttons)) SetCapture(window);
        return message == WM_XBUTTONDOWN || message == WM_XBUTTONDBLCLK ? TRUE : 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {
        // The key state of a release no longer holds the released button; the view is told
        // the state just before it.
        const WPARAM keys = GET_KEYSTATE_WPARAM(wParam);
        view.OnMouseUp(unitX(lParam), unitY(lParam), ButtonState(keys) | MessageButton(message, wParam));
        if ((keys & kHeldButtons) == 0 && GetCapture() == window) ReleaseCapture();
        return message == WM_XBUTTONUP ? TRUE : 0;
    }
    case WM_MOUSEMOVE:
        // While captured the coordinates follow the pointer outside the window, signed.
        view.OnMouseMove(unitX(lParam), unitY(lParam), ButtonState(GET_KEYSTATE_WPARAM(wParam)));
        return 0;
    case WM_MOUSEWHEEL: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; // screen coordinates
        ScreenToClient(window, &at);
        const double distance = static_cast<double>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
        if (view.OnWheel(at.x / scale, at.y / scale, distance, ButtonState(GET_KEYSTATE_WPARAM(wParam)))) return 0;
        break;
    }
    case kDpiChangedAfterParent:
        // The host's window moved to a monitor of another resolution.
        view.OnDesktopScaleChanged();
        return 0;
    case WM_KEYDOWN:
        if (view.OnKeyDown(KeyFromMessage(wParam))) return 0;
        break;
    case WM_KEYUP:
        if (view.OnKeyUp(KeyFromMessage(wParam))) return 0;
        break;
    case WM_CHAR:
        if (KeyFromCharacter(wParam).text && view.OnKeyDown(KeyFromCharacter(wParam))) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

Frame::Frame(std::uintptr_t nativeParent, int width, int height, std::unique_ptr<View> view, double scale)
    : view_(std::move(view)), width_(std::max(width, 1)), height_(std::max(height, 1)), scale_(ValidScale(scale)),
      native_(std::make_unique<Native>())
{
    native_->frame = this;
    if (nativeParent != 0 && view_) native_->Open(reinterpret_cast<HWND>(nativeParent));
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
    if (invalid_.exchange(false)) InvalidateRect(n.window, nullptr, FALSE);
    // Paints what is invalid now, at once; the host's message loop delivers everything else.
    UpdateWindow(n.window);
}

void Frame::Invalidate() { invalid_.store(true); }

void Frame::SetScale(double scale)
{
    scale = ValidScale(scale);
    if (scale == scale_) return;
    scale_ = scale;
    Native& n = *native_;
    if (!n.Usable()) return;
    n.DropBuffer(); // made again at the new size on the next paint
    SetWindowPos(n.window, nullptr, 0, 0, PixelWidth(), PixelHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PaintNow();
}

void Frame::PaintNow()
{
    Native& n = *native_;
    if (!n.Usable()) return;
    invalid_.store(false);
    RedrawWindow(n.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

bool Frame::HasWindow() const { return native_->Usable() && IsWindow(native_->window); }

std::uintptr_t Frame::WindowId() const { return HasWindow() ? reinterpret_cast<std::uintptr_t>(native_->window) : 0; }

int Frame::ConnectionFd() const { return -1; }

int DoubleClickMilliseconds() { return static_cast<int>(GetDoubleClickTime()); }

void Frame::TakeKeyboardFocus()
{
    Native& n = *native_;
    if (!n.Usable() || n.focusBefore) return;
    n.focusBefore = GetFocus();
    if (!n.focusBefore) n.focusBefore = GetParent(n.window);
    SetFocus(n.window);
}

void Frame::ReturnKeyboardFocus()
{
    Native& n = *native_;
    if (!n.focusBefore) return;
    // The window that had it may be gone; then the focus stays where it is.
    if (n.Usable() && IsWindow(n.focusBefore)) SetFocus(n.focusBefore);
    n.focusBefore = nullptr;
}

} // namespace gui
