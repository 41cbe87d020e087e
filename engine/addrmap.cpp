// Address-map generation: the piecewise-affine map from the deformed lattice
// back onto the original one, followed by a separable three-tap smoothing
// (smooth.cpp).
//
// Every lattice cell is cut into four triangles meeting at the crossing of the
// cell's diagonals: top (P00, P10, c), right (P10, P11, c), bottom (P11, P01, c),
// left (P01, P00, c). Each destination triangle is mapped onto its source
// triangle by the affine map solved with Cramer's rule:
//
//   D  = x0 y1 + x1 y2 + x2 y0 - x1 y0 - x2 y1 - x0 y2,   k = 1 / D
//   ax = k (p0 y1 + p1 y2 + p2 y0 - p1 y0 - p2 y1 - p0 y2)
//   bx = k (x0 p1 + x1 p2 + x2 p0 - x1 p0 - x2 p1 - x0 p2)
//   cx = k (p0 x1 y2 + p1 x2 y0 + p2 x0 y1 - p2 x1 y0 - p0 x2 y1 - p1 x0 y2)
//   (ay, by, cy likewise with q for p)
//
// A pixel belongs to a triangle when its three edge values
//   e0 = (x0 - x)(y1 - y) - (x1 - x)(y0 - y), e1, e2 (cyclically)
// are all >= 0 or all <= 0, so either winding is drawn and edge pixels belong
// to both neighbours; the later triangle wins.
//
// Precision: coordinates, centres, k, the six coefficients, the edge values and
// the results are rounded to single precision when stored; everything between
// those stores is double precision. Per row, bx*y + cx is rounded once and
// ax*x added per pixel. The build forbids contraction into fused multiply-add,
// so the bits are the same on every target.
//
// Spans instead of per-pixel tests: for almost every triangle the edge values
// above are computed without any rounding at all. With g(v) the coarsest
// power of two dividing v, capped at 1 (x and y are whole), each difference
// (xk - x) is a multiple of g(xk), each product a multiple of g(xk) g(yj), and
// when the triangle's extent keeps every magnitude below 2^53 times that step
// the double results are exact (exactspans() checks this per triangle, with a
// factor of 8 to spare; it fails only for absurd extents or for centres that
// are very fine binary fractions, e.g. within about 2^-5 of zero). Exact edge
// values are an exact affine function of the pixel: moving one column adds
// y(k) - y(k+1), one row x(k+1) - x(k), both exact too. So along a row the
// pixels with all three values >= 0 (or all <= 0) form at most two intervals,
// whose ends are found from exact values (a quotient only guesses where to
// look), and the pixels in between are written without testing. Rounding an
// exact value to single precision cannot change its sign (a nonzero one is
// at least 2^-149, the smallest single), so the pixels drawn are exactly those
// of the per-pixel test, and their values come from the same expression.
// Other triangles take the per-pixel test.
//
// Band by band: the map is cleared, drawn and smoothed in bands of rows small
// enough to stay in the processor's second-level cache. Each band draws every
// triangle that reaches it (cells are culled by the rows they can reach) in
// the usual cell and triangle order, restricted to the band's rows, so every
// pixel sees the same writes in the same order as a whole-picture pass, and
// each entry of the map travels to memory about once.
//
// Guards: a triangle writes only pixels inside the picture (each coordinate
// clipped, so nothing spills into the neighbouring row); a triangle with a zero
// determinant, a cell whose diagonals are parallel, and a triangle whose
// coefficients are not finite or so large that a result could overflow are
// skipped, leaving their pixels to other triangles or at -1.0.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "addrmap_internal.h"
#include "isa.h"
#include "tramap32.h"

#if TRAMAP32_X86
#include <immintrin.h>
#endif

namespace tramap32_internal {

namespace {

struct Vec {
    float x, y;
};

// Crossing of the diagonals P00-P11 and P10-P01. False when they are parallel
// or the result is not finite.
bool diagonalcross(Vec p00, Vec p10, Vec p01, Vec p11, Vec* c) {
    const double x00 = p00.x, y00 = p00.y, x10 = p10.x, y10 = p10.y;
    const double x01 = p01.x, y01 = p01.y, x11 = p11.x, y11 = p11.y;
    const double t = (x01 - x10) * (y11 - y00);
    const double a = (x11 - x00) * (y01 - y10);
    if (t == a) return false;
    c->x = float((x00 * t - x10 * a + (x01 - x10) * (x11 - x00) * (y10 - y00)) / (t - a));
    c->y = float((y00 * a - y10 * t + (y11 - y00) * (y01 - y10) * (x10 - x00)) / (a - t));
    return std::isfinite(c->x) && std::isfinite(c->y);
}

// Largest magnitude a mapped coordinate may reach before a triangle is deemed
// degenerate; far beyond any picture, far below the float range.
constexpr double kCoordLimit = 1e30;

// One destination triangle, ready to draw.
struct Triangle {
    double x[3], y[3];             // destination vertices
    float ax, bx, cx, ay, by, cy;  // the affine map to the source
    int xa, xb, ya, yb;            // bounding box of whole pixels, clipped
};

bool setup(const WarpMap* m, const Vec d[3], const Vec s[3], Triangle* t) {
    const double x0 = d[0].x, y0 = d[0].y, x1 = d[1].x, y1 = d[1].y, x2 = d[2].x, y2 = d[2].y;
    const double p0 = s[0].x, q0 = s[0].y, p1 = s[1].x, q1 = s[1].y, p2 = s[2].x, q2 = s[2].y;

    const double det = x0 * y1 + x1 * y2 + x2 * y0 - x1 * y0 - x2 * y1 - x0 * y2;
    if (det == 0.0) return false;
    const double k = float(1.0 / det);
    t->ax = float(k * (p0 * y1 + p1 * y2 + p2 * y0 - p1 * y0 - p2 * y1 - p0 * y2));
    t->bx = float(k * (x0 * p1 + x1 * p2 + x2 * p0 - x1 * p0 - x2 * p1 - x0 * p2));
    t->cx = float(k * (p0 * x1 * y2 + p1 * x2 * y0 + p2 * x0 * y1 - p2 * x1 * y0 - p0 * x2 * y1 -
                       p1 * x0 * y2));
    t->ay = float(k * (q0 * y1 + q1 * y2 + q2 * y0 - q1 * y0 - q2 * y1 - q0 * y2));
    t->by = float(k * (x0 * q1 + x1 * q2 + x2 * q0 - x1 * q0 - x2 * q1 - x0 * q2));
    t->cy = float(k * (q0 * x1 * y2 + q1 * x2 * y0 + q2 * x0 * y1 - q2 * x1 * y0 - q0 * x2 * y1 -
                       q1 * x0 * y2));

    // Bounding box of whole pixels, clipped to the picture.
    const double left = std::max(std::ceil(std::min({x0, x1, x2})), 0.0);
    const double right = std::min(std::floor(std::max({x0, x1, x2})), double(m->lastx));
    const double top = std::max(std::ceil(std::min({y0, y1, y2})), 0.0);
    const double bottom = std::min(std::floor(std::max({y0, y1, y2})), double(m->lasty));
    if (!(left <= right && top <= bottom)) return false;

    const double boundx = std::fabs(double(t->ax)) * right + std::fabs(double(t->bx)) * bottom +
                          std::fabs(double(t->cx));
    const double boundy = std::fabs(double(t->ay)) * right + std::fabs(double(t->by)) * bottom +
                          std::fabs(double(t->cy));
    if (!(boundx < kCoordLimit && boundy < kCoordLimit)) return false;

    t->x[0] = x0, t->x[1] = x1, t->x[2] = x2;
    t->y[0] = y0, t->y[1] = y1, t->y[2] = y2;
    t->xa = int(left), t->xb = int(right), t->ya = int(top), t->yb = int(bottom);
    return true;
}

// Exponent of the coarsest power of two that divides v, capped at 0: v minus
// any whole number is then a multiple of that power. v is finite.
int stepexponent(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const uint32_t field = (bits >> 23) & 0xFFu, mant = bits & 0x7FFFFFu;
    if (field == 0 && mant == 0) return 0;
    const uint32_t sig = field == 0 ? mant : (mant | 0x800000u);
    const int exp = (field == 0 ? -149 : int(field) - 150) + __builtin_ctz(sig);
    return exp < 0 ? exp : 0;
}

// 2^e for -1022 <= e <= 1023, built from its bits.
double pow2(int e) {
    const uint64_t bits = uint64_t(1023 + e) << 52;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// True when every edge value of every pixel in the triangle's box is computed
// exactly in double precision (see the header comment for the argument).
bool exactspans(const Triangle& t) {
    int gx[3], gy[3];
    for (int i = 0; i < 3; ++i) {
        gx[i] = stepexponent(float(t.x[i]));
        gy[i] = stepexponent(float(t.y[i]));
    }
    int gxmin = std::min({gx[0], gx[1], gx[2]}), gymin = std::min({gy[0], gy[1], gy[2]});
    // Each product pairs the x of one vertex with the y of another.
    int h = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != j) h = std::min(h, gx[i] + gy[j]);
    // A nonzero exact edge value must stay a nonzero single.
    if (h < -149) return false;
    const double dx = std::max({t.x[0], t.x[1], t.x[2]}) - std::min({t.x[0], t.x[1], t.x[2]});
    const double dy = std::max({t.y[0], t.y[1], t.y[2]}) - std::min({t.y[0], t.y[1], t.y[2]});
    // Bounds with a factor 4 to spare against the rounding of dx, dy, dx * dy.
    return dx <= pow2(50 + gxmin) && dy <= pow2(50 + gymin) && dx * dy <= pow2(50 + h);
}

// One edge of a triangle, from vertex a to vertex b. Its edge value at pixel
// (X, Y) is written exactly as the per-pixel test writes it; in exact
// arithmetic it equals xa yb - xb ya + X (ya - yb) + Y (xb - xa).
struct Edge {
    double xa, ya, xb, yb;
    double at(double X, double Y) const { return (xa - X) * (yb - Y) - (xb - X) * (ya - Y); }
};

// One edge along the rows of a triangle whose edge values are exact
// (exactspans): e0 is the value at the box's first column of the current row,
// step the exact change per column, down the exact change per row, inv the
// rounded 1 / step, and s is +1 or -1 so that s * value grows along the row.
struct RowEdge {
    double e0, step, down, inv, s;
    double at(int j) const { return e0 + double(j) * step; }
};

// The first j in 0..n-1 with s * (e0 + j step) >= 0, n when there is none;
// *zero tells whether the value is exactly 0 there.
//
// The value crosses zero at c = -e0 / step, the answer being ceil(c) clamped
// to 0..n, and never exactly 0 there unless c is whole. g = -e0 * inv carries
// two roundings, so |g - c| <= 2^-51 |g|: when g lies farther than that from
// every whole number, ceil(g) = ceil(c) and c is not whole. Otherwise the
// exact values decide, stepping from the guess.
inline int firstnonneg(const RowEdge& e, int n, bool* zero) {
    const double g = -e.e0 * e.inv;
    const double margin = std::fabs(g) * 0x1p-48 + 0x1p-1000;
    *zero = false;
    if (g < -margin) return 0;
    if (g > double(n - 1) + margin) return n;
    int j = 0;
    if (g > margin) {
        const int whole = int(g);  // 0 <= g < n
        const double frac = g - double(whole);
        if (frac > margin && frac < 1.0 - margin) return whole + 1;
        j = whole + (frac >= 0.5);
    }
    while (j > 0 && e.s * e.at(j - 1) >= 0) --j;
    for (; j < n; ++j) {
        const double v = e.s * e.at(j);
        if (v >= 0) {
            *zero = v == 0;
            return j;
        }
    }
    return n;
}

// Columns l..r (inclusive) of row y to be written.
struct Span {
    int y, l, r;
};

// Writes source positions for pixels l..r of one row: float(ax * x + rx) and
// float(ay * x + ry) in double precision, rx and ry being the row's rounded
// parts. The vector forms do exactly these two operations per column.
void rowgeneric(float* ox, float* oy, int l, int r, double ax, double rx, double ay, double ry) {
    for (int x = l; x <= r; ++x) {
        const double X = x;
        ox[x] = float(ax * X + rx);
        oy[x] = float(ay * X + ry);
    }
}

#if TRAMAP32_X86
void rowsse2(float* ox, float* oy, int l, int r, double ax, double rx, double ay, double ry) {
    int x = l;
    if (r - l + 1 >= 4) {
        const __m128d vax = _mm_set1_pd(ax), vrx = _mm_set1_pd(rx);
        const __m128d vay = _mm_set1_pd(ay), vry = _mm_set1_pd(ry);
        const __m128d two = _mm_set1_pd(2.0);
        __m128d X = _mm_set_pd(double(x) + 1.0, double(x));
        for (; x + 3 <= r; x += 4) {
            const __m128d X2 = _mm_add_pd(X, two);
            const __m128 lox = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(vax, X), vrx));
            const __m128 hix = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(vax, X2), vrx));
            const __m128 loy = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(vay, X), vry));
            const __m128 hiy = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(vay, X2), vry));
            _mm_storeu_ps(ox + x, _mm_movelh_ps(lox, hix));
            _mm_storeu_ps(oy + x, _mm_movelh_ps(loy, hiy));
            X = _mm_add_pd(X2, two);
        }
    }
    rowgeneric(ox, oy, x, r, ax, rx, ay, ry);
}

TRAMAP32_AVX2 inline void rowavx2(float* ox, float* oy, int l, int r, double ax, double rx,
                                  double ay, double ry) {
    int x = l;
    if (r >= l) {
        const __m256d vax = _mm256_set1_pd(ax), vrx = _mm256_set1_pd(rx);
        const __m256d vay = _mm256_set1_pd(ay), vry = _mm256_set1_pd(ry);
        const __m256d four = _mm256_set1_pd(4.0);
        const double X0 = x;
        __m256d X = _mm256_set_pd(X0 + 3.0, X0 + 2.0, X0 + 1.0, X0);
        for (; x + 7 <= r; x += 8) {
            const __m256d X2 = _mm256_add_pd(X, four);
            const __m128 lox = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vax, X), vrx));
            const __m128 hix = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vax, X2), vrx));
            const __m128 loy = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vay, X), vry));
            const __m128 hiy = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vay, X2), vry));
            _mm256_storeu_ps(ox + x, _mm256_insertf128_ps(_mm256_castps128_ps256(lox), hix, 1));
            _mm256_storeu_ps(oy + x, _mm256_insertf128_ps(_mm256_castps128_ps256(loy), hiy, 1));
            X = _mm256_add_pd(X2, four);
        }
        if (x <= r) {
            // The last 1..7 columns: whole vectors, stored through a mask.
            const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(r - x + 1),
                                                    _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
            const __m256d X2 = _mm256_add_pd(X, four);
            const __m128 lox = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vax, X), vrx));
            const __m128 hix = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vax, X2), vrx));
            const __m128 loy = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vay, X), vry));
            const __m128 hiy = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(vay, X2), vry));
            _mm256_maskstore_ps(ox + x, mask,
                                _mm256_insertf128_ps(_mm256_castps128_ps256(lox), hix, 1));
            _mm256_maskstore_ps(oy + x, mask,
                                _mm256_insertf128_ps(_mm256_castps128_ps256(loy), hiy, 1));
        }
        return;
    }
    rowgeneric(ox, oy, x, r, ax, rx, ay, ry);
}

// GCC 12 warns about the deliberately undefined upper halves inside its own
// AVX-512 conversion intrinsics (a known false positive of the compiler).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// Sixteen columns per step; the last 1..16 through a mask.
TRAMAP32_AVX512 inline void rowavx512(float* ox, float* oy, int l, int r, double ax, double rx,
                                      double ay, double ry) {
    const __m512d vax = _mm512_set1_pd(ax), vrx = _mm512_set1_pd(rx);
    const __m512d vay = _mm512_set1_pd(ay), vry = _mm512_set1_pd(ry);
    const __m512d eight = _mm512_set1_pd(8.0);
    const double X0 = l;
    __m512d X = _mm512_add_pd(_mm512_set1_pd(X0), _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7));
    for (int x = l; x <= r; x += 16) {
        const __m512d X2 = _mm512_add_pd(X, eight);
        const __m256 lox = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_mul_pd(vax, X), vrx));
        const __m256 hix = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_mul_pd(vax, X2), vrx));
        const __m256 loy = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_mul_pd(vay, X), vry));
        const __m256 hiy = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_mul_pd(vay, X2), vry));
        const __mmask16 k = r - x >= 15 ? __mmask16(0xFFFF) : __mmask16((1u << (r - x + 1)) - 1u);
        _mm512_mask_storeu_ps(ox + x, k, _mm512_insertf32x8(_mm512_castps256_ps512(lox), hix, 1));
        _mm512_mask_storeu_ps(oy + x, k, _mm512_insertf32x8(_mm512_castps256_ps512(loy), hiy, 1));
        X = _mm512_add_pd(X2, eight);
    }
}
#pragma GCC diagnostic pop
#endif

// Marks n entries as having no source.
using ClearFn = void (*)(float* a, size_t n);

void cleargeneric(float* a, size_t n) {
    for (size_t i = 0; i < n; ++i) a[i] = -1.0f;
}

#if TRAMAP32_X86
void clearsse2(float* a, size_t n) {
    const __m128 v = _mm_set1_ps(-1.0f);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        _mm_storeu_ps(a + i, v);
        _mm_storeu_ps(a + i + 4, v);
    }
    cleargeneric(a + i, n - i);
}

TRAMAP32_AVX2 void clearavx2(float* a, size_t n) {
    const __m256 v = _mm256_set1_ps(-1.0f);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        _mm256_storeu_ps(a + i, v);
        _mm256_storeu_ps(a + i + 8, v);
    }
    cleargeneric(a + i, n - i);
}

TRAMAP32_AVX512 void clearavx512(float* a, size_t n) {
    const __m512 v = _mm512_set1_ps(-1.0f);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) _mm512_storeu_ps(a + i, v);
    if (i < n) _mm512_mask_storeu_ps(a + i, __mmask16((1u << (n - i)) - 1u), v);
}
#endif

ClearFn clearfor(Isa isa) {
#if TRAMAP32_X86
    if (isa == Isa::Avx512) return clearavx512;
    if (isa == Isa::Avx2) return clearavx2;
    if (isa == Isa::Sse2) return clearsse2;
#endif
    (void)isa;
    return cleargeneric;
}

// Writes the spans of one triangle (each row's rounded parts bx y + cx and
// by y + cy first, as the per-pixel form does).
using FillFn = void (*)(WarpMap* m, const Triangle& t, const Span* spans, int count);

template <void (*Row)(float*, float*, int, int, double, double, double, double)>
inline void fillspans(WarpMap* m, const Triangle& t, const Span* spans, int count) {
    for (int i = 0; i < count; ++i) {
        const double Y = spans[i].y;
        const double rx = float(double(t.bx) * Y + double(t.cx));
        const double ry = float(double(t.by) * Y + double(t.cy));
        const size_t at = size_t(spans[i].y) * size_t(m->width);
        Row(m->adrx + at, m->adry + at, spans[i].l, spans[i].r, t.ax, rx, t.ay, ry);
    }
}

void fillgeneric(WarpMap* m, const Triangle& t, const Span* spans, int count) {
    fillspans<rowgeneric>(m, t, spans, count);
}

#if TRAMAP32_X86
void fillsse2(WarpMap* m, const Triangle& t, const Span* spans, int count) {
    fillspans<rowsse2>(m, t, spans, count);
}

TRAMAP32_AVX2 void fillavx2(WarpMap* m, const Triangle& t, const Span* spans, int count) {
    for (int i = 0; i < count; ++i) {
        const double Y = spans[i].y;
        const double rx = float(double(t.bx) * Y + double(t.cx));
        const double ry = float(double(t.by) * Y + double(t.cy));
        const size_t at = size_t(spans[i].y) * size_t(m->width);
        rowavx2(m->adrx + at, m->adry + at, spans[i].l, spans[i].r, t.ax, rx, t.ay, ry);
    }
}

TRAMAP32_AVX512 void fillavx512(WarpMap* m, const Triangle& t, const Span* spans, int count) {
    for (int i = 0; i < count; ++i) {
        const double Y = spans[i].y;
        const double rx = float(double(t.bx) * Y + double(t.cx));
        const double ry = float(double(t.by) * Y + double(t.cy));
        const size_t at = size_t(spans[i].y) * size_t(m->width);
        rowavx512(m->adrx + at, m->adry + at, spans[i].l, spans[i].r, t.ax, rx, t.ay, ry);
    }
}
#endif

FillFn fillfor(Isa isa) {
#if TRAMAP32_X86
    if (isa == Isa::Avx512) return fillavx512;
    if (isa == Isa::Avx2) return fillavx2;
    if (isa == Isa::Sse2) return fillsse2;
#endif
    (void)isa;
    return fillgeneric;
}

// Most rows of a band a triangle can cover; the band is never taller.
constexpr int kMaxBandRows = 256;

// Rows ylo..yhi of one triangle by exact spans.
void drawspans(WarpMap* m, const Triangle& t, int ylo, int yhi, FillFn fill) {
    const double xs[3] = {t.x[0], t.x[1], t.x[2]}, ys[3] = {t.y[0], t.y[1], t.y[2]};
    const int xa = t.xa, n = t.xb - t.xa + 1;
    RowEdge edge[3];
    for (int k = 0; k < 3; ++k) {
        const int k1 = k == 2 ? 0 : k + 1;
        const Edge e{xs[k], ys[k], xs[k1], ys[k1]};
        RowEdge& r = edge[k];
        r.e0 = e.at(xa, ylo);
        r.step = e.ya - e.yb;
        r.down = e.xb - e.xa;
        r.s = r.step < 0 ? -1.0 : 1.0;
        r.inv = r.step != 0 ? 1.0 / r.step : 0.0;
    }
    Span spans[2 * kMaxBandRows];
    int count = 0;
    for (int y = ylo; y <= yhi; ++y) {
        // Columns (from xa) with all edge values >= 0 are [pl, pr), all <= 0 [nl, nr).
        int pl = 0, pr = n, nl = 0, nr = n;
        for (RowEdge& e : edge) {
            if (e.step != 0) {
                bool zero;
                const int f = firstnonneg(e, n, &zero);
                const int last = zero ? f + 1 : f;  // end of the other sign's columns
                if (e.s > 0) {
                    pl = std::max(pl, f);
                    nr = std::min(nr, last);
                } else {
                    nl = std::max(nl, f);
                    pr = std::min(pr, last);
                }
            } else {
                if (!(e.e0 >= 0)) pr = 0;
                if (!(e.e0 <= 0)) nr = 0;
            }
            e.e0 += e.down;
        }
        if (pl < pr) spans[count++] = {y, xa + pl, xa + pr - 1};
        if (nl < nr) spans[count++] = {y, xa + nl, xa + nr - 1};
    }
    if (count > 0) fill(m, t, spans, count);
}

// Rows ylo..yhi of one triangle by the per-pixel edge test.
void drawtested(WarpMap* m, const Triangle& t, int ylo, int yhi) {
    const double x0 = t.x[0], y0 = t.y[0], x1 = t.x[1], y1 = t.y[1], x2 = t.x[2], y2 = t.y[2];
    for (int y = ylo; y <= yhi; ++y) {
        const double Y = y;
        const float rowx = float(double(t.bx) * Y + double(t.cx));
        const float rowy = float(double(t.by) * Y + double(t.cy));
        float* outx = m->adrx + size_t(y) * size_t(m->width);
        float* outy = m->adry + size_t(y) * size_t(m->width);
        for (int x = t.xa; x <= t.xb; ++x) {
            const double X = x;
            const float e0 = float((x0 - X) * (y1 - Y) - (x1 - X) * (y0 - Y));
            const float e1 = float((x1 - X) * (y2 - Y) - (x2 - X) * (y1 - Y));
            const float e2 = float((x2 - X) * (y0 - Y) - (x0 - X) * (y2 - Y));
            if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0)) {
                outx[x] = float(double(t.ax) * X + double(rowx));
                outy[x] = float(double(t.ay) * X + double(rowy));
            }
        }
    }
}

// Lowest and highest y a float triangle or cell reaches, as whole rows it
// can touch: ceil(min) .. floor(max).
struct Rows {
    double lo, hi;
    void add(float y) {
        lo = std::min(lo, double(y));
        hi = std::max(hi, double(y));
    }
    bool meets(int ylo, int yhi) const { return std::ceil(lo) <= yhi && std::floor(hi) >= ylo; }
};

constexpr Rows kNoRows{HUGE_VAL, -HUGE_VAL};

// The source and destination corners of cell (j, r) and their centres; false
// when either pair of diagonals is parallel (the cell is skipped).
struct Cell {
    Vec s00, s10, s01, s11, d00, d10, d01, d11, sc, dc;
};

void corners(const WarpMap* m, int r, int j, Cell* c) {
    const size_t i00 = size_t(r) * size_t(m->cols) + size_t(j);
    const size_t i10 = i00 + 1, i01 = i00 + size_t(m->cols), i11 = i01 + 1;
    c->d00 = {float(m->defx[i00]), float(m->defy[i00])};
    c->d10 = {float(m->defx[i10]), float(m->defy[i10])};
    c->d01 = {float(m->defx[i01]), float(m->defy[i01])};
    c->d11 = {float(m->defx[i11]), float(m->defy[i11])};
    c->s00 = {float(m->orgx[i00]), float(m->orgy[i00])};
    c->s10 = {float(m->orgx[i10]), float(m->orgy[i10])};
    c->s01 = {float(m->orgx[i01]), float(m->orgy[i01])};
    c->s11 = {float(m->orgx[i11]), float(m->orgy[i11])};
}

// Draws the four triangles of cell (j, r), rows ylo..yhi only.
void drawcell(WarpMap* m, int r, int j, int ylo, int yhi, FillFn fill, bool pixeltest) {
    Cell c;
    corners(m, r, j, &c);
    if (!diagonalcross(c.d00, c.d10, c.d01, c.d11, &c.dc)) return;
    Rows cell = kNoRows;
    for (const Vec& v : {c.d00, c.d10, c.d01, c.d11, c.dc}) cell.add(v.y);
    if (!cell.meets(ylo, yhi)) return;
    if (!diagonalcross(c.s00, c.s10, c.s01, c.s11, &c.sc)) return;
    const Vec dt[4][3] = {
        {c.d00, c.d10, c.dc}, {c.d10, c.d11, c.dc}, {c.d11, c.d01, c.dc}, {c.d01, c.d00, c.dc}};
    const Vec st[4][3] = {
        {c.s00, c.s10, c.sc}, {c.s10, c.s11, c.sc}, {c.s11, c.s01, c.sc}, {c.s01, c.s00, c.sc}};
    for (int k = 0; k < 4; ++k) {
        Rows tri = kNoRows;
        for (const Vec& v : dt[k]) tri.add(v.y);
        if (!tri.meets(ylo, yhi)) continue;
        Triangle t;
        if (!setup(m, dt[k], st[k], &t)) continue;
        const int y0 = std::max(t.ya, ylo), y1 = std::min(t.yb, yhi);
        if (y0 > y1) continue;
        if (!pixeltest && exactspans(t))
            drawspans(m, t, y0, y1, fill);
        else
            drawtested(m, t, y0, y1);
    }
}

// Cell rows of at most this many are culled band by band through their
// extents (kept on the stack); larger lattices visit every cell per band.
constexpr int kMaxCellRows = 1024;

// Bytes of address map (both arrays) processed per band: well inside the
// second-level cache, so that clearing, drawing and smoothing a band touch
// memory once.
constexpr size_t kBandBytes = 384 * 1024;

}  // namespace

void genmap(WarpMap* m, Isa isa, bool pixeltest) {
    const FillFn fill = fillfor(isa);
    const ClearFn clear = clearfor(isa);
    const int width = m->width, height = m->height;
    const size_t w = size_t(width);

    // Rows each cell row of the destination lattice can reach.
    Rows extents[kMaxCellRows];
    const bool culled = m->cellrows <= kMaxCellRows;
    if (culled) {
        for (int r = 0; r < m->cellrows; ++r) {
            Rows e = kNoRows;
            for (int j = 0; j < m->cellcols; ++j) {
                Cell c;
                corners(m, r, j, &c);
                for (const Vec& v : {c.d00, c.d10, c.d01, c.d11}) e.add(v.y);
                if (diagonalcross(c.d00, c.d10, c.d01, c.d11, &c.dc)) e.add(c.dc.y);
            }
            extents[r] = e;
        }
    }

    const int band =
        int(std::clamp<size_t>(kBandBytes / (w * 2 * sizeof(float)), 1, size_t(kMaxBandRows)));
    Smoother sx(m->adrx, width, height, isa), sy(m->adry, width, height, isa);
    for (int y0 = 0; y0 < height; y0 += band) {
        const int y1 = std::min(height, y0 + band);
        clear(m->adrx + size_t(y0) * w, size_t(y1 - y0) * w);
        clear(m->adry + size_t(y0) * w, size_t(y1 - y0) * w);
        for (int r = 0; r < m->cellrows; ++r) {
            if (culled && !extents[r].meets(y0, y1 - 1)) continue;
            for (int j = 0; j < m->cellcols; ++j) drawcell(m, r, j, y0, y1 - 1, fill, pixeltest);
        }
        sx.rows(y0, y1);
        sy.rows(y0, y1);
    }
    sx.finish();
    sy.finish();
}

}  // namespace tramap32_internal

extern "C" void TRAMAP32_CALL genmapadr(WarpMap* m) {
    using namespace tramap32_internal;
    genmap(m, activeisa(), pixeltestforced());
}
