// Warp map record lifecycle: allocation, release and the initial lattice.
//
// The even lattice puts point j of n across at trunc(j * width / (n - 1) + 0.5),
// computed in double precision, with the last column pinned to width - 1 (the
// formula alone would give width there); rows alike.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tramap32.h"

namespace {

// Identification text carried in the library's data; nothing reads it.
__attribute__((used)) const char kIdent[] =
    "tramap32.dll - アフィン変換モジュール（任意形状） Ver 2.03";

bool fits32(uint64_t bytes) {
    return bytes <= UINT32_MAX;
}

}  // namespace

extern "C" {

int TRAMAP32_CALL allocmap(WarpMap* map, int width, int height, int cols, int rows) {
    std::memset(map, 0, sizeof *map);
    map->cols = cols;
    map->cellcols = cols - 1;
    map->rows = rows;
    map->cellrows = rows - 1;
    map->width = width;
    map->height = height;
    map->lastx = width - 1;
    map->lasty = height - 1;

    // Arguments the engine cannot honour are refused rather than trusted: a
    // lattice below 2 x 2 divides by zero, and a size whose byte count wraps
    // would make the arrays smaller than the loops that fill them.
    if (cols < 2 || rows < 2 || width < 1 || height < 1) return 0;
    const uint64_t gridbytes = uint64_t(cols) * uint64_t(rows) * 4u;
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (!fits32(gridbytes) || !fits32(pixels * 4u)) return 0;

    int32_t** grids[4] = {&map->orgx, &map->orgy, &map->defx, &map->defy};
    for (int32_t** g : grids) {
        *g = static_cast<int32_t*>(std::malloc(size_t(gridbytes)));
        if (!*g) {
            freemap(map);
            return 0;
        }
    }
    map->npixels = uint32_t(pixels);
    map->adrx = static_cast<float*>(std::malloc(size_t(pixels * 4u)));
    if (map->adrx) map->adry = static_cast<float*>(std::malloc(size_t(pixels * 4u)));
    if (!map->adrx || !map->adry) {
        freemap(map);
        return 0;
    }
    initvert(map);
    return 1;
}

void TRAMAP32_CALL freemap(WarpMap* map) {
    void** arrays[6] = {reinterpret_cast<void**>(&map->orgx), reinterpret_cast<void**>(&map->orgy),
                        reinterpret_cast<void**>(&map->defx), reinterpret_cast<void**>(&map->defy),
                        reinterpret_cast<void**>(&map->adrx), reinterpret_cast<void**>(&map->adry)};
    for (void** a : arrays) {
        if (*a) {
            std::free(*a);
            *a = nullptr;
        }
    }
}

void TRAMAP32_CALL initvert(WarpMap* map) {
    const int cols = map->cols, rows = map->rows;
    const double stepx = double(map->width) / double(cols - 1);
    const double stepy = double(map->height) / double(rows - 1);
    for (int r = 0; r < rows; ++r) {
        for (int j = 0; j < cols; ++j) {
            const size_t i = size_t(r) * size_t(cols) + size_t(j);
            map->orgx[i] = int32_t(double(j) * stepx + 0.5);
            map->orgy[i] = int32_t(double(r) * stepy + 0.5);
        }
    }
    for (int r = 0; r < rows; ++r)
        map->orgx[size_t(r) * size_t(cols) + size_t(cols - 1)] = map->lastx;
    for (int j = 0; j < cols; ++j)
        map->orgy[size_t(rows - 1) * size_t(cols) + size_t(j)] = map->lasty;
    const size_t n = size_t(cols) * size_t(rows);
    std::memcpy(map->defx, map->orgx, n * sizeof(int32_t));
    std::memcpy(map->defy, map->orgy, n * sizeof(int32_t));
}

void TRAMAP32_CALL initadr(WarpMap* map) {
    for (uint32_t i = 0; i < map->npixels; ++i) {
        map->adrx[i] = -1.0f;
        map->adry[i] = -1.0f;
    }
}

}  // extern "C"
