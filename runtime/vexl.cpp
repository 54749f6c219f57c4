#include "runtime/vexl.h"

#include <cstring>

#include "runtime/host_services.h"
#include "runtime/platform.h"
#include "runtime/spectral.h"

TVexl::TVexl()
{
    ClearMemory();
    EnsureFftTables();
}

TVexl::~TVexl() = default;

void TVexl::DoReset()
{
    ClearMemory();
    stringTable.clear();
    lastRedraw = 0;
}

void TVexl::DoResume()
{
    DoInit();
    RequestCleanStart();
    MarkAllSliders();
}

void TVexl::DoInitOnce()
{
    if (stateLoadCounter == 0) DoInit();
    ++stateLoadCounter;
}

void TVexl::DoIdle()
{
    const double rate = redrawRate;
    if (!(rate > 0.0)) return;
    const uint32_t now = platform::MillisecondClock();
    // Unsigned difference: the tick counter may wrap.
    if (static_cast<double>(now - lastRedraw) > 1000.0 / rate) {
        HostRedraw(hostObject);
        lastRedraw = now;
    }
}

int32_t TVexl::GetState(void** data, bool)
{
    FileHandle& handle = fileHandles[0];
    ResetHandle(handle, FileHandle::kWriting);
    double marker = kStateMarker;
    TransferValue(handle, marker);
    DoSerialize();
    if (handle.values.size() <= 1) return 0;
    if (data) *data = handle.values.data();
    return static_cast<int32_t>(handle.values.size() * sizeof(float));
}

int32_t TVexl::SetState(const void* data, int32_t byteCount, bool)
{
    FileHandle& handle = fileHandles[0];
    ResetHandle(handle, FileHandle::kReading);
    // No bytes to read: nothing is loaded and nothing changes.
    if (!data || byteCount < 0) return 0;
    const size_t count = static_cast<size_t>(byteCount) / sizeof(float);
    handle.values.resize(count);
    if (count) std::memcpy(handle.values.data(), data, count * sizeof(float));
    if (handle.values.empty()) return byteCount;
    double marker = 0.0;
    TransferValue(handle, marker);
    if (!(marker == static_cast<double>(kStateMarker))) return byteCount;
    DoInitOnce();
    // The values arrive as one change: the audio thread takes all of them or none yet.
    BeginLoad();
    struct LoadEnd {
        TVexl& self;
        ~LoadEnd() { self.EndLoad(); }
    } end{*this};
    DoSerialize();
    return byteCount;
}
