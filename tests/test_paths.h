#pragma once
// Temporary places for tests that write files. The runtime resolves file names against
// the folder of the code's own module, which for these tests is the test program's.

#include <unistd.h>

#include <filesystem>
#include <string>

#include "runtime/platform.h"

namespace testing_support {

inline std::filesystem::path ModuleFolder()
{
    return std::filesystem::path(platform::ModulePath()).parent_path();
}

// A fresh folder beside the test program, removed again when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& tag)
        : name_("scratch_" + tag + "_" + std::to_string(getpid())), path_(ModuleFolder() / name_)
    {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& name() const { return name_; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::string name_;
    std::filesystem::path path_;
};

} // namespace testing_support
