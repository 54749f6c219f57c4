#pragma once
// The renderer's failures: each carries the one line the user reads on standard error.

#include <stdexcept>
#include <string>

namespace render {

class RenderError : public std::runtime_error {
public:
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

// A command line the program cannot run; it exits with status 2 rather than 1.
class UsageError : public RenderError {
public:
    explicit UsageError(const std::string& message) : RenderError(message) {}
};

// Ctrl-C or a termination request arrived; the program exits with status 130.
class InterruptedError : public RenderError {
public:
    InterruptedError() : RenderError("interrupted") {}
};

} // namespace render
