// effSetChunk with any bytes, on a fresh and on a running instance, then a chunk read
// back and processed audio: nothing may crash, and a chunk produced is always whole.

#include <cstdlib>
#include <vector>

#include "tests/fuzz/fuzz_instance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size); // a buffer exactly as long as the host says
    fuzzing::Instance fresh;
    fresh.Dispatch(effSetChunk, 0, static_cast<intptr_t>(bytes.size()), bytes.data(), 0.0f);

    fuzzing::Instance running;
    running.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    running.Dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
    running.Dispatch(effSetChunk, 1, static_cast<intptr_t>(bytes.size()), bytes.data(), 0.0f);
    float left[64] = {0.5f}, right[64] = {-0.25f};
    float* io[2] = {left, right};
    running.get()->processReplacing(running.get(), io, io, 64);
    void* chunk = nullptr;
    const intptr_t length = running.Dispatch(effGetChunk, 0, 0, &chunk, 0.0f);
    if (length != 260 || !chunk) std::abort();
    for (int i = 0; i < 30; ++i)
        (void)running.get()->getParameter(running.get(), i);
    char text[256];
    for (int i = 0; i < 30; ++i)
        running.Dispatch(effGetParamDisplay, i, 0, text, 0.0f);
    return 0;
}
