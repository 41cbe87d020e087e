// Smoothing of the address map: a separable three-tap average applied to adrx
// and to adry independently.
//
//   average(p, q, n) = float((double(n) + double(q) + double(p)) * double(0.33333334f))
//
// taken only when all three taps are >= 0, so the no-source mark (-1.0) and
// negative positions never spread and an entry beside one keeps its value.
// Pass 1 runs along rows 1..lasty (row 0 untouched) over columns 1..lastx-1,
// pass 2 down columns 1..lastx (column 0 untouched) over rows 1..lasty-1, each
// reading the values as they were before its own pass.
//
// Both passes are done in one sweep down the picture, band by band right
// after the band is drawn: pass 1 of the band's rows, then pass 2 of every row
// whose lower neighbour has had pass 1. Pass 2 of row y needs pass 1's rows
// y-1, y and y+1; row y-1 has by then been overwritten by pass 2, so its
// pass-1 values are carried in a row buffer (replaced by row y's as row y is
// written; 32 KB of stack per array). Pictures wider than the buffer run
// pass 2 in column strips of the buffer's width once pass 1 is complete.
// Either way each entry sees exactly the taps and operations written above;
// the SSE2, AVX2 and AVX-512 forms compute the same sums, lane by lane, in the
// same order, and test the taps with ordered comparisons as the scalar form.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "addrmap_internal.h"
#include "isa.h"

#if TRAMAP32_X86
#include <immintrin.h>
#endif

namespace tramap32_internal {

namespace {

// One third rounded to single precision, as the smoothing multiplies by it.
constexpr double kThird = double(0.33333334f);

inline void average(float p, float q, float n, float* out) {
    if (p >= 0 && q >= 0 && n >= 0) *out = float((double(n) + double(q) + double(p)) * kThird);
}

// The scalar rest of pass 1 from column x up to end (exclusive); p is the
// value left of x as it was before the pass.
inline void pass1rest(float* row, int x, int end, float p) {
    float q = row[x];
    for (; x < end; ++x) {
        const float n = row[x + 1];
        average(p, q, n, &row[x]);
        p = q;
        q = n;
    }
}

// Pass 1 over one row of w entries, in place.
void pass1generic(float* row, int w) {
    if (w < 3) return;
    float p = row[0], q = row[1];
    for (int x = 1; x < w - 1; ++x) {
        const float n = row[x + 1];
        average(p, q, n, &row[x]);
        p = q;
        q = n;
    }
}

// Pass 2 over count entries of one row: prev holds pass 1's values of the row
// above and receives this row's before they are replaced; next is the row below.
void pass2generic(float* prev, float* row, const float* next, int count) {
    for (int i = 0; i < count; ++i) {
        const float p = prev[i], q = row[i], n = next[i];
        prev[i] = q;
        average(p, q, n, &row[i]);
    }
}

#if TRAMAP32_X86
// Four averages, with each lane keeping q where a tap is negative.
inline __m128 average4(__m128 p, __m128 q, __m128 n) {
    const __m128d third = _mm_set1_pd(kThird);
    const __m128d lo = _mm_mul_pd(
        _mm_add_pd(_mm_add_pd(_mm_cvtps_pd(n), _mm_cvtps_pd(q)), _mm_cvtps_pd(p)), third);
    const __m128d hi = _mm_mul_pd(
        _mm_add_pd(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(n, n)), _mm_cvtps_pd(_mm_movehl_ps(q, q))),
                   _mm_cvtps_pd(_mm_movehl_ps(p, p))),
        third);
    const __m128 avg = _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
    const __m128 zero = _mm_setzero_ps();
    const __m128 ok =
        _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(p, zero), _mm_cmpge_ps(q, zero)), _mm_cmpge_ps(n, zero));
    return _mm_or_ps(_mm_and_ps(ok, avg), _mm_andnot_ps(ok, q));
}

void pass1sse2(float* row, int w) {
    if (w < 3) return;
    const int end = w - 1;  // last column written, exclusive
    int x = 1;
    if (end - x >= 4) {
        // Every vector's taps are loaded before the previous result is stored,
        // so each average reads the row as it was before this pass.
        __m128 p = _mm_loadu_ps(row + x - 1), q = _mm_loadu_ps(row + x),
               n = _mm_loadu_ps(row + x + 1);
        for (;;) {
            const __m128 out = average4(p, q, n);
            const bool more = x + 8 <= end;
            if (more) {
                p = _mm_loadu_ps(row + x + 3);
                q = _mm_loadu_ps(row + x + 4);
                n = _mm_loadu_ps(row + x + 5);
            }
            const float keep = row[x + 3];
            _mm_storeu_ps(row + x, out);
            x += 4;
            if (!more) {
                // Scalar rest, from the original value left of x.
                pass1rest(row, x, end, keep);
                return;
            }
        }
    }
    pass1rest(row, x, end, row[x - 1]);
}

void pass2sse2(float* prev, float* row, const float* next, int count) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 p = _mm_loadu_ps(prev + i), q = _mm_loadu_ps(row + i),
                     n = _mm_loadu_ps(next + i);
        _mm_storeu_ps(prev + i, q);
        _mm_storeu_ps(row + i, average4(p, q, n));
    }
    pass2generic(prev + i, row + i, next + i, count - i);
}

TRAMAP32_AVX2 inline __m256d sum3(__m128 p, __m128 q, __m128 n) {
    return _mm256_add_pd(_mm256_add_pd(_mm256_cvtps_pd(n), _mm256_cvtps_pd(q)), _mm256_cvtps_pd(p));
}

TRAMAP32_AVX2 inline __m256 average8(__m256 p, __m256 q, __m256 n) {
    const __m256d third = _mm256_set1_pd(kThird);
    const __m128 lo = _mm256_cvtpd_ps(_mm256_mul_pd(
        sum3(_mm256_castps256_ps128(p), _mm256_castps256_ps128(q), _mm256_castps256_ps128(n)),
        third));
    const __m128 hi = _mm256_cvtpd_ps(_mm256_mul_pd(
        sum3(_mm256_extractf128_ps(p, 1), _mm256_extractf128_ps(q, 1), _mm256_extractf128_ps(n, 1)),
        third));
    const __m256 avg = _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 ok = _mm256_and_ps(
        _mm256_and_ps(_mm256_cmp_ps(p, zero, _CMP_GE_OQ), _mm256_cmp_ps(q, zero, _CMP_GE_OQ)),
        _mm256_cmp_ps(n, zero, _CMP_GE_OQ));
    return _mm256_blendv_ps(q, avg, ok);
}

TRAMAP32_AVX2 void pass1avx2(float* row, int w) {
    if (w < 3) return;
    const int end = w - 1;
    int x = 1;
    if (end - x >= 8) {
        __m256 p = _mm256_loadu_ps(row + x - 1), q = _mm256_loadu_ps(row + x),
               n = _mm256_loadu_ps(row + x + 1);
        for (;;) {
            const __m256 out = average8(p, q, n);
            const bool more = x + 16 <= end;
            if (more) {
                p = _mm256_loadu_ps(row + x + 7);
                q = _mm256_loadu_ps(row + x + 8);
                n = _mm256_loadu_ps(row + x + 9);
            }
            const float keep = row[x + 7];
            _mm256_storeu_ps(row + x, out);
            x += 8;
            if (!more) {
                pass1rest(row, x, end, keep);
                return;
            }
        }
    }
    pass1rest(row, x, end, row[x - 1]);
}

TRAMAP32_AVX2 void pass2avx2(float* prev, float* row, const float* next, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 p = _mm256_loadu_ps(prev + i), q = _mm256_loadu_ps(row + i),
                     n = _mm256_loadu_ps(next + i);
        _mm256_storeu_ps(prev + i, q);
        _mm256_storeu_ps(row + i, average8(p, q, n));
    }
    pass2generic(prev + i, row + i, next + i, count - i);
}

// GCC 12 warns about the deliberately undefined upper halves inside its own
// AVX-512 conversion intrinsics (a known false positive of the compiler).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// Sixteen averages, lanes with a negative tap keeping q.
TRAMAP32_AVX512 inline __m512 average16(__m512 p, __m512 q, __m512 n) {
    const __m512d third = _mm512_set1_pd(kThird);
    const __m256 lo = _mm512_cvtpd_ps(
        _mm512_mul_pd(_mm512_add_pd(_mm512_add_pd(_mm512_cvtps_pd(_mm512_castps512_ps256(n)),
                                                  _mm512_cvtps_pd(_mm512_castps512_ps256(q))),
                                    _mm512_cvtps_pd(_mm512_castps512_ps256(p))),
                      third));
    const __m256 hi = _mm512_cvtpd_ps(
        _mm512_mul_pd(_mm512_add_pd(_mm512_add_pd(_mm512_cvtps_pd(_mm512_extractf32x8_ps(n, 1)),
                                                  _mm512_cvtps_pd(_mm512_extractf32x8_ps(q, 1))),
                                    _mm512_cvtps_pd(_mm512_extractf32x8_ps(p, 1))),
                      third));
    const __m512 zero = _mm512_setzero_ps();
    const __mmask16 ok = _mm512_mask_cmp_ps_mask(
        _mm512_mask_cmp_ps_mask(_mm512_cmp_ps_mask(p, zero, _CMP_GE_OQ), q, zero, _CMP_GE_OQ), n,
        zero, _CMP_GE_OQ);
    return _mm512_mask_blend_ps(ok, q, _mm512_insertf32x8(_mm512_castps256_ps512(lo), hi, 1));
}

// Lanes 0..count-1 (count <= 16).
TRAMAP32_AVX512 inline __mmask16 lanes(int count) {
    return __mmask16((1u << count) - 1u);
}

TRAMAP32_AVX512 void pass1avx512(float* row, int w) {
    if (w < 3) return;
    const int end = w - 1;
    int x = 1, count = std::min(16, end - x);
    __mmask16 k = lanes(count);
    __m512 p = _mm512_maskz_loadu_ps(k, row + x - 1), q = _mm512_maskz_loadu_ps(k, row + x),
           n = _mm512_maskz_loadu_ps(k, row + x + 1);
    for (;;) {
        const __m512 out = average16(p, q, n);
        const int next = x + count;
        const __mmask16 kept = k;
        if (next < end) {
            // The next vector's taps are read before this one is stored.
            count = std::min(16, end - next);
            k = lanes(count);
            p = _mm512_maskz_loadu_ps(k, row + next - 1);
            q = _mm512_maskz_loadu_ps(k, row + next);
            n = _mm512_maskz_loadu_ps(k, row + next + 1);
        }
        _mm512_mask_storeu_ps(row + x, kept, out);
        if (next >= end) return;
        x = next;
    }
}

TRAMAP32_AVX512 void pass2avx512(float* prev, float* row, const float* next, int count) {
    for (int i = 0; i < count; i += 16) {
        const __mmask16 k = lanes(std::min(16, count - i));
        const __m512 p = _mm512_maskz_loadu_ps(k, prev + i), q = _mm512_maskz_loadu_ps(k, row + i),
                     n = _mm512_maskz_loadu_ps(k, next + i);
        _mm512_mask_storeu_ps(prev + i, k, q);
        _mm512_mask_storeu_ps(row + i, k, average16(p, q, n));
    }
}
#pragma GCC diagnostic pop
#endif

}  // namespace

Smoother::Smoother(float* a, int width, int height, Isa isa) : a_(a), w_(width), h_(height) {
#if TRAMAP32_X86
    if (isa == Isa::Avx512) {
        pass1_ = pass1avx512, pass2_ = pass2avx512;
        return;
    }
    if (isa == Isa::Avx2) {
        pass1_ = pass1avx2, pass2_ = pass2avx2;
        return;
    }
    if (isa == Isa::Sse2) {
        pass1_ = pass1sse2, pass2_ = pass2sse2;
        return;
    }
#endif
    (void)isa;
    pass1_ = pass1generic, pass2_ = pass2generic;
}

void Smoother::rows(int y0, int y1) {
    for (int y = std::max(y0, 1); y < y1; ++y) pass1_(row(y), w_);
    if (h_ < 3 || w_ > kRowBuffer) return;
    // Row 0 is final as drawn: pass 1 leaves it alone.
    if (y0 == 0) std::memcpy(prev_, row(0), size_t(w_) * sizeof(float));
    for (; next_ <= y1 - 2 && next_ <= h_ - 2; ++next_)
        pass2_(prev_ + 1, row(next_) + 1, row(next_ + 1) + 1, w_ - 1);
}

void Smoother::finish() {
    if (h_ < 3 || w_ <= kRowBuffer) return;
    // Too wide for one row buffer: pass 2 in strips once pass 1 is complete.
    for (int x = 1; x < w_; x += kRowBuffer) {
        const int count = std::min(kRowBuffer, w_ - x);
        std::memcpy(prev_, row(0) + x, size_t(count) * sizeof(float));
        for (int y = 1; y < h_ - 1; ++y) pass2_(prev_, row(y) + x, row(y + 1) + x, count);
    }
}

void smoothmap(float* a, int width, int height, Isa isa) {
    Smoother s(a, width, height, isa);
    s.rows(0, height);
    s.finish();
}

}  // namespace tramap32_internal
