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
// Channel sums are formed in double precision, left to right, truncated toward
// zero and clamped to 0..255. Destinations whose neighbourhood leaves the
// picture, and addresses too large for an integer, take the background value.
//
// Each family (nearest.cpp, bilinear.cpp, bicubic.cpp) has a portable form and
// SSE2 and AVX2 forms chosen at run time; the vector forms put pixels or
// channels in lanes but keep every value's own sequence of IEEE operations,
// so all forms give the same bits.
#include <cstdint>

#include "isa.h"
#include "resample_internal.h"
#include "tramap32.h"

extern "C" void TRAMAP32_CALL mapimg(WarpMap* m, uint32_t* dst, const uint32_t* src, int type,
                                     uint32_t background) {
    using namespace tramap32_internal;
    switch (type) {
        case TRAMAP_NEAREST:
            nearest(m, dst, src, background, activeisa());
            break;
        case TRAMAP_BILINEAR:
            bilinear(m, dst, src, background, activeisa());
            break;
        case TRAMAP_BICUBIC:
            bicubic(m, dst, src, background, activeisa());
            break;
        default:
            break;
    }
}
