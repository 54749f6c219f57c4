#include "gui/gdiplus/session.h"

#include "gui/gdiplus/gdiplus.h"

#include <mutex>

namespace gui::gdiplus {

namespace {

struct Startup {
    std::mutex mutex;
    int references = 0;
    ULONG_PTR token = 0;
    bool started = false;
};

Startup& Global()
{
    static Startup startup;
    return startup;
}

} // namespace

Session::Session()
{
    Startup& s = Global();
    std::lock_guard lock(s.mutex);
    if (s.references++ == 0) {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug hook, with the background thread
        s.started = Gdiplus::GdiplusStartup(&s.token, &input, nullptr) == Gdiplus::Ok;
    }
    started_ = s.started;
}

Session::~Session()
{
    Startup& s = Global();
    std::lock_guard lock(s.mutex);
    if (--s.references == 0 && s.started) {
        Gdiplus::GdiplusShutdown(s.token);
        s.started = false;
    }
}

} // namespace gui::gdiplus
