#pragma once
// The few things the runtime needs from the operating system. One source file per
// platform implements them; nothing else in the runtime or the effect calls the OS.

#include <cstdint>
#include <string>

namespace platform {

// The handle the system gave the library this code was loaded from (the module handle
// on Windows, the load address on Linux); null when unknown.
void* ModuleHandle() noexcept;
// Full path of the shared library this code was loaded from ("" when unknown).
std::string ModulePath();
// Milliseconds of a monotonic clock, wrapping like a 32-bit tick counter.
uint32_t MillisecondClock() noexcept;
// Seconds since 1970-01-01 00:00 UTC with microsecond resolution.
double WallClockSeconds() noexcept;
// A short tone. Some platforms cannot make one; then it does nothing.
void Beep(int frequencyHz, int durationMs) noexcept;
// The platform's directory separator.
char PathSeparator() noexcept;

} // namespace platform
