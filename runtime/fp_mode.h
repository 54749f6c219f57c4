#pragma once
// Flush-to-zero and denormals-are-zero for the length of a processing call: decaying
// filter and envelope states would otherwise crawl through denormal numbers, which
// cost a hundred times a normal operation. The host's mode is restored on return.

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>

class ScopedDenormalGuard {
public:
    ScopedDenormalGuard() noexcept : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero); }
    ~ScopedDenormalGuard() { _mm_setcsr(saved_); }
    ScopedDenormalGuard(const ScopedDenormalGuard&) = delete;
    ScopedDenormalGuard& operator=(const ScopedDenormalGuard&) = delete;

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved_;
};
#else
class ScopedDenormalGuard {
public:
    ScopedDenormalGuard() noexcept = default;
};
#endif
