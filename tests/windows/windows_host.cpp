#include "tests/windows/windows_host.h"

#include <gdiplus.h>

#include <fstream>
#include <iterator>

namespace windows_host {

namespace {

constexpr const char* kHostClass = "TolvangerTestHost";
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

std::wstring Wide(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return wide;
}

// The module's data directory of the given kind, or null.
template <typename T> T* Directory(HMODULE module, int entry)
{
    auto* base = reinterpret_cast<unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[entry];
    if (directory.VirtualAddress == 0 || directory.Size == 0) return nullptr;
    return reinterpret_cast<T*>(base + directory.VirtualAddress);
}

} // namespace

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string TestLogFile() { return ProgramFolder() + "tolvanger_windows_tests.log"; }

bool CopyInto(const std::string& from, const std::string& folder, const std::string& name)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    return CopyFileA(from.c_str(), (folder + name).c_str(), FALSE) != 0;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HostWindow::HostWindow(int width, int height)
{
    static const ATOM registered = [] {
        WNDCLASSEXA description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = &DefWindowProcA;
        description.hInstance = GetModuleHandleA(nullptr);
        description.hCursor = LoadCursor(nullptr, IDC_ARROW);
        description.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        description.lpszClassName = kHostClass;
        return RegisterClassExA(&description);
    }();
    (void)registered;
    RECT frame{0, 0, width, height};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    AdjustWindowRect(&frame, style, FALSE);
    window_ = CreateWindowExA(0, kHostClass, "Tolvanger test host", style, 40, 40, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    PumpMessages();
}

HostWindow::~HostWindow()
{
    if (window_ != nullptr) DestroyWindow(window_);
    PumpMessages();
}

HWND HostWindow::Child() const { return GetWindow(window_, GW_CHILD); }

Picture Picture::OfWindow(HWND window)
{
    Picture picture;
    RECT client{};
    if (window == nullptr || !GetClientRect(window, &client)) return picture;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return picture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memoryDc != nullptr && bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        if (BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY)) {
            GdiFlush();
            const auto* source = static_cast<const std::uint32_t*>(bits);
            picture.width_ = width;
            picture.height_ = height;
            picture.pixels_.resize(static_cast<std::size_t>(width) * height);
            for (std::size_t i = 0; i < picture.pixels_.size(); ++i)
                picture.pixels_[i] = source[i] & 0xFFFFFF;
        }
        SelectObject(memoryDc, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memoryDc != nullptr) DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return picture;
}

Picture Picture::FromFile(const std::string& path)
{
    using namespace Gdiplus::DllExports;
    Picture picture;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(Wide(path).c_str(), &bitmap) != Gdiplus::Ok) return picture;
    UINT width = 0, height = 0;
    GdipGetImageWidth(bitmap, &width);
    GdipGetImageHeight(bitmap, &height);
    picture.width_ = static_cast<int>(width);
    picture.height_ = static_cast<int>(height);
    picture.pixels_.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < picture.height_; ++y) {
        for (int x = 0; x < picture.width_; ++x) {
            Gdiplus::ARGB argb = 0;
            GdipBitmapGetPixel(bitmap, x, y, &argb);
            picture.pixels_[static_cast<std::size_t>(y) * width + x] = argb & 0xFFFFFF;
        }
    }
    GdipDisposeImage(bitmap);
    return picture;
}

std::uint32_t Picture::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFF;
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

int Picture::DifferingPixels(const Picture& other, int x, int y, int width, int height) const
{
    int count = 0;
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column)
            count += Pixel(column, row) != other.Pixel(column, row);
    return count;
}

bool Picture::SavePng(const std::string& path) const
{
    using namespace Gdiplus::DllExports;
    if (pixels_.empty()) return false;
    std::vector<std::uint32_t> opaque(pixels_.size());
    for (std::size_t i = 0; i < pixels_.size(); ++i)
        opaque[i] = pixels_[i] | 0xFF000000;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width_, height_, width_ * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(opaque.data()), &bitmap) != Gdiplus::Ok)
        return false;
    const bool saved = GdipSaveImageToFile(bitmap, Wide(path).c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    GdipDisposeImage(bitmap);
    return saved;
}

std::vector<std::string> ExportNames(HMODULE module)
{
    std::vector<std::string> names;
    const auto* exports = Directory<const IMAGE_EXPORT_DIRECTORY>(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (exports == nullptr) return names;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* nameTable = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + nameTable[i]));
    return names;
}

std::vector<std::string> ImportedLibraries(HMODULE module)
{
    std::vector<std::string> names;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    for (auto* d = Directory<const IMAGE_IMPORT_DESCRIPTOR>(module, IMAGE_DIRECTORY_ENTRY_IMPORT); d && d->Name != 0;
         ++d)
        names.emplace_back(reinterpret_cast<const char*>(base + d->Name));
    return names;
}

void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement)
{
    auto* base = reinterpret_cast<unsigned char*>(module);
    for (auto* d = Directory<IMAGE_IMPORT_DESCRIPTOR>(module, IMAGE_DIRECTORY_ENTRY_IMPORT); d && d->Name != 0; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), library) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA64*>(
            base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return previous;
        }
    }
    return nullptr;
}

std::vector<unsigned char> ResourceBytes(HMODULE module, const char* type, int number)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(number), type);
    if (resource == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    if (bytes == nullptr) return {};
    return std::vector<unsigned char>(bytes, bytes + SizeofResource(module, resource));
}

std::vector<unsigned char> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace windows_host
