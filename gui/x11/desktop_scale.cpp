#include "gui/desktop_scale.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "gui/frame.h"
#include "gui/x11/display.h"
#include "gui/x11/open_display.h"

namespace gui {

namespace {

// A positive number and nothing after it but blanks; 0 otherwise.
double Number(std::string_view text)
{
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str()) return 0;
    for (; *end != '\0'; ++end)
        if (*end != ' ' && *end != '\t') return 0;
    return value > 0 ? value : 0;
}

// The resource text the server keeps now; Xlib's own copy is the one from when the
// connection opened, and the desktop may have changed it since.
std::string Resources(Display* display)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING,
                           &type, &format, &count, &after, &data) == Success &&
        data != nullptr && type == XA_STRING && format == 8)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data != nullptr) XFree(data);
    return text;
}

// The value of "Xft.dpi" in the resource text the server keeps for the screen.
double XftDpi(Display* display)
{
    if (display == nullptr) return 0;
    const std::string resources = Resources(display);
    std::string_view rest = resources;
    constexpr std::string_view key = "Xft.dpi:";
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (line.substr(0, key.size()) != key) continue;
        line.remove_prefix(key.size());
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        return Number(line);
    }
    return 0;
}

} // namespace

double DesktopScale(const Frame* frame)
{
    if (const char* gdk = std::getenv("GDK_SCALE")) {
        if (const double scale = Number(gdk); scale > 0) return scale;
    }
    Display* display = frame != nullptr && frame->HasWindow() ? x11::DisplayOf(*frame) : nullptr;
    // Before there is a window, a connection of its own for the one question.
    Display* own = display == nullptr && std::getenv("DISPLAY") != nullptr ? x11::OpenDisplay(nullptr) : nullptr;
    const double dpi = XftDpi(display != nullptr ? display : own);
    if (own != nullptr) XCloseDisplay(own);
    return dpi > 0 ? dpi / 96.0 : 0;
}

} // namespace gui
