// Bicubic resampling: cubic convolution with a = -1 over the 4 x 4 pixels
// around (x0, y0), rows y0-1..y0+2 and columns x0-1..x0+2:
//
//   k(t) = 1 - 2t^2 + t^3 (t < 1),  4 - 8t + 5t^2 - t^3 (1 <= t < 2),  0 beyond
//   wx = float(k(fx + 1)), float(k(fx)), float(k(1 - fx)), float(k(2 - fx)); wy alike
//   row n:     r(n) = wx0 P(0,n).c + wx1 P(1,n).c + wx2 P(2,n).c + wx3 P(3,n).c
//   channel c: clamp(trunc(((0 + wy0 r(0)) + wy1 r(1)) + wy2 r(2)) + wy3 r(3)))
//
// in double precision, each polynomial evaluated as written left to right.
// The base must lie in 1..lastx-2 and 1..lasty-2, else the background is written.
//
// The vector forms compute the eight weights once per pixel, pixels in lanes,
// then the sums with the four channels of a pixel in lanes. Where the base is
// valid the fraction f lies in [0, 1), so the branch of k is known for each
// weight: f + 1 in [1, 2) takes the second polynomial, f the first, 1 - f the
// first (at t = 1 both give +0), 2 - f the second (at t = 2 it gives +0,
// which is the 0 of the third branch).
#include <cstdint>

#include "isa.h"
#include "resample_internal.h"
#include "tramap32.h"

#if TRAMAP32_X86
#include <immintrin.h>
#endif

namespace tramap32_internal {

namespace {

// Base index (of the 4 x 4 block's top-left pixel) and weights of pixel i;
// false for the background.
inline bool prepare(const WarpMap* m, uint32_t i, size_t* index, double wx[4], double wy[4]) {
    const float sx = m->adrx[i], sy = m->adry[i];
    int32_t x0, y0;
    if (!basecoord(sx, &x0) || !basecoord(sy, &y0) || y0 < 1 || y0 >= m->lasty - 1 || x0 < 1 ||
        x0 >= m->lastx - 1)
        return false;
    const float fx = float(double(sx) - x0), fy = float(double(sy) - y0);
    for (int n = 0; n < 4; ++n) {
        wx[n] = cubic(double(fx) - (n - 1));
        wy[n] = cubic(double(fy) - (n - 1));
    }
    *index = size_t(y0 - 1) * size_t(m->width) + size_t(x0 - 1);
    return true;
}

void bicubicgeneric(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg,
                    uint32_t begin, uint32_t end) {
    for (uint32_t i = begin; i < end; ++i) {
        size_t at;
        double wx[4], wy[4];
        if (!prepare(m, i, &at, wx, wy)) {
            dst[i] = bg;
            continue;
        }
        const uint32_t* base = src + at;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            double sum = 0.0;
            for (int n = 0; n < 4; ++n) {
                const uint32_t* row = base + size_t(n) * size_t(m->width);
                const double rowsum = wx[0] * channel(row[0], c) + wx[1] * channel(row[1], c) +
                                      wx[2] * channel(row[2], c) + wx[3] * channel(row[3], c);
                sum += wy[n] * rowsum;
            }
            out |= clampchannel(sum) << (8 * c);
        }
        dst[i] = out;
    }
}

#if TRAMAP32_X86
// Four adjacent pixels' channels as doubles: c[2k] = (c0, c1), c[2k+1] = (c2, c3)
// of pixel k.
inline void loadrow(const uint32_t* p, __m128d c[8]) {
    const __m128i z = _mm_setzero_si128();
    const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lo = _mm_unpacklo_epi8(px, z), hi = _mm_unpackhi_epi8(px, z);
    const __m128i q[4] = {_mm_unpacklo_epi16(lo, z), _mm_unpackhi_epi16(lo, z),
                          _mm_unpacklo_epi16(hi, z), _mm_unpackhi_epi16(hi, z)};
    for (int k = 0; k < 4; ++k) {
        c[2 * k] = _mm_cvtepi32_pd(q[k]);
        c[2 * k + 1] = _mm_cvtepi32_pd(_mm_unpackhi_epi64(q[k], q[k]));
    }
}

void bicubicsse2(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    const uint32_t n = m->npixels;
    const size_t w = size_t(m->width);
    for (uint32_t i = 0; i < n; ++i) {
        size_t at;
        double wx[4], wy[4];
        if (!prepare(m, i, &at, wx, wy)) {
            dst[i] = bg;
            continue;
        }
        const __m128d x0 = _mm_set1_pd(wx[0]), x1 = _mm_set1_pd(wx[1]);
        const __m128d x2 = _mm_set1_pd(wx[2]), x3 = _mm_set1_pd(wx[3]);
        __m128d t01 = _mm_setzero_pd(), t23 = _mm_setzero_pd();
        for (int r = 0; r < 4; ++r) {
            __m128d c[8];
            loadrow(src + at + size_t(r) * w, c);
            const __m128d r01 =
                _mm_add_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(x0, c[0]), _mm_mul_pd(x1, c[2])),
                                      _mm_mul_pd(x2, c[4])),
                           _mm_mul_pd(x3, c[6]));
            const __m128d r23 =
                _mm_add_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(x0, c[1]), _mm_mul_pd(x1, c[3])),
                                      _mm_mul_pd(x2, c[5])),
                           _mm_mul_pd(x3, c[7]));
            const __m128d wr = _mm_set1_pd(wy[r]);
            t01 = _mm_add_pd(t01, _mm_mul_pd(wr, r01));
            t23 = _mm_add_pd(t23, _mm_mul_pd(wr, r23));
        }
        dst[i] = packsums(_mm_unpacklo_epi64(_mm_cvttpd_epi32(t01), _mm_cvttpd_epi32(t23)));
    }
}

constexpr uint32_t kBatch = 64;

TRAMAP32_AVX2 inline __m256d single(__m256d v) {
    return _mm256_cvtps_pd(_mm256_cvtpd_ps(v));
}

// 1 - 2t^2 + t^3 and 4 - 8t + 5t^2 - t^3, as the per-pixel form writes them.
TRAMAP32_AVX2 inline __m256d inner(__m256d t) {
    const __m256d t3 = _mm256_mul_pd(_mm256_mul_pd(t, t), t);
    return _mm256_add_pd(
        _mm256_sub_pd(_mm256_set1_pd(1.0), _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), t), t)),
        t3);
}

TRAMAP32_AVX2 inline __m256d outer(__m256d t) {
    const __m256d t3 = _mm256_mul_pd(_mm256_mul_pd(t, t), t);
    return _mm256_sub_pd(
        _mm256_add_pd(_mm256_sub_pd(_mm256_set1_pd(4.0), _mm256_mul_pd(_mm256_set1_pd(8.0), t)),
                      _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(5.0), t), t)),
        t3);
}

// The four weights of fractions f in [0, 1), pixels in lanes.
TRAMAP32_AVX2 inline void kernel4(__m256d f, double* w0, double* w1, double* w2, double* w3) {
    const __m256d absmask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFll));
    _mm256_storeu_pd(w0, single(outer(_mm256_sub_pd(f, _mm256_set1_pd(-1.0)))));
    _mm256_storeu_pd(w1, single(inner(f)));
    _mm256_storeu_pd(w2,
                     single(inner(_mm256_and_pd(_mm256_sub_pd(f, _mm256_set1_pd(1.0)), absmask))));
    _mm256_storeu_pd(w3,
                     single(outer(_mm256_and_pd(_mm256_sub_pd(f, _mm256_set1_pd(2.0)), absmask))));
}

// Weights of a batch: weight n of pixel k at w[n * kBatch + k].
TRAMAP32_AVX2 inline void prepare4(const WarpMap* m, uint32_t i, int32_t* index, double* wx,
                                   double* wy) {
    const __m128 sx = _mm_loadu_ps(m->adrx + i), sy = _mm_loadu_ps(m->adry + i);
    const __m128 absmask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 limit = _mm_set1_ps(2147483648.0f);
    const __m128 zero = _mm_setzero_ps();
    const __m128i x0 =
        _mm_add_epi32(_mm_cvttps_epi32(sx), _mm_castps_si128(_mm_cmple_ps(sx, zero)));
    const __m128i y0 =
        _mm_add_epi32(_mm_cvttps_epi32(sy), _mm_castps_si128(_mm_cmple_ps(sy, zero)));
    const __m128i zeroi = _mm_setzero_si128();
    __m128i ok = _mm_castps_si128(_mm_and_ps(_mm_cmplt_ps(_mm_and_ps(sx, absmask), limit),
                                             _mm_cmplt_ps(_mm_and_ps(sy, absmask), limit)));
    ok = _mm_and_si128(ok, _mm_and_si128(_mm_cmpgt_epi32(x0, zeroi),
                                         _mm_cmpgt_epi32(_mm_set1_epi32(m->lastx - 1), x0)));
    ok = _mm_and_si128(ok, _mm_and_si128(_mm_cmpgt_epi32(y0, zeroi),
                                         _mm_cmpgt_epi32(_mm_set1_epi32(m->lasty - 1), y0)));
    const __m128i one = _mm_set1_epi32(1);
    const __m128i at = _mm_add_epi32(
        _mm_mullo_epi32(_mm_sub_epi32(y0, one), _mm_set1_epi32(m->width)), _mm_sub_epi32(x0, one));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index),
                     _mm_or_si128(at, _mm_andnot_si128(ok, _mm_set1_epi32(-1))));
    kernel4(_mm256_cvtps_pd(_mm_sub_ps(sx, _mm_cvtepi32_ps(x0))), wx, wx + kBatch, wx + 2 * kBatch,
            wx + 3 * kBatch);
    kernel4(_mm256_cvtps_pd(_mm_sub_ps(sy, _mm_cvtepi32_ps(y0))), wy, wy + kBatch, wy + 2 * kBatch,
            wy + 3 * kBatch);
}

// Row sum of four adjacent pixels, channels in lanes.
TRAMAP32_AVX2 inline __m256d rowsum(const uint32_t* p, __m256d x0, __m256d x1, __m256d x2,
                                    __m256d x3) {
    const __m256i lo = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    const __m256i hi =
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 2)));
    const __m256d c0 = _mm256_cvtepi32_pd(_mm256_castsi256_si128(lo));
    const __m256d c1 = _mm256_cvtepi32_pd(_mm256_extracti128_si256(lo, 1));
    const __m256d c2 = _mm256_cvtepi32_pd(_mm256_castsi256_si128(hi));
    const __m256d c3 = _mm256_cvtepi32_pd(_mm256_extracti128_si256(hi, 1));
    return _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(x0, c0), _mm256_mul_pd(x1, c1)),
                                       _mm256_mul_pd(x2, c2)),
                         _mm256_mul_pd(x3, c3));
}

TRAMAP32_AVX2 void bicubicavx2(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    const uint32_t n = m->npixels;
    const size_t w = size_t(m->width);
    int32_t index[kBatch];
    double wx[4 * kBatch], wy[4 * kBatch];
    uint32_t i = 0;
    while (n - i >= 4) {
        const uint32_t count = n - i >= kBatch ? kBatch : (n - i) & ~3u;
        for (uint32_t k = 0; k < count; k += 4) prepare4(m, i + k, index + k, wx + k, wy + k);
        for (uint32_t k = 0; k < count; ++k) {
            if (index[k] < 0) {
                dst[i + k] = bg;
                continue;
            }
            const uint32_t* p = src + uint32_t(index[k]);
            const __m256d x0 = _mm256_broadcast_sd(wx + k);
            const __m256d x1 = _mm256_broadcast_sd(wx + kBatch + k);
            const __m256d x2 = _mm256_broadcast_sd(wx + 2 * kBatch + k);
            const __m256d x3 = _mm256_broadcast_sd(wx + 3 * kBatch + k);
            __m256d total = _mm256_setzero_pd();
            for (int r = 0; r < 4; ++r)
                total =
                    _mm256_add_pd(total, _mm256_mul_pd(_mm256_broadcast_sd(wy + r * kBatch + k),
                                                       rowsum(p + size_t(r) * w, x0, x1, x2, x3)));
            dst[i + k] = packsums(_mm256_cvttpd_epi32(total));
        }
        i += count;
    }
    bicubicgeneric(m, dst, src, bg, i, n);
}
#endif

}  // namespace

void bicubic(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg, Isa isa) {
#if TRAMAP32_X86
    if (isa >= Isa::Avx2) return bicubicavx2(m, dst, src, bg);
    if (isa == Isa::Sse2) return bicubicsse2(m, dst, src, bg);
#endif
    (void)isa;
    bicubicgeneric(m, dst, src, bg, 0, m->npixels);
}

}  // namespace tramap32_internal
