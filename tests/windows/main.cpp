// The Windows tests' program: GDI+ for its own pictures, and the debug log of every library it
// loads redirected to a file beside it (never the drive's root).

#include <gtest/gtest.h>
#include <windows.h>

#include <gdiplus.h>

#include <cstdlib>
#include <string>

#include "tests/windows/windows_host.h"

int main(int argc, char** argv)
{
    const std::string log = windows_host::TestLogFile();
    DeleteFileA(log.c_str());
    // The libraries share this program's C runtime, and with it its environment.
    _putenv(("TOLVANGER_LOG_PATH=" + log).c_str());
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 2;
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
