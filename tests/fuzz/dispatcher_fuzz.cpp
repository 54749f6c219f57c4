// Sequences of dispatcher calls with fuzzed opcodes, indexes, values and options. The
// harness plays a host that keeps its side of the contract: every pointer it passes
// points into a buffer it owns, filled from the input, and texts end in a terminator.

#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_instance.h"

namespace {

constexpr size_t kBufferSize = 1024;

int32_t PickOpcode(uint8_t selector, int32_t raw)
{
    // Mostly real opcodes, sometimes anything at all.
    return selector < 200 ? static_cast<int32_t>(selector % 80) : raw;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::Reader input(data, size);
    fuzzing::Instance plugin;
    alignas(16) unsigned char buffer[kBufferSize];
    for (int call = 0; call < 64 && input.Left() > 0 && plugin.get(); ++call) {
        const uint8_t selector = input.Take<uint8_t>();
        const int32_t opcode = PickOpcode(selector, input.Take<int32_t>());
        const uint8_t flags = input.Take<uint8_t>();
        const int32_t index = input.Take<int32_t>();
        intptr_t value = input.Take<int32_t>();
        const float opt = input.Take<float>();
        const uint8_t fill = input.Take<uint8_t>();
        std::memset(buffer, 0, sizeof buffer);
        for (size_t i = 0; i < fill && input.Left() > 0; ++i)
            buffer[i] = input.Take<uint8_t>();
        buffer[kBufferSize - 1] = 0;
        void* ptr = (flags & 1) ? buffer : nullptr;

        switch (opcode) {
        case effClose:
            continue; // the instance is closed once, at the end
        case effEditOpen:
            ptr = nullptr; // no display for fuzzing
            break;
        case effSetChunk:
            value = static_cast<intptr_t>(static_cast<uint32_t>(value) % (kBufferSize + 1));
            break;
        case effGetChunk:
        case effEditGetRect:
            ptr = buffer; // a place for the pointer the plug-in hands out
            break;
        case effGetSpeakerArrangement:
            value = reinterpret_cast<intptr_t>(buffer + 512);
            break;
        case effProcessEvents: {
            // A well-formed event list inside the buffer; the events' bytes are fuzzed.
            auto* list = reinterpret_cast<VstEvents*>(buffer);
            const int count = static_cast<int>(static_cast<uint32_t>(index) % 8);
            list->numEvents = count;
            auto* events = reinterpret_cast<VstEvent*>(buffer + 256);
            VstEvent** slots = &list->events[0]; // the list runs past its declared two entries
            for (int i = 0; i < count; ++i)
                slots[i] = (fill & (1 << i)) ? &events[i] : nullptr;
            ptr = ptr ? buffer : nullptr;
            break;
        }
        default:
            break;
        }
        plugin.Dispatch(opcode, index, value, ptr, opt);
        if (call % 8 == 7) {
            double left[16] = {}, right[16] = {};
            double* io[2] = {left, right};
            plugin.get()->processDoubleReplacing(plugin.get(), io, io, 16);
        }
    }
    return 0;
}
