// Code built for AVX that returns without clearing the upper halves of the vector registers
// leaves every later SSE instruction of the thread waiting on them: zlib's deflate, compiled for
// plain SSE2, then runs three times slower. Qt's raster painting into an image (fills and texts
// alike) leaves them so, and pages and pictures are compressed straight after painting; the
// places that hand work to the codec libraries clear them first.
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

__attribute__((target("avx"))) inline void clearUpperVectorHalvesWithAvx()
{
    _mm256_zeroupper();
}

// Clears the upper halves where the processor has them; nothing where it has no AVX.
inline void clearUpperVectorHalves()
{
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        clearUpperVectorHalvesWithAvx();
}
#else
inline void clearUpperVectorHalves() {}
#endif
