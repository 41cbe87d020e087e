// The reference engine: each step written as plainly as it can be said.
// Single-precision stores, double-precision arithmetic between them.
#include "reference_engine.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace reference {

int allocmap(WarpMap* m, int width, int height, int cols, int rows) {
    std::memset(m, 0, sizeof *m);
    m->cols = cols;
    m->cellcols = cols - 1;
    m->rows = rows;
    m->cellrows = rows - 1;
    m->width = width;
    m->height = height;
    m->lastx = width - 1;
    m->lasty = height - 1;
    if (cols < 2 || rows < 2 || width < 1 || height < 1) return 0;
    if (uint64_t(cols) * uint64_t(rows) * 4 > 0xFFFFFFFFull) return 0;
    if (uint64_t(width) * uint64_t(height) * 4 > 0xFFFFFFFFull) return 0;
    const size_t n = size_t(cols) * size_t(rows);
    m->orgx = static_cast<int32_t*>(std::malloc(n * 4));
    m->orgy = static_cast<int32_t*>(std::malloc(n * 4));
    m->defx = static_cast<int32_t*>(std::malloc(n * 4));
    m->defy = static_cast<int32_t*>(std::malloc(n * 4));
    m->npixels = uint32_t(width) * uint32_t(height);
    m->adrx = static_cast<float*>(std::malloc(size_t(m->npixels) * 4));
    m->adry = static_cast<float*>(std::malloc(size_t(m->npixels) * 4));
    if (!m->orgx || !m->orgy || !m->defx || !m->defy || !m->adrx || !m->adry) {
        reference::freemap(m);
        return 0;
    }
    reference::initvert(m);
    return 1;
}

void freemap(WarpMap* m) {
    std::free(m->orgx);
    std::free(m->orgy);
    std::free(m->defx);
    std::free(m->defy);
    std::free(m->adrx);
    std::free(m->adry);
    m->orgx = m->orgy = m->defx = m->defy = nullptr;
    m->adrx = m->adry = nullptr;
}

void initvert(WarpMap* m) {
    double stepx = double(m->width) / double(m->cols - 1);
    double stepy = double(m->height) / double(m->rows - 1);
    for (int r = 0; r < m->rows; r++) {
        for (int j = 0; j < m->cols; j++) {
            m->orgx[r * m->cols + j] = int32_t(j * stepx + 0.5);
            m->orgy[r * m->cols + j] = int32_t(r * stepy + 0.5);
        }
    }
    for (int r = 0; r < m->rows; r++) m->orgx[r * m->cols + m->cols - 1] = m->width - 1;
    for (int j = 0; j < m->cols; j++) m->orgy[(m->rows - 1) * m->cols + j] = m->height - 1;
    for (int i = 0; i < m->cols * m->rows; i++) {
        m->defx[i] = m->orgx[i];
        m->defy[i] = m->orgy[i];
    }
}

void initadr(WarpMap* m) {
    for (uint32_t i = 0; i < m->npixels; i++) {
        m->adrx[i] = -1.0f;
        m->adry[i] = -1.0f;
    }
}

namespace {

// One destination triangle (x, y) mapped onto its source triangle (p, q).
void triangle(WarpMap* m, float x0, float y0, float x1, float y1, float x2, float y2, float p0,
              float q0, float p1, float q1, float p2, float q2) {
    double det = double(x0) * y1 + double(x1) * y2 + double(x2) * y0 - double(x1) * y0 -
                 double(x2) * y1 - double(x0) * y2;
    if (det == 0) return;
    float k = float(1.0 / det);
    float ax = float(double(k) * (double(p0) * y1 + double(p1) * y2 + double(p2) * y0 -
                                  double(p1) * y0 - double(p2) * y1 - double(p0) * y2));
    float bx = float(double(k) * (double(x0) * p1 + double(x1) * p2 + double(x2) * p0 -
                                  double(x1) * p0 - double(x2) * p1 - double(x0) * p2));
    float cx =
        float(double(k) * (double(p0) * x1 * y2 + double(p1) * x2 * y0 + double(p2) * x0 * y1 -
                           double(p2) * x1 * y0 - double(p0) * x2 * y1 - double(p1) * x0 * y2));
    float ay = float(double(k) * (double(q0) * y1 + double(q1) * y2 + double(q2) * y0 -
                                  double(q1) * y0 - double(q2) * y1 - double(q0) * y2));
    float by = float(double(k) * (double(x0) * q1 + double(x1) * q2 + double(x2) * q0 -
                                  double(x1) * q0 - double(x2) * q1 - double(x0) * q2));
    float cy =
        float(double(k) * (double(q0) * x1 * y2 + double(q1) * x2 * y0 + double(q2) * x0 * y1 -
                           double(q2) * x1 * y0 - double(q0) * x2 * y1 - double(q1) * x0 * y2));

    // The bounding box of whole pixels, clipped to the picture.
    double minx = std::fmin(x0, std::fmin(x1, x2)), maxx = std::fmax(x0, std::fmax(x1, x2));
    double miny = std::fmin(y0, std::fmin(y1, y2)), maxy = std::fmax(y0, std::fmax(y1, y2));
    double left = std::fmax(std::ceil(minx), 0.0), right = std::fmin(std::floor(maxx), m->lastx);
    double top = std::fmax(std::ceil(miny), 0.0), bottom = std::fmin(std::floor(maxy), m->lasty);
    if (left > right || top > bottom) return;

    // A sliver triangle whose coefficients could overflow a float is skipped.
    double limx =
        std::fabs(double(ax)) * right + std::fabs(double(bx)) * bottom + std::fabs(double(cx));
    double limy =
        std::fabs(double(ay)) * right + std::fabs(double(by)) * bottom + std::fabs(double(cy));
    if (!(limx < 1e30) || !(limy < 1e30)) return;

    for (int y = int(top); y <= int(bottom); y++) {
        float partx = float(double(bx) * y + double(cx));
        float party = float(double(by) * y + double(cy));
        for (int x = int(left); x <= int(right); x++) {
            float e0 =
                float((x0 - double(x)) * (y1 - double(y)) - (x1 - double(x)) * (y0 - double(y)));
            float e1 =
                float((x1 - double(x)) * (y2 - double(y)) - (x2 - double(x)) * (y1 - double(y)));
            float e2 =
                float((x2 - double(x)) * (y0 - double(y)) - (x0 - double(x)) * (y2 - double(y)));
            bool inside = (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
            if (!inside) continue;
            int i = y * m->width + x;
            m->adrx[i] = float(double(ax) * x + double(partx));
            m->adry[i] = float(double(ay) * x + double(party));
        }
    }
}

// The crossing of the diagonals of a cell; false when they are parallel.
bool centre(float x00, float y00, float x10, float y10, float x01, float y01, float x11, float y11,
            float* cx, float* cy) {
    double t = (double(x01) - x10) * (double(y11) - y00);
    double a = (double(x11) - x00) * (double(y01) - y10);
    if (t == a) return false;
    *cx = float(
        (x00 * t - x10 * a + (double(x01) - x10) * (double(x11) - x00) * (double(y10) - y00)) /
        (t - a));
    *cy = float(
        (y00 * a - y10 * t + (double(y11) - y00) * (double(y01) - y10) * (double(x10) - x00)) /
        (a - t));
    return std::isfinite(*cx) && std::isfinite(*cy);
}

void smooth(float* v, int width, int height) {
    const double third = 0.33333334f;
    for (int y = 1; y <= height - 1; y++) {
        if (width < 3) break;
        float p = v[y * width + 0], q = v[y * width + 1];
        for (int x = 1; x <= width - 2; x++) {
            float n = v[y * width + x + 1];
            if (p >= 0 && q >= 0 && n >= 0) v[y * width + x] = float((double(n) + q + p) * third);
            p = q;
            q = n;
        }
    }
    for (int x = 1; x <= width - 1; x++) {
        if (height < 3) break;
        float p = v[0 * width + x], q = v[1 * width + x];
        for (int y = 1; y <= height - 2; y++) {
            float n = v[(y + 1) * width + x];
            if (p >= 0 && q >= 0 && n >= 0) v[y * width + x] = float((double(n) + q + p) * third);
            p = q;
            q = n;
        }
    }
}

}  // namespace

void genmapadr(WarpMap* m) {
    reference::initadr(m);
    for (int r = 0; r < m->cellrows; r++) {
        for (int j = 0; j < m->cellcols; j++) {
            int i00 = r * m->cols + j, i10 = i00 + 1, i01 = i00 + m->cols, i11 = i01 + 1;
            float sx00 = float(m->orgx[i00]), sy00 = float(m->orgy[i00]);
            float sx10 = float(m->orgx[i10]), sy10 = float(m->orgy[i10]);
            float sx01 = float(m->orgx[i01]), sy01 = float(m->orgy[i01]);
            float sx11 = float(m->orgx[i11]), sy11 = float(m->orgy[i11]);
            float dx00 = float(m->defx[i00]), dy00 = float(m->defy[i00]);
            float dx10 = float(m->defx[i10]), dy10 = float(m->defy[i10]);
            float dx01 = float(m->defx[i01]), dy01 = float(m->defy[i01]);
            float dx11 = float(m->defx[i11]), dy11 = float(m->defy[i11]);
            float scx, scy, dcx, dcy;
            if (!centre(sx00, sy00, sx10, sy10, sx01, sy01, sx11, sy11, &scx, &scy)) continue;
            if (!centre(dx00, dy00, dx10, dy10, dx01, dy01, dx11, dy11, &dcx, &dcy)) continue;
            triangle(m, dx00, dy00, dx10, dy10, dcx, dcy, sx00, sy00, sx10, sy10, scx, scy);  // top
            triangle(m, dx10, dy10, dx11, dy11, dcx, dcy, sx10, sy10, sx11, sy11, scx,
                     scy);  // right
            triangle(m, dx11, dy11, dx01, dy01, dcx, dcy, sx11, sy11, sx01, sy01, scx,
                     scy);  // bottom
            triangle(m, dx01, dy01, dx00, dy00, dcx, dcy, sx01, sy01, sx00, sy00, scx,
                     scy);  // left
        }
    }
    smooth(m->adrx, m->width, m->height);
    smooth(m->adry, m->width, m->height);
}

namespace {

bool round_half_away(float v, int* out) {
    double d;
    if (v > 0)
        d = double(v) + 0.5;
    else
        d = double(v) - 0.5;
    if (!(std::fabs(d) < 2147483647.0)) return false;
    *out = int(d);
    return true;
}

bool base(float v, int* out) {
    if (!(std::fabs(double(v)) < 2147483647.0)) return false;
    if (v > 0)
        *out = int(double(v));
    else
        *out = int(double(v)) - 1;
    return true;
}

int chan(uint32_t px, int c) {
    return int((px >> (8 * c)) & 255);
}

uint32_t clamp255(double v) {
    int i = int(v);
    if (i < 0) i = 0;
    if (i > 255) i = 255;
    return uint32_t(i);
}

float kernel(double d) {
    double t = std::fabs(d);
    if (t < 1) return float(1 - 2 * t * t + t * t * t);
    if (t < 2) return float(4 - 8 * t + 5 * t * t - t * t * t);
    return 0;
}

}  // namespace

void mapimg(WarpMap* m, uint32_t* dst, const uint32_t* src, int type, uint32_t bg) {
    if (type != 0 && type != 1 && type != 2) return;
    for (uint32_t i = 0; i < m->npixels; i++) {
        float sx = m->adrx[i], sy = m->adry[i];
        if (type == 0) {
            int x, y;
            if (round_half_away(sx, &x) && round_half_away(sy, &y) && y >= 0 && y < m->height &&
                x >= 0 && x < m->width)
                dst[i] = src[y * m->width + x];
            else
                dst[i] = bg;
            continue;
        }
        int x0, y0;
        if (!base(sx, &x0) || !base(sy, &y0)) {
            dst[i] = bg;
            continue;
        }
        float fx = float(double(sx) - x0), fy = float(double(sy) - y0);
        uint32_t out = 0;
        if (type == 1) {
            if (y0 < 0 || y0 >= m->lasty || x0 < 0 || x0 >= m->lastx) {
                dst[i] = bg;
                continue;
            }
            float w00 = float((1.0 - fx) * (1.0 - fy));
            float w10 = float(fx * (1.0 - fy));
            float w01 = float((1.0 - fx) * fy);
            float w11 = float(double(fx) * fy);
            for (int c = 0; c < 3; c++) {
                double s = double(w00) * chan(src[y0 * m->width + x0], c) +
                           double(w10) * chan(src[y0 * m->width + x0 + 1], c) +
                           double(w01) * chan(src[(y0 + 1) * m->width + x0], c) +
                           double(w11) * chan(src[(y0 + 1) * m->width + x0 + 1], c);
                out |= clamp255(s) << (8 * c);
            }
        } else {
            if (y0 < 1 || y0 >= m->lasty - 1 || x0 < 1 || x0 >= m->lastx - 1) {
                dst[i] = bg;
                continue;
            }
            float wx[4] = {kernel(fx + 1.0), kernel(fx), kernel(1.0 - fx), kernel(2.0 - fx)};
            float wy[4] = {kernel(fy + 1.0), kernel(fy), kernel(1.0 - fy), kernel(2.0 - fy)};
            for (int c = 0; c < 3; c++) {
                double total = 0;
                for (int n = 0; n < 4; n++) {
                    const uint32_t* row = src + (y0 - 1 + n) * m->width + (x0 - 1);
                    double rowsum =
                        double(wx[0]) * chan(row[0], c) + double(wx[1]) * chan(row[1], c) +
                        double(wx[2]) * chan(row[2], c) + double(wx[3]) * chan(row[3], c);
                    total += double(wy[n]) * rowsum;
                }
                out |= clamp255(total) << (8 * c);
            }
        }
        dst[i] = out;
    }
}

}  // namespace reference
