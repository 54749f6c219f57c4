#pragma once
// Value streams: a handle holds a sequence of 32-bit floats with a position and a mode.
// Handle 0 carries the saved state; a named writing handle is written out to a file,
// one byte per value, when it is reset or the runtime object is destroyed.

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/strings.h"

struct FileHandle {
    enum Mode : int32_t { kIdle = 0, kReading = 1, kWriting = 2 };

    std::string name;
    int32_t position = 0;
    std::vector<float> values;
    int32_t mode = kIdle;
};

class CVexlFiles : public CVexlStrings {
public:
    void ResetHandle(FileHandle& handle, int32_t mode);
    void TransferValue(FileHandle& handle, SharedValue& variable);
    void TransferValue(FileHandle& handle, double& variable);

    std::vector<FileHandle> fileHandles;

protected:
    CVexlFiles();
    ~CVexlFiles();

private:
    static void WriteOut(const FileHandle& handle);
};
