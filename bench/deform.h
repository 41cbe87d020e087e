// Deterministic test inputs shared by the benchmarks: a smooth lattice
// deformation and a textured picture.
#ifndef PIVOLA_BENCH_DEFORM_H
#define PIVOLA_BENCH_DEFORM_H

#include <cmath>
#include <cstdint>
#include <vector>

#include "tramap32.h"

namespace pivola_bench {

// Moves every inner lattice point along a smooth swirl by up to `amount`
// of a cell; the outer ring stays, so the picture keeps its frame.
inline void deform_smoothly(WarpMap* m, double amount) {
    const double cellw = double(m->width) / m->cellcols, cellh = double(m->height) / m->cellrows;
    for (int r = 1; r < m->rows - 1; ++r)
        for (int c = 1; c < m->cols - 1; ++c) {
            const int i = r * m->cols + c;
            const double u = double(c) / m->cellcols, v = double(r) / m->cellrows;
            m->defx[i] = m->orgx[i] + int(amount * cellw * std::sin(6.2831853 * v));
            m->defy[i] = m->orgy[i] + int(amount * cellh * std::cos(6.2831853 * u));
        }
}

inline std::vector<uint32_t> test_picture(int w, int h) {
    std::vector<uint32_t> px(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y) * w + x] = uint32_t((x * 7) & 255) | uint32_t(((y * 5) & 255) << 8) |
                                    uint32_t((((x ^ y) * 3) & 255) << 16);
    return px;
}

}  // namespace pivola_bench

#endif
