#include "gui/x11/error_trap.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace gui::x11 {

struct TrapRegistry {
    std::mutex mutex;
    std::vector<ErrorTrap*> traps;
    XErrorHandler previousError = nullptr;
    XIOErrorHandler previousIOError = nullptr;

    static TrapRegistry& Get()
    {
        static TrapRegistry registry;
        return registry;
    }

    ErrorTrap* Find(Display* display)
    {
        for (ErrorTrap* trap : traps) {
            if (trap->display_ == display) return trap;
        }
        return nullptr;
    }

    static int OnError(Display* display, XErrorEvent* event)
    {
        TrapRegistry& registry = Get();
        XErrorHandler forward = nullptr;
        {
            std::lock_guard lock(registry.mutex);
            if (ErrorTrap* trap = registry.Find(display)) {
                if (trap->errorCode_ == 0) trap->errorCode_ = event->error_code;
                return 0;
            }
            forward = registry.previousError;
        }
        return forward != nullptr ? forward(display, event) : 0;
    }

    // Xlib calls the connection's exit handler after this returns; for a trapped connection
    // SurviveConnectionLoss has made that one return too.
    static int OnIOError(Display* display)
    {
        TrapRegistry& registry = Get();
        XIOErrorHandler forward = nullptr;
        {
            std::lock_guard lock(registry.mutex);
            if (ErrorTrap* trap = registry.Find(display)) {
                trap->lost_ = true;
                return 0;
            }
            forward = registry.previousIOError;
        }
        return forward != nullptr ? forward(display) : 0;
    }
};

ErrorTrap::ErrorTrap(Display* display) : display_(display)
{
    TrapRegistry& registry = TrapRegistry::Get();
    std::lock_guard lock(registry.mutex);
    if (registry.traps.empty()) {
        registry.previousError = XSetErrorHandler(&TrapRegistry::OnError);
        registry.previousIOError = XSetIOErrorHandler(&TrapRegistry::OnIOError);
    }
    registry.traps.push_back(this);
}

ErrorTrap::~ErrorTrap()
{
    if (!released_ && !lost_) XSync(display_, False);
    TrapRegistry& registry = TrapRegistry::Get();
    std::lock_guard lock(registry.mutex);
    std::erase(registry.traps, this);
    if (registry.traps.empty()) {
        XSetErrorHandler(registry.previousError);
        XSetIOErrorHandler(registry.previousIOError);
    }
}

bool ErrorTrap::Sync()
{
    if (!lost_) XSync(display_, False);
    return !Failed() && !lost_;
}

namespace {

void OnConnectionLost(Display*, void* lost) { *static_cast<bool*>(lost) = true; }

} // namespace

void SurviveConnectionLoss(Display* display, bool* lost) { XSetIOErrorExitHandler(display, &OnConnectionLost, lost); }

} // namespace gui::x11
