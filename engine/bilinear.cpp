// Bilinear resampling. For address (sx, sy) with base (x0, y0) and fractions
// fx = sx - x0, fy = sy - y0 (single precision):
//
//   w00 = float((1 - fx)(1 - fy)), w10 = float(fx (1 - fy)),
//   w01 = float((1 - fx) fy),      w11 = float(fx fy)          (double products)
//   channel c = clamp(trunc(w00 P00.c + w10 P10.c + w01 P01.c + w11 P11.c))
//
// the sum in double precision, left to right; byte 3 of the result is 0. The
// base must lie in 0..lastx-1 and 0..lasty-1, else the background is written.
//
// The vector forms first work out bases and weights for a batch of pixels with
// pixels in lanes, then form each pixel's sum with its four channels in lanes.
// Where a base is 0 or more, the address is positive, so the fraction is its
// exact fractional part in single precision (no rounding in sx - x0).
#include <cstdint>

#include "isa.h"
#include "resample_internal.h"
#include "tramap32.h"

#if TRAMAP32_X86
#include <immintrin.h>
#endif

namespace tramap32_internal {

namespace {

// Weights of one pixel from its fractions.
struct Weights {
    double w00, w10, w01, w11;
};

inline Weights weights(float fx, float fy) {
    return {float((1.0 - fx) * (1.0 - fy)), float(fx * (1.0 - fy)), float((1.0 - fx) * fy),
            float(double(fx) * fy)};
}

// Base index and weights of pixel i; false for the background.
inline bool prepare(const WarpMap* m, uint32_t i, size_t* index, Weights* w) {
    const float sx = m->adrx[i], sy = m->adry[i];
    int32_t x0, y0;
    if (!basecoord(sx, &x0) || !basecoord(sy, &y0) || y0 < 0 || y0 >= m->lasty || x0 < 0 ||
        x0 >= m->lastx)
        return false;
    const float fx = float(double(sx) - x0), fy = float(double(sy) - y0);
    *w = weights(fx, fy);
    *index = size_t(y0) * size_t(m->width) + size_t(x0);
    return true;
}

void bilineargeneric(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg,
                     uint32_t begin, uint32_t end) {
    for (uint32_t i = begin; i < end; ++i) {
        size_t at;
        Weights w;
        if (!prepare(m, i, &at, &w)) {
            dst[i] = bg;
            continue;
        }
        const uint32_t* r0 = src + at;
        const uint32_t* r1 = r0 + m->width;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const double sum = w.w00 * channel(r0[0], c) + w.w10 * channel(r0[1], c) +
                               w.w01 * channel(r1[0], c) + w.w11 * channel(r1[1], c);
            out |= clampchannel(sum) << (8 * c);
        }
        dst[i] = out;
    }
}

#if TRAMAP32_X86
// Two adjacent pixels' channels as doubles: (a.c0, a.c1), (a.c2, a.c3), (b...).
struct Pair2 {
    __m128d a01, a23, b01, b23;
};

inline Pair2 loadpair(const uint32_t* p) {
    const __m128i z = _mm_setzero_si128();
    const __m128i w16 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), z);
    const __m128i a = _mm_unpacklo_epi16(w16, z), b = _mm_unpackhi_epi16(w16, z);
    return {_mm_cvtepi32_pd(a), _mm_cvtepi32_pd(_mm_unpackhi_epi64(a, a)), _mm_cvtepi32_pd(b),
            _mm_cvtepi32_pd(_mm_unpackhi_epi64(b, b))};
}

void bilinearsse2(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    const uint32_t n = m->npixels;
    const size_t w = size_t(m->width);
    for (uint32_t i = 0; i < n; ++i) {
        size_t at;
        Weights k;
        if (!prepare(m, i, &at, &k)) {
            dst[i] = bg;
            continue;
        }
        const Pair2 r0 = loadpair(src + at), r1 = loadpair(src + at + w);
        const __m128d w00 = _mm_set1_pd(k.w00), w10 = _mm_set1_pd(k.w10);
        const __m128d w01 = _mm_set1_pd(k.w01), w11 = _mm_set1_pd(k.w11);
        const __m128d s01 =
            _mm_add_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(w00, r0.a01), _mm_mul_pd(w10, r0.b01)),
                                  _mm_mul_pd(w01, r1.a01)),
                       _mm_mul_pd(w11, r1.b01));
        const __m128d s23 =
            _mm_add_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(w00, r0.a23), _mm_mul_pd(w10, r0.b23)),
                                  _mm_mul_pd(w01, r1.a23)),
                       _mm_mul_pd(w11, r1.b23));
        dst[i] = packsums(_mm_unpacklo_epi64(_mm_cvttpd_epi32(s01), _mm_cvttpd_epi32(s23)));
    }
}

// Pixels per batch of the AVX2 form.
constexpr uint32_t kBatch = 64;

// Rounds four doubles to single precision and back.
TRAMAP32_AVX2 inline __m256d single(__m256d v) {
    return _mm256_cvtps_pd(_mm256_cvtpd_ps(v));
}

// Bases and weights of four pixels, pixels in lanes; index -1 for the background.
TRAMAP32_AVX2 inline void prepare4(const WarpMap* m, uint32_t i, int32_t* index, double* w00,
                                   double* w10, double* w01, double* w11) {
    const __m128 sx = _mm_loadu_ps(m->adrx + i), sy = _mm_loadu_ps(m->adry + i);
    const __m128 absmask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 limit = _mm_set1_ps(2147483648.0f);
    const __m128 zero = _mm_setzero_ps();
    // Base: trunc(v), one less where v <= 0; usable where |v| < 2^31.
    const __m128i x0 =
        _mm_add_epi32(_mm_cvttps_epi32(sx), _mm_castps_si128(_mm_cmple_ps(sx, zero)));
    const __m128i y0 =
        _mm_add_epi32(_mm_cvttps_epi32(sy), _mm_castps_si128(_mm_cmple_ps(sy, zero)));
    const __m128i minus1 = _mm_set1_epi32(-1);
    __m128i ok = _mm_castps_si128(_mm_and_ps(_mm_cmplt_ps(_mm_and_ps(sx, absmask), limit),
                                             _mm_cmplt_ps(_mm_and_ps(sy, absmask), limit)));
    ok = _mm_and_si128(ok, _mm_and_si128(_mm_cmpgt_epi32(x0, minus1),
                                         _mm_cmpgt_epi32(_mm_set1_epi32(m->lastx), x0)));
    ok = _mm_and_si128(ok, _mm_and_si128(_mm_cmpgt_epi32(y0, minus1),
                                         _mm_cmpgt_epi32(_mm_set1_epi32(m->lasty), y0)));
    const __m128i at = _mm_add_epi32(_mm_mullo_epi32(y0, _mm_set1_epi32(m->width)), x0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index),
                     _mm_or_si128(at, _mm_andnot_si128(ok, minus1)));

    const __m256d fx = _mm256_cvtps_pd(_mm_sub_ps(sx, _mm_cvtepi32_ps(x0)));
    const __m256d fy = _mm256_cvtps_pd(_mm_sub_ps(sy, _mm_cvtepi32_ps(y0)));
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d gx = _mm256_sub_pd(one, fx), gy = _mm256_sub_pd(one, fy);
    _mm256_storeu_pd(w00, single(_mm256_mul_pd(gx, gy)));
    _mm256_storeu_pd(w10, single(_mm256_mul_pd(fx, gy)));
    _mm256_storeu_pd(w01, single(_mm256_mul_pd(gx, fy)));
    _mm256_storeu_pd(w11, single(_mm256_mul_pd(fx, fy)));
}

// Two adjacent pixels' channels as doubles, channels in lanes.
TRAMAP32_AVX2 inline void loadpair4(const uint32_t* p, __m256d* a, __m256d* b) {
    const __m256i c = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    *a = _mm256_cvtepi32_pd(_mm256_castsi256_si128(c));
    *b = _mm256_cvtepi32_pd(_mm256_extracti128_si256(c, 1));
}

TRAMAP32_AVX2 void bilinearavx2(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    const uint32_t n = m->npixels;
    const size_t w = size_t(m->width);
    int32_t index[kBatch];
    double w00[kBatch], w10[kBatch], w01[kBatch], w11[kBatch];
    uint32_t i = 0;
    while (n - i >= 4) {
        const uint32_t count = n - i >= kBatch ? kBatch : (n - i) & ~3u;
        for (uint32_t k = 0; k < count; k += 4)
            prepare4(m, i + k, index + k, w00 + k, w10 + k, w01 + k, w11 + k);
        for (uint32_t k = 0; k < count; ++k) {
            if (index[k] < 0) {
                dst[i + k] = bg;
                continue;
            }
            const uint32_t* p = src + uint32_t(index[k]);
            __m256d a0, b0, a1, b1;
            loadpair4(p, &a0, &b0);
            loadpair4(p + w, &a1, &b1);
            const __m256d s = _mm256_add_pd(
                _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_broadcast_sd(w00 + k), a0),
                                            _mm256_mul_pd(_mm256_broadcast_sd(w10 + k), b0)),
                              _mm256_mul_pd(_mm256_broadcast_sd(w01 + k), a1)),
                _mm256_mul_pd(_mm256_broadcast_sd(w11 + k), b1));
            dst[i + k] = packsums(_mm256_cvttpd_epi32(s));
        }
        i += count;
    }
    bilineargeneric(m, dst, src, bg, i, n);
}
#endif

}  // namespace

void bilinear(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg, Isa isa) {
#if TRAMAP32_X86
    if (isa >= Isa::Avx2) return bilinearavx2(m, dst, src, bg);
    if (isa == Isa::Sse2) return bilinearsse2(m, dst, src, bg);
#endif
    (void)isa;
    bilineargeneric(m, dst, src, bg, 0, m->npixels);
}

}  // namespace tramap32_internal
