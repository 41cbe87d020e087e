// The drag-point file and scaledp.
#include <gtest/gtest.h>

#include <cstring>

#include "dragpoint.h"
#include "testutil.h"

using namespace pivola::files;

namespace {

struct Map {
    WarpMap m{};
    Map(int w, int h, int cols, int rows) { EXPECT_EQ(allocmap(&m, w, h, cols, rows), 1); }
    ~Map() { freemap(&m); }
    std::size_t n() const { return std::size_t(m.cols) * std::size_t(m.rows); }
};

std::vector<uint8_t> header(int32_t w, int32_t h, int32_t cols, int32_t rows) {
    std::vector<uint8_t> b(256, 0);
    testutil::put32(b, 0, uint32_t(w));
    testutil::put32(b, 4, uint32_t(h));
    testutil::put32(b, 8, uint32_t(cols));
    testutil::put32(b, 12, uint32_t(rows));
    return b;
}

TEST(DragPointFile, ThreeByThreeGridIsFourHundredBytesLaidOutAsSpecified) {
    Map map(14, 11, 3, 3);
    map.m.defx[4] = 9;
    map.m.defy[4] = -2;
    std::vector<uint8_t> b;
    ASSERT_TRUE(encodedp(map.m, &b));
    ASSERT_EQ(b.size(), 400u);
    EXPECT_EQ(dpfilebytes(3, 3), 400u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 256), header(14, 11, 3, 3));
    const int32_t* arrays[4] = {map.m.orgx, map.m.orgy, map.m.defx, map.m.defy};
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(int32_t(testutil::get32(b, 256 + 36 * k + 4 * i)), arrays[k][i]);
        }
    }
    EXPECT_EQ(testutil::get32(b, 256 + 72 + 16), 9u);
    EXPECT_EQ(testutil::get32(b, 256 + 108 + 16), uint32_t(-2));
}

TEST(DragPointFile, SavedAndLoadedGivesTheSameLattice) {
    testutil::TempDir dir;
    Map map(104, 64, 5, 4);
    for (std::size_t i = 0; i < map.n(); ++i) {
        map.m.defx[i] = map.m.orgx[i] + int32_t(i % 3) - 1;
        map.m.defy[i] = map.m.orgy[i] + int32_t(i % 5) - 2;
    }
    const std::string path = dir.file("grid.dp");
    ASSERT_EQ(savedpfile(path.c_str(), map.m), FileError::none);
    EXPECT_EQ(testutil::readfile(path).size(), dpfilebytes(5, 4));

    WarpMap back{};
    DpHeader h{};
    ASSERT_EQ(loaddpfile(path.c_str(), 104, 64, &back, &h), FileError::none);
    EXPECT_EQ(h.width, 104);
    EXPECT_EQ(h.height, 64);
    EXPECT_EQ(back.cols, 5);
    EXPECT_EQ(back.rows, 4);
    const std::size_t bytes = map.n() * 4;
    EXPECT_EQ(std::memcmp(back.orgx, map.m.orgx, bytes), 0);
    EXPECT_EQ(std::memcmp(back.orgy, map.m.orgy, bytes), 0);
    EXPECT_EQ(std::memcmp(back.defx, map.m.defx, bytes), 0);
    EXPECT_EQ(std::memcmp(back.defy, map.m.defy, bytes), 0);
    freemap(&back);
}

TEST(DragPointFile, HeadersThatMustNotReachTheWarpMap) {
    DpHeader h;
    struct Case {
        std::vector<uint8_t> bytes;
        FileError why;
    };
    const Case cases[] = {
        {std::vector<uint8_t>(255, 0), FileError::readfailed},
        {header(10, 10, 2, 3), FileError::badcounts},
        {header(10, 10, 3, 2), FileError::badcounts},
        {header(10, 10, -8, 8), FileError::badcounts},
        {header(10, 10, kGridMax + 1, 3), FileError::badcounts},
        {header(10, 10, 65536, 65536), FileError::badcounts},  // 2^32 points
        {header(0, 10, 3, 3), FileError::badsize},
        {header(10, -1, 3, 3), FileError::badsize},
        {header(1, 1, 3, 3), FileError::none},
        {header(10, 10, kGridMax, kGridMax), FileError::none},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodedpheader(c.bytes.data(), c.bytes.size(), &h), c.why);
    }
}

TEST(DragPointFile, ArraysCutShortAreDetected) {
    Map map(10, 10, 3, 3);
    std::vector<uint8_t> b;
    ASSERT_TRUE(encodedp(map.m, &b));
    Map other(10, 10, 3, 3);
    EXPECT_TRUE(decodedparrays(b.data(), b.size(), &other.m));
    EXPECT_FALSE(decodedparrays(b.data(), b.size() - 1, &other.m));
    EXPECT_FALSE(decodedparrays(b.data(), 100, &other.m));

    testutil::TempDir dir;
    testutil::writefile(dir.file("whole.dp"), b);
    DpReader reader;
    DpHeader h;
    ASSERT_EQ(reader.open(dir.file("whole.dp").c_str()), FileError::none);
    ASSERT_EQ(reader.readheader(&h), FileError::none);
    EXPECT_TRUE(reader.readarrays(&other.m));
    EXPECT_EQ(std::memcmp(other.m.defy, map.m.defy, 36), 0);

    // A file too short for its arrays is refused with its header, before the
    // editor asks to give up the current lattice.
    b.resize(b.size() - 4);
    testutil::writefile(dir.file("cut.dp"), b);
    ASSERT_EQ(reader.open(dir.file("cut.dp").c_str()), FileError::none);
    EXPECT_EQ(reader.readheader(&h), FileError::readfailed);

    WarpMap m{};
    EXPECT_EQ(loaddpfile(dir.file("cut.dp").c_str(), 10, 10, &m), FileError::readfailed);
    EXPECT_EQ(m.orgx, nullptr);

    testutil::writefile(dir.file("head.dp"), std::vector<uint8_t>(b.begin(), b.begin() + 255));
    ASSERT_EQ(reader.open(dir.file("head.dp").c_str()), FileError::none);
    EXPECT_EQ(reader.readheader(&h), FileError::readfailed);
    EXPECT_EQ(reader.open(dir.file("none.dp").c_str()), FileError::cannotopen);
}

TEST(ScaleDp, WiderPictureFollowsTheSpecifiedArithmetic) {
    // Made for a 104-wide document, applied to a 204-wide one.
    Map map(204, 50, 7, 3);
    const int32_t in[7] = {0, 1, 51, 52, 102, 103, -4};
    const int32_t out[7] = {0, 2, 100, 102, 200, 203, 0};
    for (int i = 0; i < 7; ++i) map.m.orgx[i] = map.m.defx[i] = in[i];
    std::vector<int32_t> ys(map.m.orgy, map.m.orgy + map.n());
    scaledp(&map.m, 104, 50);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(map.m.orgx[i], out[i]) << in[i];
        EXPECT_EQ(map.m.defx[i], out[i]) << in[i];
    }
    // The axis whose size agrees maps every value to itself.
    EXPECT_EQ(std::vector<int32_t>(map.m.orgy, map.m.orgy + map.n()), ys);
}

TEST(ScaleDp, SmallerPictureClampsToTheEdges) {
    Map map(20, 10, 3, 3);
    const int32_t vx[3] = {39, 38, 30}, vy[3] = {99, 98, -1};
    for (int i = 0; i < 3; ++i) {
        map.m.defx[i] = vx[i];
        map.m.defy[i] = vy[i];
    }
    scaledp(&map.m, 40, 100);
    // 38 * 0.5 + 0.5 = 19.5 -> 19; 30 -> 15.5 -> 15; 39 is the right edge.
    EXPECT_EQ(map.m.defx[0], 19);
    EXPECT_EQ(map.m.defx[1], 19);
    EXPECT_EQ(map.m.defx[2], 15);
    // 98 * 0.1 + 0.5 = 10.3 >= 10 -> 9; -1 -> 0.4 -> 0; 99 is the bottom edge.
    EXPECT_EQ(map.m.defy[0], 9);
    EXPECT_EQ(map.m.defy[1], 9);
    EXPECT_EQ(map.m.defy[2], 0);

    Map neg(20, 10, 3, 3);
    neg.m.orgx[0] = -100;
    neg.m.orgy[0] = INT32_MIN;
    neg.m.orgx[1] = INT32_MAX;
    scaledp(&neg.m, 30, 10);
    EXPECT_EQ(neg.m.orgx[0], 0);
    EXPECT_EQ(neg.m.orgy[0], 0);
    EXPECT_EQ(neg.m.orgx[1], 19);
}

TEST(ScaleDp, LoadingAFileMadeForAnotherSizeRescalesIt) {
    testutil::TempDir dir;
    Map made(104, 24, 3, 3);
    made.m.defx[4] = 51;
    ASSERT_EQ(savedpfile(dir.file("a.dp").c_str(), made.m), FileError::none);
    WarpMap m{};
    ASSERT_EQ(loaddpfile(dir.file("a.dp").c_str(), 204, 24, &m), FileError::none);
    EXPECT_EQ(m.width, 204);
    EXPECT_EQ(m.defx[4], 100);
    EXPECT_EQ(m.orgx[2], 203);
    freemap(&m);
}

}  // namespace
