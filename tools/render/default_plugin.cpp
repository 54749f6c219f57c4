#include "tools/render/default_plugin.h"

#include <filesystem>
#include <system_error>

namespace render {

std::string DefaultPluginPath()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const fs::path folder = program.parent_path();
    const fs::path beside = folder / "Tolvanger.so";
    if (fs::exists(beside, error)) return beside.string();
    return (folder.parent_path() / "lib" / "vst" / "Tolvanger.so").lexically_normal().string();
}

} // namespace render
