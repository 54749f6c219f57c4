#pragma once

#include <X11/Xlib.h>

namespace gui::x11 {

// While it lives, X errors and I/O errors of one connection come here instead of Xlib's
// process-wide handlers, whose defaults end the process; errors of other connections still
// reach the handlers that were installed before, and those are put back when the last trap
// ends. Errors arrive asynchronously, so the destructor synchronises the connection first
// (unless it is lost or released) to collect the errors of every request made inside.
// Thread: the one thread that uses the connection; traps of different connections may
// live on different threads.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // A round trip to the server; answers whether no error has arrived so far.
    bool Sync();
    bool Failed() const { return errorCode_ != 0; }
    // The connection broke; the display may only be closed.
    bool Lost() const { return lost_; }
    // The caller closes the display before the trap ends: no final round trip.
    void Release() { released_ = true; }

private:
    friend struct TrapRegistry;

    Display* display_;
    int errorCode_ = 0;
    bool lost_ = false;
    bool released_ = false;
};

// Makes a lost connection return to the caller instead of exiting the process
// (per connection; call once after XOpenDisplay). `lost` is set when it happens.
void SurviveConnectionLoss(Display* display, bool* lost);

} // namespace gui::x11
