// Inputs that once broke a reader (found by fuzzing), kept so they never do
// again: each must be refused cleanly.
#include <gtest/gtest.h>

#include <cstdlib>

#include "bmp.h"
#include "clipdib.h"
#include "testutil.h"

using namespace pivola::files;

namespace {

const std::string kData = PIVOLA_FILES_TEST_DATA;

TEST(Regressions, BmpWhoseWidthTimesHeightOverflowedSixtyFourBits) {
    // Width and height near 2^31 made width * height * 4 overflow a signed
    // 64-bit product before the 32-bit check.
    const auto b = testutil::readfile(kData + "/regressions/bmp-size-product-overflow.bmp");
    ASSERT_FALSE(b.empty());
    BmpInfo info;
    Picture pic;
    FileError why;
    EXPECT_FALSE(readbmpbytes(b.data(), b.size(), &info, &pic, &why));
    EXPECT_EQ(why, FileError::badsize);
    int32_t bytes;
    EXPECT_FALSE(picturebytes(INT32_MAX, INT32_MAX, &bytes));
    EXPECT_FALSE(picturebytes(0x40000000, 2, &bytes));
    EXPECT_TRUE(picturebytes(0x1FFFFFFF, 1, &bytes));
    EXPECT_EQ(bytes, 0x7FFFFFFC);
}

TEST(Regressions, DibWhoseWidthTimesHeightOverflowedSixtyFourBits) {
    const auto b = testutil::readfile(kData + "/regressions/dib-size-product-overflow.dib");
    ASSERT_FALSE(b.empty());
    BmpInfo info;
    FileError why;
    uint32_t* px = parsedib(b.data(), b.size(), &info, &why);
    EXPECT_EQ(px, nullptr);
    EXPECT_EQ(why, FileError::badsize);
    std::free(px);
}

}  // namespace
