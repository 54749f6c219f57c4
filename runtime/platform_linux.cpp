#include "runtime/platform.h"

#include <dlfcn.h>
#include <sys/time.h>
#include <time.h>

namespace platform {

void* ModuleHandle() noexcept
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleHandle), &info) == 0) return nullptr;
    return info.dli_fbase;
}

std::string ModulePath()
{
    Dl_info info{};
    // Any address inside this library names it.
    if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || !info.dli_fname) return {};
    return info.dli_fname;
}

uint32_t MillisecondClock() noexcept
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

double WallClockSeconds() noexcept
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 0.000001;
}

void Beep(int, int) noexcept
{
    // No system beeper to drive from a plug-in here.
}

char PathSeparator() noexcept { return '/'; }

} // namespace platform
