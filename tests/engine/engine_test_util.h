// Helpers shared by the engine tests: an owning WarpMap and random lattices.
#ifndef PIVOLA_TESTS_ENGINE_UTIL_H
#define PIVOLA_TESTS_ENGINE_UTIL_H

#include <cstdint>
#include <random>
#include <vector>

#include "tramap32.h"

namespace enginetest {

// A WarpMap released on scope exit.
struct Map {
    WarpMap m{};
    Map() = default;
    Map(int w, int h, int cols, int rows) { ok = allocmap(&m, w, h, cols, rows) == 1; }
    ~Map() { freemap(&m); }
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;
    WarpMap* operator->() { return &m; }
    bool ok = false;
};

inline std::vector<uint32_t> random_picture(int w, int h, std::mt19937& rng) {
    std::vector<uint32_t> px(size_t(w) * size_t(h));
    for (auto& p : px) p = rng();  // byte 3 too: nearest must copy it, others drop it
    return px;
}

// How wildly a random lattice is deformed.
enum class Deform {
    Gentle,  // each point within a third of a cell: cells stay convex
    Folded,  // points anywhere in the picture: folded and inside-out cells
    Wild,    // also far outside the picture and coinciding points
};

inline void deform(WarpMap* m, Deform kind, std::mt19937& rng) {
    const int n = m->cols * m->rows;
    const int cw = m->width / m->cellcols + 1, ch = m->height / m->cellrows + 1;
    for (int i = 0; i < n; ++i) {
        switch (kind) {
            case Deform::Gentle: {
                std::uniform_int_distribution<int> dx(-cw / 3, cw / 3), dy(-ch / 3, ch / 3);
                m->defx[i] = m->orgx[i] + dx(rng);
                m->defy[i] = m->orgy[i] + dy(rng);
                break;
            }
            case Deform::Folded: {
                std::uniform_int_distribution<int> x(0, m->lastx), y(0, m->lasty);
                if (rng() % 2) {
                    m->defx[i] = x(rng);
                    m->defy[i] = y(rng);
                }
                break;
            }
            case Deform::Wild: {
                std::uniform_int_distribution<int> x(-3 * m->width, 4 * m->width);
                std::uniform_int_distribution<int> y(-3 * m->height, 4 * m->height);
                const uint32_t pick = rng() % 8;
                if (pick == 0 && i > 0) {
                    m->defx[i] = m->defx[i - 1];  // two points on one spot: zero-area triangles
                    m->defy[i] = m->defy[i - 1];
                } else if (pick == 1) {
                    m->defx[i] = (rng() % 2) ? INT32_MAX : INT32_MIN;
                } else if (pick < 5) {
                    m->defx[i] = x(rng);
                    m->defy[i] = y(rng);
                }
                break;
            }
        }
    }
}

}  // namespace enginetest

#endif
