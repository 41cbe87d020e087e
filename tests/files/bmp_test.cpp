// BMP reading, the border, and BMP writing.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include "bmp.h"
#include "testutil.h"

using namespace pivola::files;
using testutil::bmpfile;

namespace {

struct Read {
    bool ok;
    FileError why;
    BmpInfo info;
    Picture pic;
    Read(const std::vector<uint8_t>& bytes) {
        ok = readbmpbytes(bytes.data(), bytes.size(), &info, &pic, &why);
    }
    ~Read() { freebmp(pic); }
    uint32_t at(int x, int y) const {
        return pic.pixels[size_t(y) * size_t(pic.width) + size_t(x)];
    }
};

// Palette entries as stored: blue, green, red, reserved in bytes 0..3.
constexpr uint32_t kEntryA = 0x00112233;  // blue 0x33, green 0x22, red 0x11
constexpr uint32_t kEntryB = 0x7F445566;  // reserved 0x7F
constexpr uint32_t kPixelA = 0x00332211;  // editor layout: red 0x11, green 0x22, blue 0x33
constexpr uint32_t kPixelB = 0x7F665544;

TEST(ReadBmp, OneBitRowsUseMostSignificantBitFirstAndPadToFourBytes) {
    // 9 wide: 2 data bytes + 2 padding a row; pixel 8 is bit 7 of byte 1.
    const std::vector<uint8_t> rows = {0b10100000, 0b10000000, 0xEE, 0xEE,   // bottom row
                                       0b01000000, 0b00000000, 0xEE, 0xEE};  // top row
    Read r(bmpfile(9, 2, 1, {kEntryA, kEntryB}, rows));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pic.width, 9);
    EXPECT_EQ(r.pic.height, 2);
    EXPECT_EQ(r.pic.bytesize, 72);
    EXPECT_EQ(r.at(0, 1), kPixelB);
    EXPECT_EQ(r.at(1, 1), kPixelA);
    EXPECT_EQ(r.at(2, 1), kPixelB);
    EXPECT_EQ(r.at(8, 1), kPixelB);
    EXPECT_EQ(r.at(0, 0), kPixelA);
    EXPECT_EQ(r.at(1, 0), kPixelB);
    EXPECT_EQ(r.at(8, 0), kPixelA);
}

TEST(ReadBmp, FourBitHighNibbleIsTheEvenPixel) {
    // 3 wide: 2 data bytes + 2 padding; pixel 2 is the high nibble of byte 1.
    const std::vector<uint8_t> rows = {0x10, 0x1F, 0xFF, 0xFF};
    Read r(bmpfile(3, 1, 4, {kEntryA, kEntryB}, rows));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.at(0, 0), kPixelB);
    EXPECT_EQ(r.at(1, 0), kPixelA);
    EXPECT_EQ(r.at(2, 0), kPixelB);
}

TEST(ReadBmp, EightBitIndexesAndIndexBeyondTableIsBlack) {
    const std::vector<uint8_t> rows = {1, 0, 2, 255};
    Read r(bmpfile(4, 1, 8, {kEntryA, kEntryB}, rows));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.at(0, 0), kPixelB);
    EXPECT_EQ(r.at(1, 0), kPixelA);
    EXPECT_EQ(r.at(2, 0), 0u);
    EXPECT_EQ(r.at(3, 0), 0u);
}

TEST(ReadBmp, TwentyFourBitBytesAndBottomRowFirst) {
    // 1 wide: 3 data bytes + 1 padding; the first stored pixel is bottom-left.
    const std::vector<uint8_t> rows = {0x10, 0x20, 0x30, 0xAA, 0x01, 0x02, 0x03, 0xAA};
    Read r(bmpfile(1, 2, 24, {}, rows));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.at(0, 1), 0x00102030u);  // bytes 0x30, 0x20, 0x10, 0x00
    EXPECT_EQ(r.at(0, 0), 0x00010203u);
    uint8_t mem[4];
    std::memcpy(mem, &r.pic.pixels[size_t(1)], 4);
    EXPECT_EQ(mem[0], 0x30);
    EXPECT_EQ(mem[1], 0x20);
    EXPECT_EQ(mem[2], 0x10);
    EXPECT_EQ(mem[3], 0x00);
    EXPECT_EQ(r.info.biSize, 40u);
    EXPECT_EQ(r.info.biBitCount, 24);
}

TEST(ReadBmp, FourPixelTwentyFourBitRowHasNoPadding) {
    std::vector<uint8_t> rows;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) rows.insert(rows.end(), {uint8_t(x), uint8_t(y), 9});
    Read r(bmpfile(4, 2, 24, {}, rows));
    ASSERT_TRUE(r.ok);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(r.at(x, 1), 0x09u | uint32_t(x) << 16) << x;
        EXPECT_EQ(r.at(x, 0), 0x09u | 0x100u | uint32_t(x) << 16) << x;
    }
}

TEST(ReadBmp, PaletteFollowsLongerInfoHeaders) {
    for (uint32_t infosize : {40u, 108u, 124u}) {
        Read r(bmpfile(2, 1, 8, {kEntryA, kEntryB}, {1, 0, 0, 0}, infosize));
        ASSERT_TRUE(r.ok) << infosize;
        EXPECT_EQ(r.at(0, 0), kPixelB) << infosize;
        EXPECT_EQ(r.at(1, 0), kPixelA) << infosize;
    }
}

TEST(ReadBmp, RefusesWhatItCannotRead) {
    const std::vector<uint8_t> good = bmpfile(2, 2, 24, {}, std::vector<uint8_t>(16, 7));
    ASSERT_TRUE(Read(good).ok);
    struct Case {
        const char* what;
        std::size_t at;
        int bytes;
        uint32_t value;
        FileError why;
    };
    const Case cases[] = {
        {"signature", 0, 2, 'B' | 'X' << 8, FileError::notbmp},
        {"16 bits", 28, 2, 16, FileError::unsupported},
        {"32 bits", 28, 2, 32, FileError::unsupported},
        {"RLE8", 30, 4, 1, FileError::unsupported},
        {"bitfields", 30, 4, 3, FileError::unsupported},
        {"core header", 14, 4, 12, FileError::unsupported},
        {"top-down", 22, 4, uint32_t(-2), FileError::unsupported},
        {"zero height", 22, 4, 0, FileError::badsize},
        {"zero width", 18, 4, 0, FileError::badsize},
        {"negative width", 18, 4, uint32_t(-5), FileError::badsize},
        {"width * height * 4 beyond 32 bits", 18, 4, 0x10000000, FileError::badsize},
        {"pixels inside the header", 10, 4, 40, FileError::badoffset},
        {"header longer than the offset", 14, 4, 200, FileError::badoffset},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = good;
        if (c.bytes == 2) {
            testutil::put16(b, c.at, c.value);
        } else {
            testutil::put32(b, c.at, c.value);
        }
        Read r(b);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.why, c.why) << c.what;
        EXPECT_EQ(r.pic.pixels, nullptr) << c.what;
    }
    Read shortheader(std::vector<uint8_t>(good.begin(), good.begin() + 53));
    EXPECT_FALSE(shortheader.ok);
    Read empty(std::vector<uint8_t>{});
    EXPECT_FALSE(empty.ok);
}

TEST(ReadBmp, MissingBytesAtTheEndReadAsZero) {
    // 24 bits: the file ends in the middle of the second stored row.
    std::vector<uint8_t> rows(2 * 8, 0x40);
    std::vector<uint8_t> file = bmpfile(2, 3, 24, {}, rows);
    file.resize(file.size() - 5);  // keeps the bottom row and 3 bytes of the next
    Read r(file);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.at(0, 2), 0x00404040u);
    EXPECT_EQ(r.at(1, 2), 0x00404040u);
    EXPECT_EQ(r.at(0, 1), 0x00404040u);
    EXPECT_EQ(r.at(1, 1), 0u);
    EXPECT_EQ(r.at(0, 0), 0u);
    EXPECT_EQ(r.at(1, 0), 0u);

    // Palette pixels that are missing take entry 0.
    std::vector<uint8_t> pal = bmpfile(4, 3, 8, {kEntryA, kEntryB}, {1, 1, 1, 1});
    Read p(pal);
    ASSERT_TRUE(p.ok);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(p.at(x, 2), kPixelB);
        EXPECT_EQ(p.at(x, 1), kPixelA);
        EXPECT_EQ(p.at(x, 0), kPixelA);
    }

    // An offset beyond the end of the file reads nothing outside it.
    std::vector<uint8_t> far = bmpfile(2, 2, 8, {kEntryB}, {0, 0, 0, 0});
    testutil::put32(far, 10, 0x7FFFFFF0);
    Read f(far);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.at(0, 0), kPixelB);
    EXPECT_EQ(f.at(1, 1), kPixelB);
    // ... and with no colour table in the file at all, black.
    std::vector<uint8_t> notable = bmpfile(2, 2, 8, {}, {});
    testutil::put32(notable, 10, 0x7FFFFFF0);
    Read n(notable);
    ASSERT_TRUE(n.ok);
    EXPECT_EQ(n.at(1, 1), 0u);
}

TEST(ReadBmp, FromFileMatchesFromBytes) {
    testutil::TempDir dir;
    std::vector<uint8_t> rows;
    for (int i = 0; i < 3 * 8; ++i) rows.push_back(uint8_t(i * 7));
    const auto file = bmpfile(3, 3, 8, {kEntryA, kEntryB, 0x00FFFFFF}, rows);
    testutil::writefile(dir.file("p.bmp"), file);
    BmpInfo info;
    Picture pic;
    ASSERT_TRUE(readbmp(dir.file("p.bmp").c_str(), &info, &pic));
    Read r(file);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(std::memcmp(pic.pixels, r.pic.pixels, size_t(pic.bytesize)), 0);
    freebmp(pic);

    FileError why;
    EXPECT_FALSE(readbmp(dir.file("missing.bmp").c_str(), &info, &pic, &why));
    EXPECT_EQ(why, FileError::cannotopen);
}

TEST(Border, OnePixelPictureBecomesFiveByFiveOfOneColour) {
    const uint32_t px = 0x00ABCDEF;
    Picture doc{};
    ASSERT_TRUE(addborder(&px, 1, 1, false, &doc));
    EXPECT_EQ(doc.width, 5);
    EXPECT_EQ(doc.height, 5);
    EXPECT_EQ(doc.bytesize, 100);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(doc.pixels[i], px);
    clearpicture(&doc);
    EXPECT_EQ(doc.pixels, nullptr);
    EXPECT_EQ(doc.width, 0);
}

TEST(Border, EveryOuterPixelRepeatsTheNearestEdgePixel) {
    for (auto [w, h] : {std::pair{3, 2}, {1, 4}, {6, 1}, {5, 5}}) {
        const auto src = testutil::randompixels(size_t(w * h), uint32_t(w * 31 + h));
        Picture doc{};
        ASSERT_TRUE(addborder(src.data(), w, h, false, &doc));
        ASSERT_EQ(doc.width, w + 4);
        ASSERT_EQ(doc.height, h + 4);
        for (int Y = 0; Y < h + 4; ++Y) {
            for (int X = 0; X < w + 4; ++X) {
                const int x = std::clamp(X - 2, 0, w - 1), y = std::clamp(Y - 2, 0, h - 1);
                ASSERT_EQ(doc.pixels[Y * (w + 4) + X], src[size_t(y * w + x)])
                    << w << "x" << h << " at " << X << "," << Y;
            }
        }
        clearpicture(&doc);
    }
}

TEST(Border, ClipboardBuffersAreSwappedOnTheWayIn) {
    const uint32_t dib[2] = {0x00112233, 0xFF445566};  // 0x00RRGGBB
    Picture doc{};
    ASSERT_TRUE(addborder(dib, 2, 1, true, &doc));
    EXPECT_EQ(doc.pixels[2 * 6 + 2], 0x00332211u);
    EXPECT_EQ(doc.pixels[2 * 6 + 3], 0xFF665544u);  // byte 3 stays
    EXPECT_EQ(doc.pixels[0], 0x00332211u);
    clearpicture(&doc);
}

TEST(OpenImg, FailureDiscardsThePictureHeldBefore) {
    testutil::TempDir dir;
    testutil::writefile(dir.file("a.bmp"), bmpfile(1, 1, 24, {}, {1, 2, 3, 0}));
    testutil::writefile(dir.file("bad.bmp"), {'B', 'M', 0});
    Picture doc{};
    ASSERT_TRUE(openimg(dir.file("a.bmp").c_str(), &doc));
    EXPECT_EQ(doc.width, 5);
    EXPECT_EQ(doc.pixels[12], 0x00010203u);
    FileError why;
    EXPECT_FALSE(openimg(dir.file("bad.bmp").c_str(), &doc, &why));
    EXPECT_EQ(why, FileError::notbmp);
    EXPECT_EQ(doc.pixels, nullptr);
    EXPECT_EQ(doc.bytesize, 0);
    EXPECT_EQ(doc.width, 0);
    EXPECT_EQ(doc.height, 0);
}

TEST(OpenImg, BorderedSizeMustFitToo) {
    // 4 x 134217727 fits 32 bits (2^31 - 16 bytes); with the border it does not.
    auto file = bmpfile(4, 134217727, 8, {}, {});
    Picture doc{};
    FileError why;
    EXPECT_FALSE(openimgbytes(file.data(), file.size(), &doc, &why));
    EXPECT_TRUE(why == FileError::badsize || why == FileError::nomemory);
    EXPECT_EQ(doc.pixels, nullptr);
}

TEST(WriteBmp, TwoByTwoIsSeventyBytesWithTheSpecifiedHeader) {
    const uint32_t px[4] = {0x00102030, 0xFF040506, 0x00070809, 0x000A0B0C};
    const Picture pic{const_cast<uint32_t*>(px), 16, 2, 2};
    std::vector<uint8_t> b;
    ASSERT_TRUE(encodebmp(pic, &b));
    ASSERT_EQ(b.size(), 70u);
    const std::vector<uint8_t> header = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40,  0,   0,  0, 2, 0, 0, 0, 2, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
        16,  0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 54), header);
    // Bottom row first, blue green red, byte 3 dropped, zero padding.
    const std::vector<uint8_t> rows = {0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0, 0,
                                       0x10, 0x20, 0x30, 0x04, 0x05, 0x06, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.end()), rows);
}

TEST(WriteBmp, StrideRoundsThreeBytesAPixelUpToFour) {
    uint32_t stride = 0;
    const std::pair<int, uint32_t> cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}};
    for (auto [w, s] : cases) {
        ASSERT_TRUE(bmpstride(w, 1, &stride));
        EXPECT_EQ(stride, s) << w;
    }
    EXPECT_FALSE(bmpstride(0, 1, &stride));
    EXPECT_FALSE(bmpstride(1, 0, &stride));
    EXPECT_FALSE(bmpstride(0x40000000, 2, &stride));  // more than 4 GB of rows
}

TEST(WriteBmp, RoundTripGivesTheSamePixelsWithByteThreeZero) {
    for (int w = 1; w <= 9; ++w) {
        for (int h : {1, 2, 7}) {
            auto px = testutil::randompixels(size_t(w * h), uint32_t(w * 100 + h), 0xFFFFFFFF);
            const Picture pic{px.data(), w * h * 4, w, h};
            std::vector<uint8_t> file;
            ASSERT_TRUE(encodebmp(pic, &file));
            Read r(file);
            ASSERT_TRUE(r.ok);
            ASSERT_EQ(r.pic.width, w);
            ASSERT_EQ(r.pic.height, h);
            for (int i = 0; i < w * h; ++i) ASSERT_EQ(r.pic.pixels[i], px[size_t(i)] & 0x00FFFFFF);
        }
    }
}

TEST(WriteBmp, WritesThroughTheSafeSave) {
    testutil::TempDir dir;
    auto px = testutil::randompixels(15, 3);
    const Picture pic{px.data(), 60, 5, 3};
    std::vector<uint8_t> expect;
    ASSERT_TRUE(encodebmp(pic, &expect));
    const std::string out = dir.file("out.bmp");
    testutil::writefile(out, std::vector<uint8_t>(1000, 'x'));
    ASSERT_TRUE(writebmp(out.c_str(), pic));
    EXPECT_EQ(testutil::readfile(out), expect);
    EXPECT_EQ(dir.list().size(), 1u);  // no temporary file left

    FileError why;
    const Picture nopixels{nullptr, 60, 5, 3};
    EXPECT_FALSE(writebmp(dir.file("none.bmp").c_str(), nopixels, &why));
    EXPECT_EQ(dir.list().size(), 1u);
    EXPECT_FALSE(writebmp(dir.file("no/such/folder.bmp").c_str(), pic, &why));
    EXPECT_EQ(why, FileError::cannotopen);
    EXPECT_FALSE(writebmp(dir.path().c_str(), pic, &why));
    EXPECT_EQ(why, FileError::cannotopen);
}

TEST(WriteBmp, FailedWriteLeavesTheExistingFileAsItWas) {
    testutil::TempDir dir;
    const std::string out = dir.file("keep.bmp");
    const std::vector<uint8_t> old(300, 'k');
    testutil::writefile(out, old);
    auto px = testutil::randompixels(100 * 100, 5);
    const Picture pic{px.data(), 40000, 100, 100};

    // Let the disk "fill up" after 4 KB: writes beyond that fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    FileError why = FileError::none;
    const bool ok = writebmp(out.c_str(), pic, &why);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);

    EXPECT_FALSE(ok);
    EXPECT_EQ(why, FileError::writefailed);
    EXPECT_EQ(testutil::readfile(out), old);
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.bmp"});
}

}  // namespace
