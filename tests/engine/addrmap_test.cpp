// Address-map generation: what the piecewise-affine map and the smoothing
// must do, and the guards that keep any lattice from corrupting the map.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine_test_util.h"

using enginetest::Map;

namespace {

float at(const float* a, const WarpMap& m, int x, int y) {
    return a[y * m.width + x];
}

TEST(AddressMap, UndeformedLatticeMapsEveryPixelOntoItself) {
    for (auto [w, h, n] : {std::tuple{64, 48, 8}, std::tuple{37, 91, 5}, std::tuple{5, 5, 8}}) {
        Map m(w, h, n, n);
        ASSERT_TRUE(m.ok);
        genmapadr(&m.m);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ASSERT_NEAR(at(m->adrx, m.m, x, y), x, 1e-3) << x << "," << y;
                ASSERT_NEAR(at(m->adry, m.m, x, y), y, 1e-3) << x << "," << y;
            }
    }
}

TEST(AddressMap, PointMovedInwardLeavesUncoveredPixelsWithoutSource) {
    Map m(100, 60, 3, 4);
    ASSERT_TRUE(m.ok);
    m->defy[1] = 15;  // top middle point pulled down 15 rows
    genmapadr(&m.m);
    EXPECT_EQ(at(m->adrx, m.m, 50, 5), -1.0f);
    EXPECT_EQ(at(m->adry, m.m, 50, 5), -1.0f);
    // Below the dent the picture is stretched back up: row 30 samples above 30.
    EXPECT_GT(at(m->adry, m.m, 50, 16), -0.5f);
    EXPECT_LT(at(m->adry, m.m, 50, 16), 16.0f);
}

TEST(AddressMap, TriangleBeyondTheRightEdgeDoesNotSpillIntoTheNextRow) {
    Map m(40, 30, 3, 3);
    ASSERT_TRUE(m.ok);
    // The right middle point pushed far beyond the right edge: its cells
    // cover columns past lastx. Column 0 is never smoothed, so it holds what
    // the cells drew: source x near 0, never the right side's source x.
    m->defx[5] = 80;
    genmapadr(&m.m);
    for (int y = 0; y < 30; ++y) EXPECT_LT(at(m->adrx, m.m, 0, y), 1.0f) << "row " << y;
}

TEST(AddressMap, InsideOutCellIsStillDrawn) {
    Map m(90, 90, 4, 4);
    ASSERT_TRUE(m.ok);
    // Point (1,1) pulled across the opposite corner of its cell.
    m->defx[5] = 70;
    m->defy[5] = 70;
    genmapadr(&m.m);
    int covered = 0;
    for (uint32_t i = 0; i < m->npixels; ++i) covered += m->adrx[i] != -1.0f;
    EXPECT_GT(covered, int(m->npixels) * 9 / 10);
}

TEST(AddressMap, DegenerateLatticesNeverPutNonFiniteValuesInTheMap) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        Map m(33, 29, 4, 5);
        ASSERT_TRUE(m.ok);
        if (round == 0) {  // every point on one spot
            for (int i = 0; i < 20; ++i) m->defx[i] = m->defy[i] = 10;
        } else if (round == 1) {  // a cell squashed flat: parallel diagonals
            m->defy[0] = m->defy[1] = m->defy[4] = m->defy[5] = 0;
        } else {
            enginetest::deform(&m.m, enginetest::Deform::Wild, rng);
        }
        genmapadr(&m.m);
        for (uint32_t i = 0; i < m->npixels; ++i) {
            ASSERT_TRUE(std::isfinite(m->adrx[i]) && std::isfinite(m->adry[i]))
                << "round " << round << " pixel " << i;
            ASSERT_EQ(m->adrx[i] == -1.0f, m->adry[i] == -1.0f);
        }
    }
}

TEST(AddressMap, SmoothingAveragesThreeTapsAndSparesFirstRowAndColumn) {
    // A shear: the bottom row moved right by 6 pixels. Drawn values vary
    // linearly, so the average equals the centre tap up to rounding, but the
    // rows and columns that smoothing skips keep their drawn values exactly.
    Map m(31, 31, 2, 2);
    ASSERT_TRUE(m.ok);
    genmapadr(&m.m);
    const float untouched_row0 = at(m->adrx, m.m, 17, 0);
    EXPECT_EQ(untouched_row0, 17.0f);
    EXPECT_EQ(at(m->adry, m.m, 0, 17), 17.0f);
    // Next to a no-source pixel an entry keeps its drawn value.
    Map dent(31, 31, 3, 3);
    ASSERT_TRUE(dent.ok);
    dent->defx[3] = 6;  // left middle point pulled in: column 0 of middle rows loses source
    genmapadr(&dent.m);
    EXPECT_EQ(at(dent->adrx, dent.m, 0, 15), -1.0f);
    EXPECT_NE(at(dent->adrx, dent.m, 6, 15), -1.0f);
}

TEST(AddressMap, NarrowPicturesSkipThePassThatNeedsThreeTaps) {
    for (auto [w, h] : {std::pair{2, 9}, std::pair{9, 2}, std::pair{1, 1}, std::pair{2, 2}}) {
        Map m(w, h, 3, 3);
        ASSERT_TRUE(m.ok);
        genmapadr(&m.m);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                EXPECT_NEAR(at(m->adrx, m.m, x, y), x, 1e-4);
                EXPECT_NEAR(at(m->adry, m.m, x, y), y, 1e-4);
            }
    }
}

}  // namespace
