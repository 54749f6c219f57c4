// Parameter values and audio blocks straight from the fuzz input: NaN, infinities,
// denormals and huge values in both precisions. Nothing may crash or trap, and no
// integer conversion may see a value it cannot hold.

#include <vector>

#include "tests/fuzz/fuzz_instance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::Reader input(data, size);
    fuzzing::Instance plugin;
    AEffect* e = plugin.get();
    plugin.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    const float rate = input.Take<float>();
    plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    plugin.Dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> fl(256), fr(256);
    std::vector<double> dl(256), dr(256);
    for (int round = 0; round < 16 && input.Left() > 0; ++round) {
        const uint8_t parameterCount = input.Take<uint8_t>() % 6;
        for (int i = 0; i < parameterCount; ++i) {
            const int32_t index = input.Take<uint8_t>() % 32;
            e->setParameter(e, index, input.Take<float>());
        }
        const int frames = input.Take<uint8_t>();
        if (input.Take<uint8_t>() & 1) {
            for (int i = 0; i < frames; ++i)
                fl[i] = input.Take<float>(), fr[i] = input.Take<float>();
            float* io[2] = {fl.data(), fr.data()};
            e->processReplacing(e, io, io, frames);
        } else {
            for (int i = 0; i < frames; ++i)
                dl[i] = input.Take<double>(), dr[i] = input.Take<double>();
            double* io[2] = {dl.data(), dr.data()};
            e->processDoubleReplacing(e, io, io, frames);
        }
    }
    char text[256];
    for (int i = 0; i < 30; ++i)
        plugin.Dispatch(effGetParamDisplay, i, 0, text, 0.0f);
    return 0;
}
