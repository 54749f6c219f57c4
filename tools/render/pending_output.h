#pragma once
// An output file that appears whole or not at all: everything is written to a temporary
// file beside it, which replaces the real name only when the work is complete.

#include <string>

namespace render {

class PendingOutput {
public:
    // Creates the temporary file now, so that an unwritable place fails before any work.
    explicit PendingOutput(std::string path);
    // Removes the temporary file unless it was committed.
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporary_; }
    // Renames the temporary file to the real name.
    void Commit();

private:
    std::string path_;
    std::string temporary_;
    bool committed_ = false;
};

} // namespace render
