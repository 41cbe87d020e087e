// Address-map generation: the piecewise-affine map from the deformed lattice
// back onto the original one, followed by a separable three-tap smoothing.
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
// Guards: a triangle writes only pixels inside the picture (each coordinate
// clipped, so nothing spills into the neighbouring row); a triangle with a zero
// determinant, a cell whose diagonals are parallel, and a triangle whose
// coefficients are not finite or so large that a result could overflow are
// skipped, leaving their pixels to other triangles or at -1.0.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tramap32.h"

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

extern "C" void TRAMAP32_CALL genmapadr(WarpMap* m) {
    initadr(m);
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
