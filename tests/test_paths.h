#pragma once
// Temporary places for tests that write files. The runtime resolves file names against
// the folder of the code's own module, which for these tests is the test program's.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/platform.h"

namespace testing_support {

inline std::filesystem::path ModuleFolder() { return std::filesystem::path(platform::ModulePath()).parent_path(); }

// The debug log of the whole test program goes to one temporary file, never to the
// file-system root; the runtime reads the override once, at its first log line.
inline const std::string kTestLogFile = [] {
    std::string path = "/tmp/tolvanger_test_log_" + std::to_string(getpid()) + ".txt";
    setenv("TOLVANGER_LOG_PATH", path.c_str(), 1);
    return path;
}();

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
