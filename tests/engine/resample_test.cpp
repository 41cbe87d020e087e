// Resampling through hand-made address maps: rounding, base, neighbourhood
// limits, weights, truncation and byte 3.
#include <gtest/gtest.h>

#include <vector>

#include "engine_test_util.h"

using enginetest::Map;

namespace {

constexpr uint32_t kBg = 0x00ABCDEFu;

// A picture whose pixel (x, y) is unique: red = x, green = y, blue = 7, byte 3 = 0x5A.
std::vector<uint32_t> coordinate_picture(int w, int h) {
    std::vector<uint32_t> p(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p[y * w + x] = 0x5A070000u | uint32_t(y) << 8 | uint32_t(x);
    return p;
}

// Samples one address with the given interpolation on a w x h picture.
uint32_t sample(const std::vector<uint32_t>& pic, int w, int h, float sx, float sy, int type) {
    Map m(w, h, 2, 2);
    EXPECT_TRUE(m.ok);
    initadr(&m.m);
    m->adrx[0] = sx;
    m->adry[0] = sy;
    std::vector<uint32_t> dst(pic.size(), 0);
    mapimg(&m.m, dst.data(), pic.data(), type, kBg);
    return dst[0];
}

TEST(Resample, NoSourceGivesBackgroundInEveryMode) {
    auto pic = coordinate_picture(10, 10);
    for (int type : {0, 1, 2}) EXPECT_EQ(sample(pic, 10, 10, -1.0f, -1.0f, type), kBg);
}

TEST(Resample, NearestRoundsHalvesAwayFromZeroAndCopiesAllFourBytes) {
    auto pic = coordinate_picture(10, 10);
    EXPECT_EQ(sample(pic, 10, 10, 2.5f, 4.0f, 0), pic[4 * 10 + 3]);
    EXPECT_EQ(sample(pic, 10, 10, 2.49f, 4.0f, 0), pic[4 * 10 + 2]);
    EXPECT_EQ(sample(pic, 10, 10, -0.4f, 0.0f, 0), pic[0]);
    EXPECT_EQ(sample(pic, 10, 10, -0.5f, 0.0f, 0), kBg);
    EXPECT_EQ(sample(pic, 10, 10, 9.4f, 9.4f, 0), pic[99]);
    EXPECT_EQ(sample(pic, 10, 10, 9.5f, 0.0f, 0), kBg);
    EXPECT_EQ(sample(pic, 10, 10, 3e9f, 0.0f, 0), kBg);  // beyond any int: no overflow
    EXPECT_EQ(pic[43] >> 24, 0x5Au);
}

TEST(Resample, BaseOfZeroIsMinusOneSoInterpolatingModesNeedPositiveCoordinates) {
    auto pic = coordinate_picture(10, 10);
    EXPECT_EQ(sample(pic, 10, 10, 0.0f, 5.0f, 1), kBg);
    EXPECT_EQ(sample(pic, 10, 10, 5.0f, 0.0f, 2), kBg);
    EXPECT_NE(sample(pic, 10, 10, 0.25f, 5.0f, 1), kBg);
}

TEST(Resample, NeighbourhoodLimitsOfEachMode) {
    auto pic = coordinate_picture(10, 8);
    // bilinear: base 0 .. size-2
    EXPECT_NE(sample(pic, 10, 8, 8.5f, 6.5f, 1), kBg);
    EXPECT_EQ(sample(pic, 10, 8, 9.5f, 3.5f, 1), kBg);
    EXPECT_EQ(sample(pic, 10, 8, 3.5f, 7.5f, 1), kBg);
    // bicubic: base 1 .. size-3
    EXPECT_NE(sample(pic, 10, 8, 1.5f, 1.5f, 2), kBg);
    EXPECT_NE(sample(pic, 10, 8, 7.5f, 5.5f, 2), kBg);
    EXPECT_EQ(sample(pic, 10, 8, 8.5f, 3.5f, 2), kBg);
    EXPECT_EQ(sample(pic, 10, 8, 3.5f, 6.5f, 2), kBg);
    EXPECT_EQ(sample(pic, 10, 8, 0.5f, 3.5f, 2), kBg);
}

TEST(Resample, BilinearWeightsAndTruncation) {
    // Columns 3 and 4 of row 7 mixed 0.75 : 0.25.
    std::vector<uint32_t> pic(10 * 10, 0);
    pic[7 * 10 + 3] = 0x00000064u | 0x0000C800u;  // red 100, green 200
    pic[7 * 10 + 4] = 0x000000C8u | 0x00006300u;  // red 200, green 99
    const uint32_t out = sample(pic, 10, 10, 3.25f, 7.0f, 1);
    EXPECT_EQ(out & 0xFF, 125u);         // 75 + 50
    EXPECT_EQ((out >> 8) & 0xFF, 174u);  // 150 + 24.75, truncated
    EXPECT_EQ(out >> 24, 0u);            // byte 3 dropped
}

TEST(Resample, BicubicReproducesWholePixelsAndClampsOvershoot) {
    auto pic = coordinate_picture(12, 12);
    EXPECT_EQ(sample(pic, 12, 12, 5.0001f, 6.0f, 2) & 0x00FF0000u, 0x00070000u);
    EXPECT_EQ(sample(pic, 12, 12, 5.0f, 6.0f, 2), pic[6 * 12 + 5] & 0x00FFFFFFu);
    // A hard edge 0 | 255: bicubic overshoots on both sides; the clamp catches it.
    std::vector<uint32_t> edge(12 * 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) edge[y * 12 + x] = x < 6 ? 0x000000FFu : 0x00000000u;
    EXPECT_EQ(sample(edge, 12, 12, 4.5f, 5.0f, 2) & 0xFF, 255u);  // 286.9 before the clamp
    EXPECT_EQ(sample(edge, 12, 12, 6.5f, 5.0f, 2) & 0xFF, 0u);    // -31.9 before the clamp
}

TEST(Resample, UnknownTypeLeavesTheDestinationAlone) {
    Map m(6, 6, 3, 3);
    ASSERT_TRUE(m.ok);
    genmapadr(&m.m);
    auto pic = coordinate_picture(6, 6);
    std::vector<uint32_t> dst(36, 0x12345678u);
    for (int type : {3, -1, 100}) {
        mapimg(&m.m, dst.data(), pic.data(), type, kBg);
        for (uint32_t v : dst) ASSERT_EQ(v, 0x12345678u);
    }
}

}  // namespace
