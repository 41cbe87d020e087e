// The settings record.
#include <gtest/gtest.h>

#include <cstring>

#include "settings.h"
#include "testutil.h"

using namespace pivola::files;

namespace {

std::vector<uint8_t> encoded(const Settings& s) {
    std::vector<uint8_t> b(kSettingsBytes);
    encodesettings(s, b.data());
    return b;
}

TEST(Settings, DefaultsWriteExactlyTheSpecifiedBytes) {
    std::vector<uint8_t> expect;
    for (int i = 0; i < 16; ++i) expect.insert(expect.end(), {0xFF, 0xFF, 0xFF, 0x00});
    const uint32_t fields[] = {0x00FF0000, 8, 8, 2, 0, 0, 0, 0, 0, 0, 0};
    for (uint32_t v : fields) {
        expect.insert(expect.end(),
                      {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    expect.resize(kSettingsBytes, 0);
    EXPECT_EQ(encoded(defaultsettings()), expect);
}

TEST(Settings, EveryFieldRoundTrips) {
    Settings s = defaultsettings();
    for (int i = 0; i < 16; ++i) s.customcolors[i] = 0x00010203u * uint32_t(i + 1);
    s.pointcolor = 0x00123456;
    s.gridcols = 3;
    s.gridrows = kGridMax;
    s.outinterp = 1;
    s.dispinterp = 2;
    s.hideresult = true;
    s.hidepoints = false;
    s.hideimage = true;
    s.onepixel = true;
    s.background = 0x00ABCDEF;
    const auto b = encoded(s);
    EXPECT_EQ(testutil::get32(b, 80), 0u);
    EXPECT_EQ(testutil::get32(b, 88), 1u);
    EXPECT_EQ(testutil::get32(b, 92), 0u);
    Settings back{};
    ASSERT_EQ(decodesettings(b.data(), b.size(), &back), FileError::none);
    EXPECT_EQ(std::memcmp(&back, &s, sizeof s), 0);
}

TEST(Settings, ShortFilesAndOddValues) {
    std::vector<uint8_t> b = encoded(defaultsettings());
    testutil::put32(b, 76, 7);             // output interpolation 7: nearest
    testutil::put32(b, 84, uint32_t(-1));  // display -1: nearest
    testutil::put32(b, 88, 2);             // flag 2: unchecked
    testutil::put32(b, 96, 1);
    testutil::put32(b, 80, 0xDEADBEEF);  // reserved, never read
    b.resize(256);
    Settings s{};
    ASSERT_EQ(decodesettings(b.data(), b.size(), &s), FileError::none);
    EXPECT_EQ(s.outinterp, 0);
    EXPECT_EQ(s.dispinterp, 0);
    EXPECT_FALSE(s.hideresult);
    EXPECT_TRUE(s.hideimage);
    EXPECT_EQ(s.gridcols, 8);
    EXPECT_EQ(s.pointcolor, 0x00FF0000u);
    EXPECT_EQ(encoded(s)[80], 0);

    // Fields beyond a 256-byte record are all inside it; a 255-byte one fails
    // and changes nothing.
    Settings untouched = defaultsettings();
    untouched.gridcols = 77;
    Settings copy = untouched;
    EXPECT_EQ(decodesettings(b.data(), 255, &copy), FileError::readfailed);
    EXPECT_EQ(std::memcmp(&copy, &untouched, sizeof copy), 0);

    // Bytes past 3072 are not read.
    std::vector<uint8_t> longer = encoded(defaultsettings());
    longer.resize(5000, 0xFF);
    ASSERT_EQ(decodesettings(longer.data(), longer.size(), &s), FileError::none);
    EXPECT_EQ(s.gridrows, 8);
}

TEST(Settings, GridCountsOutsideTheRangeRefuseTheFile) {
    for (auto [cols, rows] : {std::pair{2, 8}, {8, 0}, {-3, 8}, {8, kGridMax + 1}}) {
        std::vector<uint8_t> b = encoded(defaultsettings());
        testutil::put32(b, 68, uint32_t(cols));
        testutil::put32(b, 72, uint32_t(rows));
        Settings s = defaultsettings();
        s.pointcolor = 1;
        EXPECT_EQ(decodesettings(b.data(), b.size(), &s), FileError::badcounts)
            << cols << "x" << rows;
        EXPECT_EQ(s.pointcolor, 1u);
    }
}

TEST(Settings, FileSaveAndLoad) {
    testutil::TempDir dir;
    Settings s = defaultsettings();
    s.gridcols = 12;
    s.background = 0x00334455;
    const std::string path = dir.file("view.inf");
    testutil::writefile(path, std::vector<uint8_t>(10, 1));
    ASSERT_EQ(savesettingsfile(path.c_str(), s), FileError::none);
    EXPECT_EQ(testutil::readfile(path), encoded(s));
    Settings back{};
    ASSERT_EQ(loadsettingsfile(path.c_str(), &back), FileError::none);
    EXPECT_EQ(std::memcmp(&back, &s, sizeof s), 0);

    testutil::writefile(dir.file("short.inf"), std::vector<uint8_t>(255, 0));
    EXPECT_EQ(loadsettingsfile(dir.file("short.inf").c_str(), &back), FileError::readfailed);
    EXPECT_EQ(loadsettingsfile(dir.file("none.inf").c_str(), &back), FileError::cannotopen);
    EXPECT_EQ(savesettingsfile(dir.file("no/dir.inf").c_str(), s), FileError::cannotopen);
}

}  // namespace
