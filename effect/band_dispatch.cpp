// Which band-path kernel runs: the widest the processor has, unless asked otherwise.

#include <cstdlib>
#include <cstring>

#include "effect/band_state.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#endif

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

bool CpuRunsAvx512()
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    if (!CpuRunsAvx2() || !__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512dq") ||
        !__builtin_cpu_supports("avx512vl"))
        return false;
    // The same question put to the operating system directly: it must save the upper
    // halves of the vector registers, the upper sixteen registers and the mask
    // registers (XCR0 bits 1, 2, 5, 6 and 7), or a task switch would lose them.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_OSXSAVE)) return false;
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (low & 0xe6) == 0xe6;
#else
    return false;
#endif
}

SimdPath ResolveSimdPath(SimdPath requested)
{
    static const bool avx2 = kBandKernelsAvx2.floats != nullptr && CpuRunsAvx2();
    static const bool avx512 = kBandKernelsAvx512.floats != nullptr && CpuRunsAvx512();
    if (requested == SimdPath::kBaseline) return SimdPath::kBaseline;
    if (requested != SimdPath::kAvx2 && avx512) return SimdPath::kAvx512;
    return avx2 ? SimdPath::kAvx2 : SimdPath::kBaseline;
}

SimdPath SimdPathFromEnvironment()
{
    const char* name = std::getenv("TOLVANGER_SIMD");
    if (!name) return SimdPath::kBest;
    if (std::strcmp(name, "sse2") == 0) return SimdPath::kBaseline;
    if (std::strcmp(name, "avx2") == 0) return SimdPath::kAvx2;
    if (std::strcmp(name, "avx512") == 0) return SimdPath::kAvx512;
    return SimdPath::kBest;
}

const BandKernels* KernelFor(SimdPath resolved)
{
    if (resolved == SimdPath::kAvx512 && kBandKernelsAvx512.floats) return &kBandKernelsAvx512;
    if (resolved == SimdPath::kAvx2 && kBandKernelsAvx2.floats) return &kBandKernelsAvx2;
    return &kBandKernelsBaseline;
}

const char* SimdPathName(SimdPath path)
{
    switch (path) {
    case SimdPath::kBaseline:
        return "sse2";
    case SimdPath::kAvx2:
        return "avx2";
    case SimdPath::kAvx512:
        return "avx512";
    default:
        return "best";
    }
}
