// The engine against the literal reference, bit for bit, on many random
// lattices (gentle, folded and wild), every interpolation and sizes from 1 x 1
// up, including widths around vector lengths.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine_test_util.h"
#include "reference_engine.h"

namespace {

using enginetest::Deform;

struct Pair {
    WarpMap fast{}, ref{};
    Pair(int w, int h, int cols, int rows) {
        ok = allocmap(&fast, w, h, cols, rows) == 1 &&
             reference::allocmap(&ref, w, h, cols, rows) == 1;
    }
    ~Pair() {
        freemap(&fast);
        reference::freemap(&ref);
    }
    bool ok;
};

::testing::AssertionResult same_floats(const float* a, const float* b, uint32_t n,
                                       const char* what) {
    if (std::memcmp(a, b, n * sizeof(float)) == 0) return ::testing::AssertionSuccess();
    for (uint32_t i = 0; i < n; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return ::testing::AssertionFailure()
                   << what << " differs first at " << i << ": " << a[i] << " vs " << b[i];
    return ::testing::AssertionFailure();
}

void compare(int w, int h, int cols, int rows, Deform kind, uint32_t seed) {
    SCOPED_TRACE(::testing::Message() << w << "x" << h << " lattice " << cols << "x" << rows
                                      << " kind " << int(kind) << " seed " << seed);
    Pair p(w, h, cols, rows);
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(0, std::memcmp(p.fast.orgx, p.ref.orgx, size_t(cols) * rows * 4));
    ASSERT_EQ(0, std::memcmp(p.fast.orgy, p.ref.orgy, size_t(cols) * rows * 4));
    std::mt19937 rng(seed);
    enginetest::deform(&p.fast, kind, rng);
    std::memcpy(p.ref.defx, p.fast.defx, size_t(cols) * rows * 4);
    std::memcpy(p.ref.defy, p.fast.defy, size_t(cols) * rows * 4);

    genmapadr(&p.fast);
    reference::genmapadr(&p.ref);
    ASSERT_TRUE(same_floats(p.fast.adrx, p.ref.adrx, p.ref.npixels, "adrx"));
    ASSERT_TRUE(same_floats(p.fast.adry, p.ref.adry, p.ref.npixels, "adry"));

    const auto src = enginetest::random_picture(w, h, rng);
    for (int type : {0, 1, 2}) {
        std::vector<uint32_t> a(src.size(), 0xCCCCCCCCu), b(src.size(), 0xCCCCCCCCu);
        mapimg(&p.fast, a.data(), src.data(), type, 0x00406080u);
        reference::mapimg(&p.ref, b.data(), src.data(), type, 0x00406080u);
        ASSERT_EQ(a, b) << "interpolation " << type;
    }
}

TEST(ReferenceComparison, SmallAndOddSizes) {
    uint32_t seed = 1;
    for (int w = 1; w <= 9; ++w)
        for (int h : {1, 2, 3, 7})
            for (Deform kind : {Deform::Gentle, Deform::Folded, Deform::Wild}) {
                compare(w, h, 3 + int(seed % 3), 3, kind, seed);
                ++seed;
            }
}

TEST(ReferenceComparison, GentleLattices) {
    for (uint32_t seed = 0; seed < 12; ++seed)
        compare(40 + int(seed * 13 % 97), 30 + int(seed * 7 % 61), 3 + int(seed % 7),
                3 + int(seed * 5 % 6), Deform::Gentle, 100 + seed);
}

TEST(ReferenceComparison, FoldedAndInsideOutLattices) {
    for (uint32_t seed = 0; seed < 12; ++seed)
        compare(64 + int(seed * 11 % 50), 48 + int(seed * 3 % 40), 3 + int(seed % 5), 4,
                Deform::Folded, 200 + seed);
}

TEST(ReferenceComparison, WildLatticesWithPointsFarOutside) {
    for (uint32_t seed = 0; seed < 12; ++seed)
        compare(50, 40, 4 + int(seed % 4), 3 + int(seed % 3), Deform::Wild, 300 + seed);
}

TEST(ReferenceComparison, LargerPictureDefaultLattice) {
    compare(644, 484, 8, 8, Deform::Gentle, 400);
    compare(323, 207, 32, 32, Deform::Gentle, 401);
}

}  // namespace
