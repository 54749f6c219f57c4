#pragma once
// The built Tolvanger.clap, loaded once per test program.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/clap_host.h"

namespace testing_support {

// The library this tree built, or the one $TOLVANGER_TEST_CLAP names (the package test
// points it at the packaged library).
inline const std::string& ClapPath()
{
    static const std::string path = [] {
        const char* chosen = std::getenv("TOLVANGER_TEST_CLAP");
        return std::string(chosen && *chosen ? chosen : TOLVANGER_CLAP_PATH);
    }();
    return path;
}

inline ClapLibrary& TheClapLibrary()
{
    static std::unique_ptr<ClapLibrary> library = [] {
        std::string why;
        const std::string& path = ClapPath();
        auto lib = ClapLibrary::Load(path, &why);
        if (!lib) ADD_FAILURE() << "cannot load " << path << ": " << why;
        return lib;
    }();
    return *library;
}

inline std::unique_ptr<ClapInstance> NewClapInstance(ClapHostOptions options = {})
{
    return ClapInstance::Create(TheClapLibrary(), options);
}

} // namespace testing_support
