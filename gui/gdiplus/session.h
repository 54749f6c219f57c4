#pragma once

namespace gui::gdiplus {

// One reference to GDI+ for the process. The first reference starts it (GdiplusStartup,
// version 1), the last one shuts it down; every toolkit object that makes GDI+ objects holds
// one for as long as they live. Never made or dropped inside the library's load notification.
// Any thread.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False when GDI+ could not be started; nothing is then drawn or decoded.
    bool Started() const { return started_; }

private:
    bool started_;
};

} // namespace gui::gdiplus
