// The Windows build of the engine against the literal reference engine, bit
// for bit, under Wine: random lattices (gentle, folded, wild), every
// interpolation, small and odd sizes, with every instruction-set form the
// processor offers forced in turn and both ways of rasterising. Kept small
// enough to finish within minutes where 32-bit Wine runs under emulation.
// Exit code 0 and "N passed, 0 failed" when every comparison agrees.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "engine_test_util.h"
#include "isa.h"
#include "reference_engine.h"
#include "tramap32.h"

namespace {

using enginetest::Deform;
using tramap32_internal::Isa;

int passed = 0, failed = 0;

const char* isaname(Isa isa) {
    return isa == Isa::Avx512 ? "avx512"
           : isa == Isa::Avx2 ? "avx2"
           : isa == Isa::Sse2 ? "sse2"
                              : "generic";
}

// The first differing index of two arrays of n 32-bit values, or -1.
long firstdiff(const void* a, const void* b, uint32_t n) {
    const auto* x = static_cast<const uint32_t*>(a);
    const auto* y = static_cast<const uint32_t*>(b);
    for (uint32_t i = 0; i < n; ++i)
        if (x[i] != y[i]) return long(i);
    return -1;
}

void compare(int w, int h, int cols, int rows, Deform kind, uint32_t seed) {
    WarpMap fast{}, ref{};
    if (allocmap(&fast, w, h, cols, rows) != 1 ||
        reference::allocmap(&ref, w, h, cols, rows) != 1) {
        std::printf("FAILED: allocmap %dx%d lattice %dx%d\n", w, h, cols, rows);
        ++failed;
        freemap(&fast);
        reference::freemap(&ref);
        return;
    }
    std::mt19937 rng(seed);
    enginetest::deform(&ref, kind, rng);
    const size_t grid = size_t(cols) * size_t(rows) * sizeof(int32_t);
    std::memcpy(fast.defx, ref.defx, grid);
    std::memcpy(fast.defy, ref.defy, grid);
    reference::genmapadr(&ref);
    const std::vector<uint32_t> src = enginetest::random_picture(w, h, rng);
    std::vector<uint32_t> want[3], got(src.size());
    for (int type = 0; type < 3; ++type) {
        want[type].assign(src.size(), 0);
        reference::mapimg(&ref, want[type].data(), src.data(), type, 0x00406080u);
    }
    for (Isa isa : {Isa::Generic, Isa::Sse2, Isa::Avx2, Isa::Avx512}) {
        if (!tramap32_internal::forceisa(isa)) continue;
        for (bool pixeltest : {false, true}) {
            tramap32_internal::forcepixeltest(pixeltest);
            bool ok = true;
            genmapadr(&fast);
            long at = firstdiff(fast.adrx, ref.adrx, ref.npixels);
            if (at < 0) at = firstdiff(fast.adry, ref.adry, ref.npixels);
            if (at >= 0) {
                std::printf(
                    "FAILED: %dx%d lattice %dx%d kind %d seed %u %s%s: address map at %ld\n", w, h,
                    cols, rows, int(kind), seed, isaname(isa), pixeltest ? "+pixeltest" : "", at);
                ok = false;
            }
            for (int type = 0; type < 3 && ok; ++type) {
                mapimg(&fast, got.data(), src.data(), type, 0x00406080u);
                const long px = firstdiff(got.data(), want[type].data(), ref.npixels);
                if (px >= 0) {
                    std::printf(
                        "FAILED: %dx%d lattice %dx%d kind %d seed %u %s: interpolation %d "
                        "at %ld\n",
                        w, h, cols, rows, int(kind), seed, isaname(isa), type, px);
                    ok = false;
                }
            }
            ++(ok ? passed : failed);
        }
    }
    tramap32_internal::unforceisa();
    tramap32_internal::forcepixeltest(false);
    freemap(&fast);
    reference::freemap(&ref);
}

}  // namespace

int main() {
    for (Isa isa : {Isa::Generic, Isa::Sse2, Isa::Avx2, Isa::Avx512})
        std::printf("%s: %s\n", isaname(isa),
                    tramap32_internal::isaavailable(isa) ? "available" : "not available");
    uint32_t seed = 1;
    for (int w = 1; w <= 9; ++w)
        for (int h : {1, 2, 5})
            for (Deform kind : {Deform::Gentle, Deform::Folded, Deform::Wild}) {
                compare(w, h, 2 + int(seed % 3), 2 + int(seed / 3 % 3), kind, seed);
                ++seed;
            }
    for (Deform kind : {Deform::Gentle, Deform::Folded, Deform::Wild})
        for (int i = 0; i < 4; ++i, ++seed)
            compare(33 + int(seed * 7 % 40), 21 + int(seed * 13 % 30), 3 + int(seed % 5),
                    3 + int(seed / 2 % 4), kind, seed);
    // Several bands of rows, and many triangles across each band boundary.
    compare(600, 140, 9, 12, Deform::Gentle, seed);
    compare(1200, 60, 17, 7, Deform::Folded, seed + 1);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
