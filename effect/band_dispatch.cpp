// Which band-path kernel runs: the widest the processor has, unless asked otherwise.

#include <cstdlib>
#include <cstring>

#include "effect/band_state.h"

bool CpuRunsAvx2()
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    // The answers include the operating system's saving of the wide registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

SimdPath ResolveSimdPath(SimdPath requested)
{
    static const bool avx2 = kBandFrameKernelAvx2 != nullptr && CpuRunsAvx2();
    if (requested == SimdPath::kBaseline || !avx2) return SimdPath::kBaseline;
    return SimdPath::kAvx2;
}

SimdPath SimdPathFromEnvironment()
{
    const char* name = std::getenv("TOLVANGER_SIMD");
    if (!name) return SimdPath::kBest;
    if (std::strcmp(name, "sse2") == 0) return SimdPath::kBaseline;
    if (std::strcmp(name, "avx2") == 0) return SimdPath::kAvx2;
    return SimdPath::kBest;
}

BandFrameKernel KernelFor(SimdPath resolved)
{
    return resolved == SimdPath::kAvx2 && kBandFrameKernelAvx2 ? kBandFrameKernelAvx2 : kBandFrameKernelBaseline;
}

const char* SimdPathName(SimdPath path)
{
    switch (path) {
    case SimdPath::kBaseline:
        return "sse2";
    case SimdPath::kAvx2:
        return "avx2";
    default:
        return "best";
    }
}
