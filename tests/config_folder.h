#pragma once
// A configuration folder of the test's own, named through XDG_CONFIG_HOME while it lives:
// the user's kept editor scale goes there.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testing_support {

class ConfigFolder {
public:
    ConfigFolder()
    {
        char pattern[] = "/tmp/tolvanger-config-XXXXXX";
        folder_ = mkdtemp(pattern);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old != nullptr) previous_ = old, hadPrevious_ = true;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    ~ConfigFolder()
    {
        if (hadPrevious_)
            setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(folder_);
    }
    const std::string& Path() const { return folder_; }

private:
    std::string folder_;
    std::string previous_;
    bool hadPrevious_ = false;
};

} // namespace testing_support
