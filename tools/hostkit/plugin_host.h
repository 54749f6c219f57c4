#pragma once
// A small VST 2.4 host: loads a plug-in library (dlopen on Linux, LoadLibrary on Windows) and
// talks to it only through its AEffect record. Tests, benchmarks and the command-line renderer
// use it.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "vst2/vst_abi.h"

namespace hostkit {

using EntryProc = AEffect* (*)(audioMasterCallback);

// One loaded library; it stays loaded as long as the object lives.
class PluginLibrary {
public:
    static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string* error = nullptr);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // "VSTPluginMain", "main" or "MAIN"; null when the library does not export it.
    EntryProc Entry(const std::string& name = "VSTPluginMain") const;
    const std::string& path() const { return path_; }
    // The system's handle of the loaded library (from dlopen, or the HMODULE).
    void* Handle() const { return handle_; }

private:
    PluginLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

struct HostCall {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

// The host side of one instance: answers the plug-in's audioMaster calls as a test
// sets them up, and records every call.
class PluginInstance {
public:
    // Makes an instance through the given entry. Null when the entry answered null.
    static std::unique_ptr<PluginInstance> Create(EntryProc entry, intptr_t hostVersion = 2400);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* effect() const { return effect_; }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);

    // The usual start: open, sample rate, block size, mains on.
    void Start(float sampleRate = 44100.0f, int32_t blockSize = 512);
    // effClose; the instance is gone afterwards (also done by the destructor).
    void Close();

    void SetParameter(int32_t index, float value);
    float GetParameter(int32_t index);
    std::string ParameterName(int32_t index);
    std::string ParameterLabel(int32_t index);
    std::string ParameterDisplay(int32_t index);
    std::string TextOpcode(int32_t opcode, int32_t index = 0);
    std::vector<unsigned char> GetChunk(bool isPreset = false);
    intptr_t SetChunk(const void* data, int32_t size, bool isPreset = false);
    int32_t InitialDelay() const;

    // Processes stereo blocks through the replacing entries.
    void Process(float** inputs, float** outputs, int32_t frames);
    void Process(double** inputs, double** outputs, int32_t frames);

    // What audioMasterGetTime answers; none by default.
    void SetTimeInfo(std::optional<VstTimeInfo> info);
    // The most recent calls (at most kKeptCalls) and how often each opcode came.
    static constexpr size_t kKeptCalls = 4096;
    std::vector<HostCall> Calls() const;
    int CallCount(int32_t opcode) const;
    void ClearCalls();

private:
    PluginInstance() = default;
    static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    AEffect* effect_ = nullptr;
    intptr_t hostVersion_ = 2400;
    mutable std::mutex mutex_;
    std::vector<HostCall> calls_;
    std::map<int32_t, int> counts_;
    std::optional<VstTimeInfo> timeInfo_;
    VstTimeInfo timeAnswer_{};
};

} // namespace hostkit
