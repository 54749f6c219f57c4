#include "gui/desktop_scale.h"

#include <windows.h>

#include "gui/frame.h"

namespace gui {

namespace {

// GetDpiForWindow, from Windows 10 1607 on; older systems give one resolution for all monitors.
using DpiForWindow = UINT(WINAPI*)(HWND);

DpiForWindow FindDpiForWindow()
{
    HMODULE user = GetModuleHandleA("user32.dll");
    return user != nullptr ? reinterpret_cast<DpiForWindow>(
                                 reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")))
                           : nullptr;
}

} // namespace

double DesktopScale(const Frame* frame)
{
    const auto window = frame != nullptr ? reinterpret_cast<HWND>(frame->WindowId()) : nullptr;
    UINT dpi = 0;
    static const DpiForWindow dpiForWindow = FindDpiForWindow();
    if (window != nullptr && dpiForWindow != nullptr) dpi = dpiForWindow(window);
    if (dpi == 0) {
        if (HDC screen = GetDC(nullptr)) {
            dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
            ReleaseDC(nullptr, screen);
        }
    }
    return dpi > 0 ? dpi / 96.0 : 0;
}

} // namespace gui
