// The engine as it was before the fast paths: the straightforward per-pixel
// genmapadr and mapimg, kept verbatim (in their own namespace) so that one
// benchmark run can put the old and the new engine side by side.
#include "baseline_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace baseline {

void initadr(WarpMap* map) {
    for (uint32_t i = 0; i < map->npixels; ++i) {
        map->adrx[i] = -1.0f;
        map->adry[i] = -1.0f;
    }
}

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

void maptriangle(WarpMap* m, const Vec d[3], const Vec s[3]) {
    const double x0 = d[0].x, y0 = d[0].y, x1 = d[1].x, y1 = d[1].y, x2 = d[2].x, y2 = d[2].y;
    const double p0 = s[0].x, q0 = s[0].y, p1 = s[1].x, q1 = s[1].y, p2 = s[2].x, q2 = s[2].y;

    const double det = x0 * y1 + x1 * y2 + x2 * y0 - x1 * y0 - x2 * y1 - x0 * y2;
    if (det == 0.0) return;
    const double k = float(1.0 / det);
    const float ax = float(k * (p0 * y1 + p1 * y2 + p2 * y0 - p1 * y0 - p2 * y1 - p0 * y2));
    const float bx = float(k * (x0 * p1 + x1 * p2 + x2 * p0 - x1 * p0 - x2 * p1 - x0 * p2));
    const float cx = float(k * (p0 * x1 * y2 + p1 * x2 * y0 + p2 * x0 * y1 - p2 * x1 * y0 -
                                p0 * x2 * y1 - p1 * x0 * y2));
    const float ay = float(k * (q0 * y1 + q1 * y2 + q2 * y0 - q1 * y0 - q2 * y1 - q0 * y2));
    const float by = float(k * (x0 * q1 + x1 * q2 + x2 * q0 - x1 * q0 - x2 * q1 - x0 * q2));
    const float cy = float(k * (q0 * x1 * y2 + q1 * x2 * y0 + q2 * x0 * y1 - q2 * x1 * y0 -
                                q0 * x2 * y1 - q1 * x0 * y2));

    // Bounding box of whole pixels, clipped to the picture.
    const double left = std::max(std::ceil(std::min({x0, x1, x2})), 0.0);
    const double right = std::min(std::floor(std::max({x0, x1, x2})), double(m->lastx));
    const double top = std::max(std::ceil(std::min({y0, y1, y2})), 0.0);
    const double bottom = std::min(std::floor(std::max({y0, y1, y2})), double(m->lasty));
    if (!(left <= right && top <= bottom)) return;

    const double boundx =
        std::fabs(double(ax)) * right + std::fabs(double(bx)) * bottom + std::fabs(double(cx));
    const double boundy =
        std::fabs(double(ay)) * right + std::fabs(double(by)) * bottom + std::fabs(double(cy));
    if (!(boundx < kCoordLimit && boundy < kCoordLimit)) return;

    const int xa = int(left), xb = int(right), ya = int(top), yb = int(bottom);
    for (int y = ya; y <= yb; ++y) {
        const double Y = y;
        const float rowx = float(double(bx) * Y + double(cx));
        const float rowy = float(double(by) * Y + double(cy));
        float* outx = m->adrx + size_t(y) * size_t(m->width);
        float* outy = m->adry + size_t(y) * size_t(m->width);
        for (int x = xa; x <= xb; ++x) {
            const double X = x;
            const float e0 = float((x0 - X) * (y1 - Y) - (x1 - X) * (y0 - Y));
            const float e1 = float((x1 - X) * (y2 - Y) - (x2 - X) * (y1 - Y));
            const float e2 = float((x2 - X) * (y0 - Y) - (x0 - X) * (y2 - Y));
            if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0)) {
                outx[x] = float(double(ax) * X + double(rowx));
                outy[x] = float(double(ay) * X + double(rowy));
            }
        }
    }
}

// One third rounded to single precision, as the smoothing multiplies by it.
constexpr double kThird = double(0.33333334f);

inline bool averaged(float p, float q, float n, float* out) {
    if (!(p >= 0 && q >= 0 && n >= 0)) return false;
    *out = float((double(n) + double(q) + double(p)) * kThird);
    return true;
}

// Pass 1 along rows 1..lasty (row 0 untouched), pass 2 down columns 1..lastx
// (column 0 untouched); each reads the values as they were before its pass.
void smooth(float* a, int width, int height) {
    for (int y = 1; y < height; ++y) {
        float* row = a + size_t(y) * size_t(width);
        if (width < 3) break;
        float p = row[0], q = row[1];
        for (int x = 1; x < width - 1; ++x) {
            const float n = row[x + 1];
            averaged(p, q, n, &row[x]);
            p = q;
            q = n;
        }
    }
    if (height < 3) return;
    for (int x = 1; x < width; ++x) {
        float* col = a + x;
        float p = col[0], q = col[size_t(width)];
        for (int y = 1; y < height - 1; ++y) {
            const float n = col[size_t(y + 1) * size_t(width)];
            averaged(p, q, n, &col[size_t(y) * size_t(width)]);
            p = q;
            q = n;
        }
    }
}

}  // namespace

void genmapadr(WarpMap* m) {
    baseline::initadr(m);
    const int cols = m->cols;
    for (int r = 0; r < m->cellrows; ++r) {
        for (int j = 0; j < m->cellcols; ++j) {
            const size_t i00 = size_t(r) * size_t(cols) + size_t(j);
            const size_t i10 = i00 + 1, i01 = i00 + size_t(cols), i11 = i01 + 1;
            const Vec s00{float(m->orgx[i00]), float(m->orgy[i00])};
            const Vec s10{float(m->orgx[i10]), float(m->orgy[i10])};
            const Vec s01{float(m->orgx[i01]), float(m->orgy[i01])};
            const Vec s11{float(m->orgx[i11]), float(m->orgy[i11])};
            const Vec d00{float(m->defx[i00]), float(m->defy[i00])};
            const Vec d10{float(m->defx[i10]), float(m->defy[i10])};
            const Vec d01{float(m->defx[i01]), float(m->defy[i01])};
            const Vec d11{float(m->defx[i11]), float(m->defy[i11])};
            Vec sc, dc;
            if (!diagonalcross(s00, s10, s01, s11, &sc)) continue;
            if (!diagonalcross(d00, d10, d01, d11, &dc)) continue;
            const Vec dt[4][3] = {{d00, d10, dc}, {d10, d11, dc}, {d11, d01, dc}, {d01, d00, dc}};
            const Vec st[4][3] = {{s00, s10, sc}, {s10, s11, sc}, {s11, s01, sc}, {s01, s00, sc}};
            for (int t = 0; t < 4; ++t) maptriangle(m, dt[t], st[t]);
        }
    }
    smooth(m->adrx, m->width, m->height);
    smooth(m->adry, m->width, m->height);
}

namespace {

constexpr double kIntLimit = 2147483647.0;

// Round half away from zero; false when the result would not fit an int.
inline bool roundcoord(float v, int32_t* out) {
    const double d = v > 0 ? double(v) + 0.5 : double(v) - 0.5;
    if (!(d > -kIntLimit && d < kIntLimit)) return false;
    *out = int32_t(d);
    return true;
}

// Interpolation base: the integer part for positive values, one below it
// otherwise (so 0.0 gives -1); false when it would not fit an int.
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

inline float cubic(double d) {
    const double t = std::fabs(d);
    if (t < 1.0) return float(1.0 - 2.0 * t * t + t * t * t);
    if (t < 2.0) return float(4.0 - 8.0 * t + 5.0 * t * t - t * t * t);
    return 0.0f;
}

inline uint32_t channel(uint32_t px, int c) {
    return (px >> (8 * c)) & 0xFFu;
}

void nearest(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    for (uint32_t i = 0; i < m->npixels; ++i) {
        int32_t x, y;
        if (roundcoord(m->adrx[i], &x) && roundcoord(m->adry[i], &y) && y >= 0 && y < m->height &&
            x >= 0 && x < m->width) {
            dst[i] = src[size_t(y) * size_t(m->width) + size_t(x)];
        } else {
            dst[i] = bg;
        }
    }
}

void bilinear(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    for (uint32_t i = 0; i < m->npixels; ++i) {
        const float sx = m->adrx[i], sy = m->adry[i];
        int32_t x0, y0;
        if (!basecoord(sx, &x0) || !basecoord(sy, &y0) || y0 < 0 || y0 >= m->lasty || x0 < 0 ||
            x0 >= m->lastx) {
            dst[i] = bg;
            continue;
        }
        const float fx = float(double(sx) - x0), fy = float(double(sy) - y0);
        const double w00 = float((1.0 - fx) * (1.0 - fy));
        const double w10 = float(fx * (1.0 - fy));
        const double w01 = float((1.0 - fx) * fy);
        const double w11 = float(double(fx) * fy);
        const uint32_t* r0 = src + size_t(y0) * size_t(m->width) + size_t(x0);
        const uint32_t* r1 = r0 + m->width;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const double sum = w00 * channel(r0[0], c) + w10 * channel(r0[1], c) +
                               w01 * channel(r1[0], c) + w11 * channel(r1[1], c);
            out |= clampchannel(sum) << (8 * c);
        }
        dst[i] = out;
    }
}

void bicubic(const WarpMap* m, uint32_t* dst, const uint32_t* src, uint32_t bg) {
    for (uint32_t i = 0; i < m->npixels; ++i) {
        const float sx = m->adrx[i], sy = m->adry[i];
        int32_t x0, y0;
        if (!basecoord(sx, &x0) || !basecoord(sy, &y0) || y0 < 1 || y0 >= m->lasty - 1 || x0 < 1 ||
            x0 >= m->lastx - 1) {
            dst[i] = bg;
            continue;
        }
        const float fx = float(double(sx) - x0), fy = float(double(sy) - y0);
        double wx[4], wy[4];
        for (int n = 0; n < 4; ++n) {
            wx[n] = cubic(double(fx) - (n - 1));
            wy[n] = cubic(double(fy) - (n - 1));
        }
        const uint32_t* base = src + size_t(y0 - 1) * size_t(m->width) + size_t(x0 - 1);
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

}  // namespace

void mapimg(WarpMap* m, uint32_t* dst, const uint32_t* src, int type, uint32_t background) {
    switch (type) {
        case TRAMAP_NEAREST:
            nearest(m, dst, src, background);
            break;
        case TRAMAP_BILINEAR:
            bilinear(m, dst, src, background);
            break;
        case TRAMAP_BICUBIC:
            bicubic(m, dst, src, background);
            break;
        default:
            break;
    }
}

}  // namespace baseline
