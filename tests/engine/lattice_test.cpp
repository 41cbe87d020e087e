// The warp map's lifecycle and its initial lattice.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine_test_util.h"

using enginetest::Map;

namespace {

std::vector<int32_t> row_x(const WarpMap& m, int r) {
    return {m.orgx + r * m.cols, m.orgx + (r + 1) * m.cols};
}

TEST(Lattice, EvenLatticeWithPinnedFarEdges) {
    Map m(100, 60, 3, 4);
    ASSERT_TRUE(m.ok);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(row_x(m.m, r), (std::vector<int32_t>{0, 50, 99}));
    const int32_t ys[4] = {0, 20, 40, 59};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(m->orgy[r * 3 + c], ys[r]) << r << "," << c;
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(m->defx[i], m->orgx[i]);
        EXPECT_EQ(m->defy[i], m->orgy[i]);
    }
    EXPECT_EQ(m->npixels, 6000u);
    EXPECT_EQ(m->lastx, 99);
    EXPECT_EQ(m->lasty, 59);
    EXPECT_EQ(m->cellcols, 2);
    EXPECT_EQ(m->cellrows, 3);
}

TEST(Lattice, SpacingIsWidthOverCellsRoundedHalfUp) {
    Map m(10, 10, 4, 3);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(row_x(m.m, 0), (std::vector<int32_t>{0, 3, 7, 9}));
    // A 5 x 5 bordered 1 x 1 picture still carries the full default lattice.
    Map tiny(5, 5, 8, 8);
    ASSERT_TRUE(tiny.ok);
    EXPECT_EQ(row_x(tiny.m, 0), (std::vector<int32_t>{0, 1, 1, 2, 3, 4, 4, 4}));
}

TEST(Lattice, InitvertUndoesDeformation) {
    Map m(50, 40, 5, 5);
    ASSERT_TRUE(m.ok);
    m->defx[7] = 3;
    m->defy[7] = 33;
    initvert(&m.m);
    EXPECT_EQ(m->defx[7], m->orgx[7]);
    EXPECT_EQ(m->defy[7], m->orgy[7]);
}

TEST(Lattice, InitadrMarksEveryEntryAsNoSource) {
    Map m(7, 3, 3, 3);
    ASSERT_TRUE(m.ok);
    initadr(&m.m);
    for (uint32_t i = 0; i < m->npixels; ++i) {
        EXPECT_EQ(m->adrx[i], -1.0f);
        EXPECT_EQ(m->adry[i], -1.0f);
    }
}

TEST(Lattice, UnusableArgumentsAreRefusedWithNullPointers) {
    struct Case {
        int w, h, cols, rows;
    } cases[] = {
        {10, 10, 1, 8},           {10, 10, 8, 1},       {0, 10, 8, 8},
        {10, -1, 8, 8},           {40000, 40000, 8, 8},  // 6.4 GB of address map
        {100, 100, 50000, 50000},                        // 10 GB of lattice
        {65536, 16384, 3, 3},                            // exactly 4 GiB per array
    };
    for (const Case& c : cases) {
        WarpMap m;
        std::memset(&m, 0xAB, sizeof m);
        EXPECT_EQ(allocmap(&m, c.w, c.h, c.cols, c.rows), 0) << c.w << "x" << c.h;
        EXPECT_EQ(m.orgx, nullptr);
        EXPECT_EQ(m.orgy, nullptr);
        EXPECT_EQ(m.defx, nullptr);
        EXPECT_EQ(m.defy, nullptr);
        EXPECT_EQ(m.adrx, nullptr);
        EXPECT_EQ(m.adry, nullptr);
        freemap(&m);
    }
}

TEST(Lattice, FreemapNullsPointersKeepsSizesAndIsIdempotent) {
    WarpMap m;
    ASSERT_EQ(allocmap(&m, 30, 20, 4, 4), 1);
    freemap(&m);
    EXPECT_TRUE(!m.orgx && !m.orgy && !m.defx && !m.defy && !m.adrx && !m.adry);
    EXPECT_EQ(m.npixels, 600u);
    EXPECT_EQ(m.width, 30);
    EXPECT_EQ(m.cols, 4);
    freemap(&m);
    WarpMap zero{};
    freemap(&zero);
    EXPECT_EQ(zero.orgx, nullptr);
}

}  // namespace
