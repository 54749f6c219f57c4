#include "runtime/platform.h"

#include <windows.h>

namespace {

// Written by the load notification before any entry point can run; read-only afterwards.
HMODULE g_module = nullptr;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/)
{
    g_module = instance;
    return TRUE;
}

namespace platform {

void* ModuleHandle() noexcept
{
    if (g_module != nullptr) return g_module;
    // Linked into a program rather than a DLL there is no load notification: ask by address.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleHandle), &module);
    return module;
}

std::string ModulePath()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(ModuleHandle()), path, MAX_PATH);
    return std::string(path, length);
}

uint32_t MillisecondClock() noexcept { return GetTickCount(); }

double WallClockSeconds() noexcept
{
    // 100-nanosecond steps since 1601-01-01, taken as whole seconds and microseconds since 1970.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const uint64_t ticks =
        (static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) - 116444736000000000ULL;
    const uint64_t seconds = ticks / 10000000u;
    const uint64_t microseconds = ticks % 10000000u / 10u;
    return static_cast<double>(seconds) + static_cast<double>(microseconds) * 0.000001;
}

void Beep(int frequencyHz, int durationMs) noexcept
{
    ::Beep(static_cast<DWORD>(frequencyHz), static_cast<DWORD>(durationMs));
}

char PathSeparator() noexcept { return '\\'; }

} // namespace platform
