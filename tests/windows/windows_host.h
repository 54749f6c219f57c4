#pragma once
// The Windows test host's own window, message loop and pictures, and what it reads in a
// loaded DLL's image (exports, imports, resources).

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace windows_host {

// The folder of this test program, with a trailing backslash.
std::string ProgramFolder();
// The file the debug log of every library the tests load goes to (main sets it up).
std::string TestLogFile();
// Copies a file into the folder (made when missing) under the given name.
bool CopyInto(const std::string& from, const std::string& folder, const std::string& name);

// Dispatches every message waiting for this thread, the way a host's message loop does.
void PumpMessages();

// A visible top-level window of the test host whose client area has the given size: the
// parent window a host hands to a plug-in's editor.
class HostWindow {
public:
    HostWindow(int width, int height);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND get() const { return window_; }
    void* Parent() const { return window_; }
    // The first child window (the editor), null when there is none.
    HWND Child() const;

private:
    HWND window_ = nullptr;
};

// Pixels as 0xRRGGBB: a window's client area copied with BitBlt, or a decoded picture file.
class Picture {
public:
    static Picture OfWindow(HWND window);
    static Picture FromFile(const std::string& path);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return pixels_.empty(); }
    // 0xFFFFFFFF outside the picture.
    std::uint32_t Pixel(int x, int y) const;
    // Pixels of the box that differ from the other picture's.
    int DifferingPixels(const Picture& other, int x, int y, int width, int height) const;
    // Through GDI+'s PNG encoder.
    bool SavePng(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// The pixels of the title band (the top 56 rows) where two pictures differ, leaving out the
// preset strip the editor draws in it (x 290 to 736, rows 5 to 25, with a pixel to spare).
inline int TitleBandDifference(const Picture& a, const Picture& b)
{
    return a.DifferingPixels(b, 0, 0, 289, 56) + a.DifferingPixels(b, 737, 0, 890 - 737, 56) +
           a.DifferingPixels(b, 289, 26, 737 - 289, 30) + a.DifferingPixels(b, 289, 0, 737 - 289, 4);
}

// The names a loaded module exports, in the order of its name table.
std::vector<std::string> ExportNames(HMODULE module);
// The libraries a loaded module imports from, as named in its import table.
std::vector<std::string> ImportedLibraries(HMODULE module);
// Points the module's import of `function` from `library` at `replacement`; answers the
// address it had, or null when the module has no such import.
void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement);
// The bytes of a resource of the module; empty when it has none of that type and number.
std::vector<unsigned char> ResourceBytes(HMODULE module, const char* type, int number);
std::vector<unsigned char> FileBytes(const std::string& path);

} // namespace windows_host
