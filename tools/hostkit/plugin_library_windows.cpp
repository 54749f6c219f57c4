#include <windows.h>

#include "tools/hostkit/plugin_host.h"

namespace hostkit {

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string* error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        if (error) {
            const DWORD code = GetLastError();
            char text[512] = {};
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
            *error = "error " + std::to_string(code) + ": " + text;
        }
        return nullptr;
    }
    return std::unique_ptr<PluginLibrary>(new PluginLibrary(module, path));
}

PluginLibrary::~PluginLibrary()
{
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

EntryProc PluginLibrary::Entry(const std::string& name) const
{
    // GetProcAddress answers a generic function pointer; the entry's own type is the VST one.
    return reinterpret_cast<EntryProc>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str())));
}

} // namespace hostkit
