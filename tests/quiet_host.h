#pragma once
// A host interface for tests that drive the core's Plugin directly: the set-up of a host
// at 48 kHz, and the editor's edit gestures recorded as letters (B begin, A value, E end).

#include <string>
#include <vector>

#include "runtime/host_interface.h"

namespace testing_support {

class QuietHost : public HostInterface {
public:
    double SampleRate() override { return 48000.0; }
    double BlockSize() override { return 512.0; }
    int32_t InputCount() override { return 2; }
    int32_t OutputCount() override { return 2; }
    HostTransport Transport() override { return {}; }
    void AnnounceLatency(int32_t) override {}
    void StoreLatency(int32_t) override {}
    void BeginEdit(int32_t) override { edits += 'B'; }
    void PerformEdit(int32_t, double value) override
    {
        edits += 'A';
        values.push_back(value);
    }
    void EndEdit(int32_t) override { edits += 'E'; }
    bool RequestRedraw() override { return false; }
    bool EditorSize(int32_t&, int32_t&) override { return false; }

    std::string edits;
    std::vector<double> values;
};

} // namespace testing_support
