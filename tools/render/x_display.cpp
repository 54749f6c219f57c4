#include "tools/render/x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "gui/x11/open_display.h"
#include "tools/render/interrupt.h"

extern char** environ;

namespace render {
namespace {

constexpr auto kServerStartLimit = std::chrono::seconds(10);
constexpr auto kServerStopLimit = std::chrono::seconds(3);

// Reads the display number Xvfb writes to its -displayfd pipe once it accepts clients.
std::string ReadDisplayNumber(int fd)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + kServerStartLimit;
    while (text.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || Interrupted()) return {};
        pollfd wait{fd, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(std::min<long>(left.count(), 100)));
        if (ready < 0 && errno != EINTR) return {};
        if (ready <= 0) continue;
        char buffer[32];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return {};
        text.append(buffer, static_cast<std::size_t>(got));
    }
    text.resize(text.find('\n'));
    return text;
}

} // namespace

std::unique_ptr<XDisplay> XDisplay::Open(std::string* why)
{
    if (const char* name = std::getenv("DISPLAY"); name && *name) {
        if (Display* display = gui::x11::OpenDisplay(name)) {
            std::unique_ptr<XDisplay> connection(new XDisplay());
            connection->display_ = display;
            connection->name_ = name;
            return connection;
        }
        std::string virtualWhy;
        if (auto connection = StartVirtual(&virtualWhy)) return connection;
        if (why) *why = std::string("cannot open the display ") + name + ", and " + virtualWhy;
        return nullptr;
    }
    std::string virtualWhy;
    if (auto connection = StartVirtual(&virtualWhy)) return connection;
    if (why) *why = "$DISPLAY is unset, and " + virtualWhy;
    return nullptr;
}

std::unique_ptr<XDisplay> XDisplay::StartVirtual(std::string* why)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        *why = std::string("no virtual display could be started: ") + std::strerror(errno);
        return nullptr;
    }
    fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string fdText = std::to_string(pipeFds[1]);
    // -displayfd lets the server take the first free display number itself.
    std::vector<const char*> args = {"Xvfb",         "-displayfd", fdText.c_str(), "-screen", "0",
                                     "1280x1024x24", "-nolisten",  "tcp",          nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(args.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        *why = spawned == ENOENT ? std::string("Xvfb is not installed (Debian package xvfb)")
                                 : std::string("Xvfb could not be started: ") + std::strerror(spawned);
        return nullptr;
    }

    std::unique_ptr<XDisplay> connection(new XDisplay());
    connection->server_ = pid;
    const std::string number = ReadDisplayNumber(pipeFds[0]);
    close(pipeFds[0]);
    if (number.empty()) {
        *why = "Xvfb did not start";
        return nullptr;
    }
    connection->name_ = ":" + number;
    connection->display_ = gui::x11::OpenDisplay(connection->name_.c_str());
    if (!connection->display_) {
        *why = "the virtual display " + connection->name_ + " started by Xvfb cannot be opened";
        return nullptr;
    }
    // The plug-in opens its own connection through $DISPLAY.
    if (const char* previous = std::getenv("DISPLAY")) connection->previousDisplay_ = previous;
    setenv("DISPLAY", connection->name_.c_str(), 1);
    connection->displayChanged_ = true;
    return connection;
}

XDisplay::~XDisplay()
{
    if (display_) XCloseDisplay(display_);
    if (displayChanged_) {
        if (previousDisplay_)
            setenv("DISPLAY", previousDisplay_->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    StopServer();
}

void XDisplay::StopServer()
{
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kServerStopLimit;
    while (waitpid(server_, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(server_, SIGKILL);
            waitpid(server_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server_ = -1;
}

} // namespace render
