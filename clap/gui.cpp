// The GUI extension with its helpers, timer support and POSIX descriptor support: the
// editor embedded in the host's window (X11 on Linux, Win32 on Windows), 890 by 550 at the
// scale the user, the host or the desktop gives.

#include <chrono>
#include <cmath>
#include <cstring>

#include "clap/editor.h"
#include "core/editor_frame.h"
#include "core/editor_window.h"
#include "core/plugin.h"

namespace clap_adapter {

namespace {

#if defined(_WIN32)
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif
constexpr uint32_t kIdleMilliseconds = Plugin::kEditorIdleMilliseconds;

Instance* MainThreadInstance(const clap_plugin_t* plugin)
{
    Instance* self = Instance::From(plugin);
    return self && self->OnMainThread() ? self : nullptr;
}

bool ApiSupported(const clap_plugin_t* plugin, const char* api, bool floating)
{
    return MainThreadInstance(plugin) && api && !floating && std::strcmp(api, kWindowApi) == 0;
}

bool PreferredApi(const clap_plugin_t* plugin, const char** api, bool* floating)
{
    if (!MainThreadInstance(plugin) || !api || !floating) return false;
    *api = kWindowApi;
    *floating = false;
    return true;
}

void StopIdling(Instance& self)
{
    Instance::Editor& e = *self.editor;
    if (e.timer != CLAP_INVALID_ID && self.hostTimer) self.hostTimer->unregister_timer(self.host, e.timer);
    e.timer = CLAP_INVALID_ID;
    if (e.fd >= 0 && self.hostFd) self.hostFd->unregister_fd(self.host, e.fd);
    e.fd = -1;
    e.ticking.store(false);
    if (e.ticker.joinable()) e.ticker.join();
}

// The host's timer where it has one; otherwise a thread of ours asks for main-thread
// callbacks at the same rate and never touches the window itself.
void StartIdling(Instance& self)
{
    Instance::Editor& e = *self.editor;
    if (self.hostTimer && self.hostTimer->register_timer &&
        self.hostTimer->register_timer(self.host, kIdleMilliseconds, &e.timer)) {
    } else {
        e.timer = CLAP_INVALID_ID;
        if (self.host->request_callback) {
            e.ticking.store(true);
            try {
                e.ticker = std::thread([&self, &e] {
                    while (e.ticking.load()) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleMilliseconds));
                        if (e.ticking.load()) self.host->request_callback(self.host);
                    }
                });
            } catch (...) {
                e.ticking.store(false);
            }
        }
    }
    // X events come at once where the host watches the connection.
    const int fd = e.window ? e.window->ConnectionFd() : -1;
    if (fd >= 0 && self.hostFd && self.hostFd->register_fd &&
        self.hostFd->register_fd(self.host, fd, CLAP_POSIX_FD_READ))
        e.fd = fd;
}

bool Create(const clap_plugin_t* plugin, const char* api, bool floating)
{
    Instance* self = MainThreadInstance(plugin);
    if (!self || self->editor || !ApiSupported(plugin, api, floating)) return false;
    try {
        self->editor = std::make_unique<Instance::Editor>();
        self->editor->created = true;
        return true;
    } catch (...) {
        return false;
    }
}

void Destroy(const clap_plugin_t* plugin)
{
    Instance* self = MainThreadInstance(plugin);
    if (self) CloseEditor(*self);
}

bool SetScale(const clap_plugin_t* plugin, double scale)
{
    Instance* self = MainThreadInstance(plugin);
    if (!self || !self->editor || !std::isfinite(scale) || scale <= 0.0) return false;
    self->editor->hostScale = scale;
    if (self->editor->window) self->editor->window->SetHostScale(scale);
    return true;
}

// The size in pixels: the open window's, or the one it will open at.
void PixelSize(const Instance::Editor& e, uint32_t& width, uint32_t& height)
{
    int w = 0, h = 0;
    if (e.window) {
        w = e.window->Width();
        h = e.window->Height();
    } else {
        EditorFrame::OpeningSize(e.hostScale, w, h);
    }
    width = static_cast<uint32_t>(w);
    height = static_cast<uint32_t>(h);
}

bool Size(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height)
{
    Instance* self = MainThreadInstance(plugin);
    if (!self || !self->editor || !width || !height) return false;
    PixelSize(*self->editor, *width, *height);
    return true;
}

bool CanResize(const clap_plugin_t*) { return false; }
// The editor keeps its size; hosts that ask are told so, as some log a refusal as an error.
bool ResizeHints(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints)
{
    Instance* self = MainThreadInstance(plugin);
    if (!self || !self->editor || !hints) return false;
    *hints = {false, false, false, 0, 0};
    return true;
}
bool AdjustSize(const clap_plugin_t*, uint32_t*, uint32_t*) { return false; }

bool SetSize(const clap_plugin_t* plugin, uint32_t width, uint32_t height)
{
    Instance* self = MainThreadInstance(plugin);
    if (!self || !self->editor) return false;
    uint32_t w = 0, h = 0;
    PixelSize(*self->editor, w, h);
    return width == w && height == h;
}

bool SetParent(const clap_plugin_t* plugin, const clap_window_t* window)
{
    Instance* self = MainThreadInstance(plugin);
    if (!self || !self->editor || self->editor->window || !window || !window->api ||
        std::strcmp(window->api, kWindowApi) != 0)
        return false;
#if defined(_WIN32)
    const auto parent = reinterpret_cast<std::uintptr_t>(window->win32);
#else
    const auto parent = static_cast<std::uintptr_t>(window->x11);
#endif
    if (parent == 0) return false;
    try {
        self->editor->window = std::make_unique<EditorWindow>(self->plugin, parent, self->editor->hostScale);
        // A new scale while open: the host is asked for the window's new size.
        self->editor->window->SetResizeRequest([self](int width, int height) {
            if (self->hostGui && self->hostGui->request_resize)
                self->hostGui->request_resize(self->host, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
        });
    } catch (...) {
        return false;
    }
    if (!self->editor->window->HasWindow()) {
        self->editor->window.reset();
        return false;
    }
    StartIdling(*self);
    return true;
}

bool SetTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void SuggestTitle(const clap_plugin_t*, const char*) {}

// The window lives inside the host's, which shows and hides it.
bool Show(const clap_plugin_t* plugin)
{
    Instance* self = MainThreadInstance(plugin);
    return self && self->editor;
}

bool Hide(const clap_plugin_t* plugin) { return Show(plugin); }

void OnTimer(const clap_plugin_t* plugin, clap_id timer)
{
    Instance* self = MainThreadInstance(plugin);
    if (self && self->editor && self->editor->timer == timer) EditorIdle(*self);
}

void OnFd(const clap_plugin_t* plugin, int fd, uint32_t /*flags*/)
{
    Instance* self = MainThreadInstance(plugin);
    if (self && self->editor && self->editor->fd == fd) EditorIdle(*self);
}

} // namespace

Instance::Editor::Editor() = default;
Instance::Editor::~Editor()
{
    ticking.store(false);
    if (ticker.joinable()) ticker.join();
}

void CloseEditor(Instance& self) noexcept
{
    if (!self.editor) return;
    StopIdling(self);
    self.editor.reset();
}

void EditorIdle(Instance& self) noexcept
{
    if (self.editor && self.editor->window) self.editor->window->Idle();
}

bool EditorRedraw(Instance& self) noexcept
{
    return self.editor && self.editor->window && self.editor->window->Redraw();
}

bool EditorDimensions(Instance& self, int32_t& width, int32_t& height) noexcept
{
    if (!self.editor || !self.editor->window) return false;
    width = EditorWindow::kWidth;
    height = EditorWindow::kHeight;
    return true;
}

const clap_plugin_gui_t kGui = {ApiSupported, PreferredApi, Create,       Destroy,    SetScale,
                                Size,         CanResize,    ResizeHints,  AdjustSize, SetSize,
                                SetParent,    SetTransient, SuggestTitle, Show,       Hide};
const clap_plugin_timer_support_t kTimerSupport = {OnTimer};
const clap_plugin_posix_fd_support_t kPosixFdSupport = {OnFd};

} // namespace clap_adapter
