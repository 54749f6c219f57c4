#include "tools/render/editor_snapshot.h"

#include <X11/Xutil.h>
#include <cairo.h>
#include <poll.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <thread>

#include "tools/render/interrupt.h"
#include "tools/render/render_error.h"
#include "tools/render/x_display.h"

namespace render {
namespace {

constexpr auto kMapLimit = std::chrono::seconds(2);
// Hosts idle their editors every 10 to 50 ms; a few hundred ms give the editor time to
// paint everything once, meters included.
constexpr auto kIdleInterval = std::chrono::milliseconds(20);
constexpr int kIdleCalls = 25;

int lastXError = 0;

// X errors of this program's connection (a window that went away, say) are noted, not fatal.
int NoteXError(Display*, XErrorEvent* event)
{
    lastXError = event->error_code;
    return 0;
}

class ErrorHandlerScope {
public:
    ErrorHandlerScope() : previous_(XSetErrorHandler(NoteXError)) { lastXError = 0; }
    ~ErrorHandlerScope() { XSetErrorHandler(previous_); }
    ErrorHandlerScope(const ErrorHandlerScope&) = delete;
    ErrorHandlerScope& operator=(const ErrorHandlerScope&) = delete;

private:
    XErrorHandler previous_;
};

void DrainEvents(Display* display, Window window, bool* mapped)
{
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (mapped && event.type == MapNotify && event.xmap.window == window) *mapped = true;
    }
}

bool WaitUntilMapped(Display* display, Window window)
{
    bool mapped = false;
    const auto deadline = std::chrono::steady_clock::now() + kMapLimit;
    while (!mapped && std::chrono::steady_clock::now() < deadline && !Interrupted()) {
        DrainEvents(display, window, &mapped);
        if (mapped) break;
        pollfd wait{ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, 20);
    }
    return mapped;
}

// One 8-bit colour component out of a TrueColor pixel.
uint32_t Component(unsigned long pixel, unsigned long mask)
{
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long maximum = mask >> shift;
    return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / maximum);
}

void SavePng(XImage* image, int width, int height, const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            row[x] = Component(pixel, image->red_mask) << 16 | Component(pixel, image->green_mask) << 8 |
                     Component(pixel, image->blue_mask);
        }
    }
    cairo_surface_mark_dirty(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw RenderError("cannot write the editor picture: " + std::string(cairo_status_to_string(status)));
}

// The parent window handed to the editor; destroyed with everything the plug-in made in it.
struct SnapshotWindow {
    SnapshotWindow(Display* display, int width, int height) : display(display)
    {
        const int screen = DefaultScreen(display);
        id = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, BlackPixel(display, screen),
                                 BlackPixel(display, screen));
        XStoreName(display, id, "tolvanger-render snapshot");
        XSelectInput(display, id, StructureNotifyMask | ExposureMask);
        XMapWindow(display, id);
    }
    ~SnapshotWindow()
    {
        XDestroyWindow(display, id);
        XSync(display, False);
    }
    SnapshotWindow(const SnapshotWindow&) = delete;
    SnapshotWindow& operator=(const SnapshotWindow&) = delete;

    Display* display;
    Window id;
};

bool EditorSize(hostkit::PluginInstance& plugin, int* width, int* height)
{
    ERect* rect = nullptr;
    plugin.Dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect) return false;
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    return *width > 0 && *height > 0;
}

} // namespace

SnapshotOutcome SnapshotEditor(hostkit::PluginInstance& plugin, const std::string& pngPath)
{
    if (!(plugin.effect()->flags & effFlagsHasEditor)) return {false, "the plug-in has no editor"};
    int width = 0, height = 0;
    if (!EditorSize(plugin, &width, &height)) return {false, "the plug-in's editor reports no size"};

    std::string why;
    std::unique_ptr<XDisplay> x = XDisplay::Open(&why);
    if (!x) return {false, "no X display: " + why};
    Display* display = x->get();
    ErrorHandlerScope errors;
    SnapshotWindow window(display, width, height);
    if (!WaitUntilMapped(display, window.id)) {
        StopIfInterrupted();
        return {false, "the snapshot window on " + x->name() + " was not shown"};
    }

    if (plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(window.id))) == 0)
        return {false, "the plug-in's editor did not open"};
    for (int i = 0; i < kIdleCalls && !Interrupted(); ++i) {
        plugin.Dispatch(effEditIdle);
        DrainEvents(display, window.id, nullptr);
        std::this_thread::sleep_for(kIdleInterval);
    }
    XSync(display, False);
    const std::unique_ptr<XImage, int (*)(XImage*)> image(XGetImage(display, window.id, 0, 0,
                                                                    static_cast<unsigned>(width),
                                                                    static_cast<unsigned>(height), AllPlanes, ZPixmap),
                                                          [](XImage* i) { return XDestroyImage(i); });
    plugin.Dispatch(effEditClose);
    StopIfInterrupted();

    if (!image) return {false, "the editor window's pixels could not be read"};
    if (image->red_mask == 0 || image->green_mask == 0 || image->blue_mask == 0)
        return {false, "the display " + x->name() + " has no true-colour visual"};
    SavePng(image.get(), width, height, pngPath);
    return {true, {}};
}

} // namespace render
