// Resampling a picture through the address map.
//
// A pixel is three 8-bit channels (bytes 0..2) treated alike; byte 3 is copied
// by nearest neighbour and zero otherwise. For address (sx, sy):
//
//   nearest:  round half away from zero: v > 0 ? trunc(v + 0.5) : trunc(v - 0.5);
//             the pixel must lie in the picture.
//   bilinear: base b = v > 0 ? trunc(v) : trunc(v) - 1, fraction f = v - b
//             (single precision); needs base 0..size-2. Weights (1-fx)(1-fy),
//             fx(1-fy), (1-fx)fy, fx fy, each rounded to single precision.
//   bicubic:  cubic convolution with a = -1,
//               k(t) = 1 - 2t^2 + t^3        (t < 1)
//               k(t) = 4 - 8t + 5t^2 - t^3   (1 <= t < 2), 0 beyond,
//             weights k(f + 1), k(f), k(1 - f), k(2 - f) rounded to single
//             precision; needs base 1..size-3. Each of the four row sums is
//             weighted by its row weight.
//
// Channel sums are formed in double precision, truncated toward zero and
// clamped to 0..255. Destinations whose neighbourhood leaves the picture, and
// addresses too large for an integer, take the background value.
#include <cmath>
#include <cstdint>

#include "tramap32.h"

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

extern "C" void TRAMAP32_CALL mapimg(WarpMap* m, uint32_t* dst, const uint32_t* src, int type,
                                     uint32_t background) {
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
