#include "gui/x11/open_display.h"

#include <chrono>
#include <thread>

namespace gui::x11 {

Display* OpenDisplay(const char* name)
{
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        if (Display* display = XOpenDisplay(name)) return display;
        if (attempt == kAttempts) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace gui::x11
