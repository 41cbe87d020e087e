// Pieces of the resampling shared between the engine's files: the coordinate
// conversions and channel arithmetic of the literal per-pixel forms, and the
// three interpolation families (nearest.cpp, bilinear.cpp, bicubic.cpp).
#ifndef TRAMAP32_RESAMPLE_INTERNAL_H
#define TRAMAP32_RESAMPLE_INTERNAL_H

#include <cmath>
#include <cstdint>

#include "isa.h"
#include "tramap32.h"

#if TRAMAP32_X86
#include <immintrin.h>
#endif

namespace tramap32_internal {

constexpr double kIntLimit = 2147483647.0;

// Round half away from zero; false when the result would not fit an int.
// For a single v this holds exactly when |v| < 2^31.
inline bool roundcoord(float v, int32_t* out) {
    const double d = v > 0 ? double(v) + 0.5 : double(v) - 0.5;
    if (!(d > -kIntLimit && d < kIntLimit)) return false;
    *out = int32_t(d);
    return true;
}

// Interpolation base: the integer part for positive values, one below it
// otherwise (so 0.0 gives -1); false when it would not fit an int, which for a
// single v is exactly |v| >= 2^31 or NaN.
inline bool basecoord(float v, int32_t* out) {
    const double d = v;
    if (!(d > -kIntLimit && d < kIntLimit)) return false;
    *out = v > 0 ? int32_t(d) : int32_t(d) - 1;
    return true;
}

inline uint32_t clampchannel(double sum) {
    const int32_t v = int32_t(sum);  // |sum| stays far below the int range
    return v < 0 ? 0u : v > 255 ? 255u : uint32_t(v);
}

// Cubic convolution kernel, a = -1, rounded to single precision.
inline float cubic(double d) {
    const double t = std::fabs(d);
    if (t < 1.0) return float(1.0 - 2.0 * t * t + t * t * t);
    if (t < 2.0) return float(4.0 - 8.0 * t + 5.0 * t * t - t * t * t);
    return 0.0f;
}

inline uint32_t channel(uint32_t px, int c) {
    return (px >> (8 * c)) & 0xFFu;
}

#if TRAMAP32_X86
// Four channel sums (truncated to int32), clamped to 0..255 (the two
// saturating packs do exactly that for any int) and packed into one pixel
// whose byte 3 is zero.
inline uint32_t packsums(__m128i sums) {
    const __m128i b = _mm_packus_epi16(_mm_packs_epi32(sums, sums), _mm_setzero_si128());
    return uint32_t(_mm_cvtsi128_si32(b)) & 0x00FFFFFFu;
}
#endif

// Each family resamples every pixel of the map with the given form.
void nearest(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg, Isa isa);
void bilinear(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg, Isa isa);
void bicubic(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg, Isa isa);

}  // namespace tramap32_internal

#endif
