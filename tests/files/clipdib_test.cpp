// The CF_DIB block: building it for copy and parsing it for paste.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "clipdib.h"
#include "testutil.h"

using namespace pivola::files;

namespace {

std::vector<uint8_t> dibheader(int32_t w, int32_t h, int bits, uint32_t compression = 0,
                               uint32_t size = 40, uint32_t clrused = 0) {
    std::vector<uint8_t> b(size);
    testutil::put32(b, 0, size);
    testutil::put32(b, 4, uint32_t(w));
    testutil::put32(b, 8, uint32_t(h));
    testutil::put16(b, 12, 1);
    testutil::put16(b, 14, uint32_t(bits));
    testutil::put32(b, 16, compression);
    testutil::put32(b, 32, clrused);
    return b;
}

struct Parsed {
    uint32_t* px = nullptr;
    BmpInfo info{};
    FileError why = FileError::none;
    explicit Parsed(const std::vector<uint8_t>& b) {
        px = parsedib(b.data(), b.size(), &info, &why);
    }
    ~Parsed() { std::free(px); }
};

TEST(CopyDib, HeaderAndRowsAreExactlyAsHandedToTheClipboard) {
    // The pixel red 0x30, green 0x20, blue 0x10 goes over as 0x10, 0x20, 0x30.
    const uint32_t px[2 * 2] = {0x00102030, 0xFF000001, 0x00000002, 0x00000003};
    uint32_t size = 0;
    ASSERT_TRUE(dibsize(2, 2, &size));
    ASSERT_EQ(size, 40u + 2 * 8);
    std::vector<uint8_t> block(size, 0xCC);  // not zero: padding must be written
    filldib(px, 2, 2, block.data());
    std::vector<uint8_t> expect = dibheader(2, 2, 24);
    expect.insert(expect.end(), {0, 0, 0x02, 0, 0, 0x03, 0, 0,          // bottom row
                                 0x10, 0x20, 0x30, 0, 0, 0x01, 0, 0});  // top row
    EXPECT_EQ(block, expect);
    EXPECT_FALSE(dibsize(0, 3, &size));
    EXPECT_FALSE(dibsize(3, 0, &size));
    EXPECT_FALSE(dibsize(40000, 40000, &size));
}

TEST(CopyDib, ParsingTheCopyGivesThePictureBackInDibOrder) {
    for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {5, 4}}) {
        auto px = testutil::randompixels(size_t(w * h), uint32_t(w + 10 * h), 0xFFFFFFFF);
        uint32_t size;
        ASSERT_TRUE(dibsize(w, h, &size));
        std::vector<uint8_t> block(size);
        filldib(px.data(), w, h, block.data());
        Parsed p(block);
        ASSERT_NE(p.px, nullptr);
        EXPECT_EQ(p.info.biWidth, w);
        EXPECT_EQ(p.info.biHeight, h);
        std::vector<uint32_t> back(p.px, p.px + w * h);
        swaprb(back.data(), back.size());
        for (int i = 0; i < w * h; ++i) EXPECT_EQ(back[size_t(i)], px[size_t(i)] & 0x00FFFFFF);
    }
}

TEST(ParseDib, TopDownAndBottomUpGiveTheSamePicture) {
    // 32 bits: no padding; the fourth byte is dropped.
    std::vector<uint8_t> up = dibheader(2, 2, 32);
    std::vector<uint8_t> down = dibheader(2, -2, 32);
    const std::vector<uint8_t> top = {1, 2, 3, 0xFF, 4, 5, 6, 0x80};
    const std::vector<uint8_t> bottom = {7, 8, 9, 0x01, 10, 11, 12, 0x00};
    up.insert(up.end(), bottom.begin(), bottom.end());
    up.insert(up.end(), top.begin(), top.end());
    down.insert(down.end(), top.begin(), top.end());
    down.insert(down.end(), bottom.begin(), bottom.end());
    Parsed a(up), b(down);
    ASSERT_NE(a.px, nullptr);
    ASSERT_NE(b.px, nullptr);
    EXPECT_EQ(b.info.biHeight, 2);  // made positive
    const uint32_t expect[4] = {0x00030201, 0x00060504, 0x00090807, 0x000C0B0A};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.px[i], expect[i]);
        EXPECT_EQ(b.px[i], expect[i]);
    }
}

TEST(ParseDib, TwentyFourBitRowsArePaddedToFourBytes) {
    std::vector<uint8_t> b = dibheader(1, -2, 24);
    b.insert(b.end(), {1, 2, 3, 0xEE, 4, 5, 6, 0xEE});
    Parsed p(b);
    ASSERT_NE(p.px, nullptr);
    EXPECT_EQ(p.px[0], 0x00030201u);
    EXPECT_EQ(p.px[1], 0x00060504u);
}

TEST(ParseDib, RefusesOtherDepthsAndCompressionsAndBrokenHeaders) {
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        FileError why;
    };
    auto with = [](std::vector<uint8_t> b, std::size_t n) {
        b.resize(b.size() + n);
        return b;
    };
    std::vector<uint8_t> core = with(dibheader(2, 2, 24), 16);
    testutil::put32(core, 0, 12);
    const Case cases[] = {
        {"16 bits", with(dibheader(2, 2, 16), 8), FileError::unsupported},
        {"8 bits", with(dibheader(2, 2, 8), 1032), FileError::unsupported},
        {"bitfields", with(dibheader(2, 2, 32, 3), 28), FileError::unsupported},
        {"short block", std::vector<uint8_t>(39), FileError::readfailed},
        {"header size 12", core, FileError::unsupported},
        {"zero width", with(dibheader(0, 2, 24), 16), FileError::badsize},
        {"zero height", with(dibheader(2, 0, 24), 16), FileError::badsize},
        {"most negative height", with(dibheader(2, INT32_MIN, 24), 16), FileError::badsize},
        {"size beyond 32 bits", with(dibheader(65536, 65536, 24), 16), FileError::badsize},
        {"colour table beyond the block", with(dibheader(2, 2, 24, 0, 40, 1000), 16),
         FileError::badoffset},
    };
    for (const Case& c : cases) {
        Parsed p(c.block);
        EXPECT_EQ(p.px, nullptr) << c.what;
        EXPECT_EQ(p.why, c.why) << c.what;
    }
}

TEST(ParseDib, LongerHeadersAndColourTablesAreSkipped) {
    std::vector<uint8_t> b = dibheader(1, 1, 24, 0, 124, 2);
    b.insert(b.end(), 8, 0xEE);  // two colour-table entries
    b.insert(b.end(), {0x10, 0x20, 0x30, 0});
    Parsed p(b);
    ASSERT_NE(p.px, nullptr);
    EXPECT_EQ(p.px[0], 0x00302010u);
    EXPECT_EQ(p.info.biSize, 124u);
}

TEST(ParseDib, MissingBytesAtTheEndOfTheBlockReadAsZero) {
    std::vector<uint8_t> b = dibheader(2, 2, 24);  // bottom-up, stride 8
    b.insert(b.end(), {1, 2, 3, 4, 5, 6, 0, 0, 7, 8});
    Parsed p(b);
    ASSERT_NE(p.px, nullptr);
    EXPECT_EQ(p.px[2], 0x00030201u);  // bottom row, complete
    EXPECT_EQ(p.px[3], 0x00060504u);
    EXPECT_EQ(p.px[0], 0x00000807u);  // top row: one byte short
    EXPECT_EQ(p.px[1], 0u);
}

TEST(PasteDib, MakesTheBorderedDocumentInTheEditorsLayout) {
    std::vector<uint8_t> b = dibheader(2, 1, 32);
    b.insert(b.end(), {0x10, 0x20, 0x30, 0x99, 0x40, 0x50, 0x60, 0x99});
    Picture doc{};
    ASSERT_TRUE(pastedib(b.data(), b.size(), &doc));
    EXPECT_EQ(doc.width, 6);
    EXPECT_EQ(doc.height, 5);
    EXPECT_EQ(doc.bytesize, 120);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(doc.pixels[y * 6 + x], x < 3 ? 0x00102030u : 0x00405060u) << x << "," << y;
        }
    }
    // A refused block leaves no picture, also when one was held before.
    std::vector<uint8_t> bad = dibheader(2, 1, 16);
    bad.resize(48);
    EXPECT_FALSE(pastedib(bad.data(), bad.size(), &doc));
    EXPECT_EQ(doc.pixels, nullptr);
    EXPECT_EQ(doc.width, 0);
}

}  // namespace
