// Nearest-neighbour resampling: destination i takes the whole source pixel
// (all 32 bits) at (round(adrx[i]), round(adry[i])), rounding halves away from
// zero, or the background when that pixel is outside the picture or the
// address does not fit an int.
//
// The vector forms compute the same rounding without the double sum v +- 0.5:
// for |v| < 2^31 (exactly the addresses the int range admits), with
// t = trunc(|v|) and f = |v| - t (both exact in single precision),
// trunc(|v| + 0.5) = t + (f >= 0.5), and the result carries the sign of v
// (v <= 0 negates it, which leaves 0 as 0). v + 0.5 is exact in double for
// |v| >= 0.5 and lies in [0.5, 1) otherwise, so both ways truncate to the
// same integer.
#include <cstdint>

#include "isa.h"
#include "resample_internal.h"
#include "tramap32.h"

#if TRAMAP32_X86
#include <immintrin.h>
#endif

namespace tramap32_internal {

namespace {

void nearestgeneric(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg,
                    uint32_t begin, uint32_t end) {
    for (uint32_t i = begin; i < end; ++i) {
        int32_t x, y;
        if (roundcoord(m->adrx[i], &x) && roundcoord(m->adry[i], &y) && y >= 0 && y < m->height &&
            x >= 0 && x < m->width) {
            dst[i] = src[size_t(y) * size_t(m->width) + size_t(x)];
        } else {
            dst[i] = bg;
        }
    }
}

#if TRAMAP32_X86
// Rounded coordinates of four addresses; ok marks those that fit an int.
inline __m128i round4(__m128 v, __m128i* ok) {
    const __m128 a = _mm_and_ps(v, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)));
    *ok = _mm_castps_si128(_mm_cmplt_ps(a, _mm_set1_ps(2147483648.0f)));
    const __m128i t = _mm_cvttps_epi32(a);
    const __m128 f = _mm_sub_ps(a, _mm_cvtepi32_ps(t));
    const __m128i r = _mm_sub_epi32(t, _mm_castps_si128(_mm_cmpge_ps(f, _mm_set1_ps(0.5f))));
    const __m128i neg = _mm_castps_si128(_mm_cmple_ps(v, _mm_setzero_ps()));
    return _mm_sub_epi32(_mm_xor_si128(r, neg), neg);
}

// 0 <= v < limit, lane by lane.
inline __m128i inrange4(__m128i v, __m128i limit) {
    return _mm_and_si128(_mm_cmpgt_epi32(limit, v), _mm_cmpgt_epi32(v, _mm_set1_epi32(-1)));
}

void nearestsse2(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    const uint32_t n = m->npixels;
    const size_t w = size_t(m->width);
    const __m128i vw = _mm_set1_epi32(m->width), vh = _mm_set1_epi32(m->height);
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i okx, oky;
        const __m128i rx = round4(_mm_loadu_ps(m->adrx + i), &okx);
        const __m128i ry = round4(_mm_loadu_ps(m->adry + i), &oky);
        const __m128i ok = _mm_and_si128(_mm_and_si128(okx, oky),
                                         _mm_and_si128(inrange4(rx, vw), inrange4(ry, vh)));
        int32_t xs[4], ys[4], oks[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(xs), rx);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(ys), ry);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(oks), ok);
        for (int k = 0; k < 4; ++k)
            dst[i + k] = oks[k] ? src[size_t(ys[k]) * w + size_t(xs[k])] : bg;
    }
    nearestgeneric(m, dst, src, bg, i, n);
}

TRAMAP32_AVX2 inline __m256i round8(__m256 v, __m256i* ok) {
    const __m256 a = _mm256_and_ps(v, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
    *ok = _mm256_castps_si256(_mm256_cmp_ps(a, _mm256_set1_ps(2147483648.0f), _CMP_LT_OQ));
    const __m256i t = _mm256_cvttps_epi32(a);
    const __m256 f = _mm256_sub_ps(a, _mm256_cvtepi32_ps(t));
    const __m256i r = _mm256_sub_epi32(
        t, _mm256_castps_si256(_mm256_cmp_ps(f, _mm256_set1_ps(0.5f), _CMP_GE_OQ)));
    const __m256i neg = _mm256_castps_si256(_mm256_cmp_ps(v, _mm256_setzero_ps(), _CMP_LE_OQ));
    return _mm256_sub_epi32(_mm256_xor_si256(r, neg), neg);
}

TRAMAP32_AVX2 inline __m256i inrange8(__m256i v, __m256i limit) {
    return _mm256_and_si256(_mm256_cmpgt_epi32(limit, v),
                            _mm256_cmpgt_epi32(v, _mm256_set1_epi32(-1)));
}

// Pixels per block of the AVX2 form: the source indices of one block are
// worked out (and their source lines prefetched) while the previous block's
// pixels are fetched, so that a warp that wanders across source rows does not
// wait on every cache miss in turn.
constexpr uint32_t kBlock = 256;

// Source index of pixels i..i+kBlock-1 into at[], -1 for the background.
TRAMAP32_AVX2 void nearestindex(const WarpMap* m, const uint32_t* src, uint32_t i, int32_t* at) {
    const __m256i vw = _mm256_set1_epi32(m->width), vh = _mm256_set1_epi32(m->height);
    for (uint32_t k = 0; k < kBlock; k += 8) {
        __m256i okx, oky;
        const __m256i rx = round8(_mm256_loadu_ps(m->adrx + i + k), &okx);
        const __m256i ry = round8(_mm256_loadu_ps(m->adry + i + k), &oky);
        const __m256i ok = _mm256_and_si256(_mm256_and_si256(okx, oky),
                                            _mm256_and_si256(inrange8(rx, vw), inrange8(ry, vh)));
        const __m256i idx = _mm256_or_si256(_mm256_add_epi32(_mm256_mullo_epi32(ry, vw), rx),
                                            _mm256_andnot_si256(ok, _mm256_set1_epi32(-1)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(at + k), idx);
        // Eight neighbours mostly share one or two source lines.
        if (at[k] >= 0) _mm_prefetch(reinterpret_cast<const char*>(src + at[k]), _MM_HINT_T0);
        if (at[k + 7] >= 0)
            _mm_prefetch(reinterpret_cast<const char*>(src + at[k + 7]), _MM_HINT_T0);
    }
}

TRAMAP32_AVX2 void nearestfetch(const uint32_t* src, const int32_t* at, uint32_t* dst,
                                uint32_t bg) {
    const __m256i vbg = _mm256_set1_epi32(int32_t(bg));
    for (uint32_t k = 0; k < kBlock; k += 8) {
        const __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + k));
        uint32_t got[8];
        // Background lanes read pixel 0 and are then replaced.
        for (int j = 0; j < 8; ++j) got[j] = src[uint32_t(at[k + j] & ~(at[k + j] >> 31))];
        // Whole lanes: every byte of a background lane's mask is set.
        const __m256i px =
            _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(got)), vbg,
                               _mm256_srai_epi32(idx, 31));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + k), px);
    }
}

TRAMAP32_AVX2 void nearestavx2(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    const uint32_t n = m->npixels, blocks = n / kBlock;
    int32_t at[2][kBlock];
    if (blocks > 0) nearestindex(m, src, 0, at[0]);
    for (uint32_t b = 0; b < blocks; ++b) {
        if (b + 1 < blocks) nearestindex(m, src, (b + 1) * kBlock, at[(b + 1) & 1]);
        nearestfetch(src, at[b & 1], dst + b * kBlock, bg);
    }
    nearestgeneric(m, dst, src, bg, blocks * kBlock, n);
}
#endif

}  // namespace

void nearest(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg, Isa isa) {
#if TRAMAP32_X86
    if (isa >= Isa::Avx2) return nearestavx2(m, dst, src, bg);
    if (isa == Isa::Sse2) return nearestsse2(m, dst, src, bg);
#endif
    (void)isa;
    nearestgeneric(m, dst, src, bg, 0, m->npixels);
}

}  // namespace tramap32_internal
