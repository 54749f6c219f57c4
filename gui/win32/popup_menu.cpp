#include "gui/popup_menu.h"

#include <windows.h>

#include "gui/frame.h"
#include "gui/gdiplus/wide.h"

namespace gui {

// The system's own menu, which runs its loop until the choice is made.
int ShowPopupMenu(Frame& frame, double x, double y, const std::vector<MenuItem>& items)
{
    const auto window = reinterpret_cast<HWND>(frame.WindowId());
    if (window == nullptr || items.empty()) return -1;
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].separator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const std::wstring text = gdiplus::WideFromUtf8(items[i].text);
        AppendMenuW(menu,
                    MF_STRING | (items[i].checked ? MF_CHECKED : MF_UNCHECKED) | (items[i].enabled ? 0 : MF_GRAYED),
                    i + 1, text.c_str());
    }
    POINT at{static_cast<LONG>(x * frame.Scale()), static_cast<LONG>(y * frame.Scale())};
    ClientToScreen(window, &at);
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN, at.x, at.y, 0, window,
                       nullptr));
    DestroyMenu(menu);
    return chosen > 0 ? chosen - 1 : -1;
}

} // namespace gui
