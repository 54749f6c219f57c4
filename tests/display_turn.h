#pragma once
// Window tests share one X display and its pointer; when ctest runs tests in parallel
// (or two test runs share a display) they take turns through a lock file. Every fixture
// that opens a window or moves the pointer holds a turn.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace testing_support {

class DisplayTurn {
public:
    DisplayTurn() : fd_(open("/tmp/tolvanger-x11-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666))
    {
        if (fd_ >= 0) flock(fd_, LOCK_EX);
    }
    ~DisplayTurn()
    {
        if (fd_ >= 0) close(fd_);
    }
    DisplayTurn(const DisplayTurn&) = delete;
    DisplayTurn& operator=(const DisplayTurn&) = delete;

private:
    int fd_;
};

} // namespace testing_support
