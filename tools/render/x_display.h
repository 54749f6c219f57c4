#pragma once
// A connection to an X server for the editor snapshot: the user's $DISPLAY, or else a
// virtual server (Xvfb) that this program starts, and stops again when done with it.

#include <X11/Xlib.h>
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

namespace render {

class XDisplay {
public:
    // Null when no server can be reached; `why` then says what was tried.
    static std::unique_ptr<XDisplay> Open(std::string* why);
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    Display* get() const { return display_; }
    // The name under which the plug-in reaches the same server through $DISPLAY.
    const std::string& name() const { return name_; }

private:
    XDisplay() = default;
    static std::unique_ptr<XDisplay> StartVirtual(std::string* why);
    void StopServer();

    Display* display_ = nullptr;
    std::string name_;
    pid_t server_ = -1;
    // $DISPLAY as it was before this program pointed it at its own server.
    std::optional<std::string> previousDisplay_;
    bool displayChanged_ = false;
};

} // namespace render
