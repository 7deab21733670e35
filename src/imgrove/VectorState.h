// Code built for AVX that returns without clearing the upper halves of the vector registers
// leaves every later SSE instruction of the thread waiting on them: zlib's deflate, compiled for
// plain SSE2, then runs three times slower. Some of the text drawing under Qt's raster engine does
// so, and a page PNG is written straight after its texts are drawn.
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
