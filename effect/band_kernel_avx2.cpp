// The band path on four lanes of AVX2 with fused multiply-adds: one channel's four bands
// to a register. This source alone is compiled for AVX2 and FMA; the audio thread runs
// it only where the processor has both (band_dispatch.cpp).

#if defined(__AVX2__) && defined(__FMA__)

#include "effect/band_kernel_vec4.h"

// After the vector it is written for.
#include "effect/band_kernel.h"

// Constants, so that nothing compiled for AVX2 runs before the processor is asked.
extern const BandKernels kBandKernelsAvx2 = {&RunStereoBlock<Vec4, float>, &RunStereoBlock<Vec4, double>};

#else

#include "effect/band_state.h"

extern const BandKernels kBandKernelsAvx2 = {nullptr, nullptr};

#endif
