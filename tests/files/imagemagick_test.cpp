// BMP files written by another program: ImageMagick makes 1-, 4-, 8- and
// 24-bit files with 40-, 108- and 124-byte info headers at test time, and
// reads back the files this program writes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "bmp.h"
#include "testutil.h"

using namespace pivola::files;

namespace {

bool haveconvert() {
    return std::system("convert -version >/dev/null 2>&1") == 0;
}

bool run(const std::string& cmd) {
    return std::system((cmd + " 2>/dev/null").c_str()) == 0;
}

// A w x h P6 file whose pixel i has colour colours[pick(i)].
void writeppm(const std::string& path, int w, int h, const std::vector<uint32_t>& pixels) {
    std::string head = "P6 " + std::to_string(w) + " " + std::to_string(h) + " 255\n";
    std::vector<uint8_t> b(head.begin(), head.end());
    for (uint32_t p : pixels) b.insert(b.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16)});
    testutil::writefile(path, b);
}

// ImageMagick's own reading of a file, as pixels in the editor's layout.
std::vector<uint32_t> decodedbyimagemagick(const testutil::TempDir& dir, const std::string& file) {
    const std::string raw = dir.file("decoded.rgb");
    if (!run("convert '" + file + "' -depth 8 rgb:'" + raw + "'")) return {};
    const auto b = testutil::readfile(raw);
    std::vector<uint32_t> px;
    for (std::size_t i = 0; i + 2 < b.size(); i += 3) {
        px.push_back(uint32_t(b[i]) | uint32_t(b[i + 1]) << 8 | uint32_t(b[i + 2]) << 16);
    }
    return px;
}

// Pixels with exactly `colours` distinct values (or all random for 0).
std::vector<uint32_t> picture(int w, int h, int colours, uint32_t seed) {
    const auto palette = testutil::randompixels(colours ? size_t(colours) : 1, seed);
    auto px = testutil::randompixels(size_t(w * h), seed + 1);
    if (colours) {
        for (std::size_t i = 0; i < px.size(); ++i) {
            px[i] = palette[i < size_t(colours) ? i : px[i] % uint32_t(colours)];
        }
    }
    return px;
}

struct Kind {
    int bits;
    int colours;  // distinct colours that make ImageMagick choose this depth
    const char* type;
};

TEST(ImageMagickFiles, EveryDepthWithEveryHeaderLengthReadsAsImageMagickReadsIt) {
    ASSERT_TRUE(haveconvert()) << "ImageMagick's convert is needed (scripts/setup installs it)";
    testutil::TempDir dir;
    const Kind kinds[] = {
        {1, 2, "palette"}, {4, 11, "palette"}, {8, 90, "palette"}, {24, 0, "truecolor"}};
    const std::pair<uint32_t, const char*> headers[] = {
        {40, "BMP3:"},
        {108, "-intent Undefined -define bmp:format=bmp4 BMP:"},
        {124, "-define bmp:format=bmp4 BMP:"},
    };
    const int w = 13, h = 7;  // odd width: every depth pads its rows
    for (const Kind& k : kinds) {
        const auto src = picture(w, h, k.colours, uint32_t(k.bits));
        const std::string ppm = dir.file("src.ppm");
        writeppm(ppm, w, h, src);
        for (const auto& [infosize, format] : headers) {
            SCOPED_TRACE(std::to_string(k.bits) + " bits, " + std::to_string(infosize) +
                         "-byte header");
            const std::string bmp = dir.file("im.bmp");
            ASSERT_TRUE(run("convert '" + ppm + "' -compress None -type " + k.type + " " + format +
                            "'" + bmp + "'"));
            const auto bytes = testutil::readfile(bmp);
            ASSERT_GE(bytes.size(), 54u);
            // The file really is of the kind this case is about.
            ASSERT_EQ(testutil::get32(bytes, 14), infosize);
            ASSERT_EQ(bytes[28], k.bits);
            ASSERT_EQ(testutil::get32(bytes, 30), 0u);

            BmpInfo info;
            Picture pic;
            FileError why;
            ASSERT_TRUE(readbmp(bmp.c_str(), &info, &pic, &why)) << fileerrortext(why);
            const auto theirs = decodedbyimagemagick(dir, bmp);
            ASSERT_EQ(theirs.size(), size_t(w * h));
            for (int i = 0; i < w * h; ++i) {
                ASSERT_EQ(pic.pixels[i] & 0x00FFFFFF, theirs[size_t(i)]) << "pixel " << i;
                ASSERT_EQ(pic.pixels[i] & 0x00FFFFFF, src[size_t(i)]) << "pixel " << i;
            }
            freebmp(pic);
        }
    }
}

TEST(ImageMagickFiles, ImageMagickReadsWhatWriteBmpWrites) {
    ASSERT_TRUE(haveconvert()) << "ImageMagick's convert is needed (scripts/setup installs it)";
    testutil::TempDir dir;
    for (auto [w, h] : {std::pair{1, 1}, {5, 3}, {6, 2}, {16, 9}}) {
        auto px = testutil::randompixels(size_t(w * h), uint32_t(w * h), 0xFFFFFFFF);
        const Picture pic{px.data(), w * h * 4, w, h};
        const std::string out = dir.file("ours.bmp");
        ASSERT_TRUE(writebmp(out.c_str(), pic));
        const auto theirs = decodedbyimagemagick(dir, out);
        ASSERT_EQ(theirs.size(), size_t(w * h)) << w << "x" << h;
        for (int i = 0; i < w * h; ++i) EXPECT_EQ(theirs[size_t(i)], px[size_t(i)] & 0x00FFFFFF);
    }
}

}  // namespace
