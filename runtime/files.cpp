#include "runtime/files.h"

#include <cstdio>

#include "runtime/paths.h"

CVexlFiles::CVexlFiles() : fileHandles(1) {}

CVexlFiles::~CVexlFiles()
{
    for (const FileHandle& handle : fileHandles)
        WriteOut(handle);
}

void CVexlFiles::WriteOut(const FileHandle& handle)
{
    if (handle.mode != FileHandle::kWriting || handle.name.empty()) return;
    FILE* file = std::fopen(NativePath(ResolvePath(handle.name)).c_str(), "wb");
    if (!file) return;
    for (float v : handle.values) {
        const unsigned char byte = static_cast<unsigned char>(static_cast<uint32_t>(ToIndex(v)) & 0xFFu);
        std::fputc(byte, file);
    }
    std::fclose(file);
}

void CVexlFiles::ResetHandle(FileHandle& handle, int32_t mode)
{
    WriteOut(handle);
    handle.name.clear();
    handle.position = 0;
    handle.values.clear();
    handle.mode = mode;
}

void CVexlFiles::TransferValue(FileHandle& handle, double& variable)
{
    if (handle.position < 0) return;
    const size_t position = static_cast<size_t>(handle.position);
    if (handle.mode == FileHandle::kWriting) {
        if (handle.values.size() < position + 1) handle.values.resize(position + 1, 0.0f);
        handle.values[position] = static_cast<float>(variable);
        ++handle.position;
    } else if (handle.mode == FileHandle::kReading) {
        if (position < handle.values.size()) {
            variable = handle.values[position];
            ++handle.position;
        }
    }
}

void CVexlFiles::TransferValue(FileHandle& handle, SharedValue& variable)
{
    double value = variable;
    const int32_t before = handle.position;
    TransferValue(handle, value);
    if (handle.mode == FileHandle::kReading && handle.position != before) variable = value;
}
