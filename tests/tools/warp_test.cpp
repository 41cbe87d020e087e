// pivola-warp: argument parsing, the process's behaviour, and its output
// compared byte for byte with a literal reference pipeline.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "bmp.h"
#include "dragpoint.h"
#include "reference_engine.h"
#include "testutil.h"
#include "warp.h"

using namespace pivola;
using files::FileError;
using files::Picture;

namespace {

const std::string kExe = PIVOLA_WARP_EXE;

struct Result {
    int status;
    std::string err;
};

Result runwarp(const testutil::TempDir& dir, const std::string& args) {
    const std::string errfile = dir.file("stderr.txt");
    const int rc = std::system((kExe + " " + args + " >/dev/null 2>'" + errfile + "'").c_str());
    const auto bytes = testutil::readfile(errfile);
    std::remove(errfile.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, std::string(bytes.begin(), bytes.end())};
}

int lines(const std::string& s) {
    return int(std::count(s.begin(), s.end(), '\n'));
}

// A smooth picture with some texture, so every interpolation differs.
std::vector<uint32_t> testpicture(int w, int h) {
    std::vector<uint32_t> px(size_t(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t r = uint32_t(x * 255 / w), g = uint32_t(y * 255 / h),
                           b = uint32_t(((x * 7) ^ (y * 13)) & 0xFF);
            px[size_t(y * w + x)] = r | g << 8 | b << 16;
        }
    }
    return px;
}

void writepicture(const std::string& path, int w, int h) {
    auto px = testpicture(w, h);
    const Picture pic{px.data(), w * h * 4, w, h};
    ASSERT_TRUE(files::writebmp(path.c_str(), pic));
}

// A drag-point file for a W x H document with inner points moved and the
// top-left corner pulled inwards, so that some of the output is uncovered.
void writedp(const std::string& path, int W, int H, int cols, int rows) {
    WarpMap m{};
    ASSERT_EQ(allocmap(&m, W, H, cols, rows), 1);
    for (int r = 1; r < rows - 1; ++r) {
        for (int c = 1; c < cols - 1; ++c) {
            const int i = r * cols + c;
            m.defx[i] += (c % 2 ? 3 : -2);
            m.defy[i] += (r % 2 ? -2 : 3);
        }
    }
    m.defx[0] = 6;
    m.defy[0] = 5;
    ASSERT_EQ(files::savedpfile(path.c_str(), m), FileError::none);
    freemap(&m);
}

// The literal pipeline: the file layer's reader, the reference engine, the
// border cut, the file layer's writer.
std::vector<uint8_t> reference(const std::string& input, const std::string& dp, int interp,
                               uint32_t background, int cols, int rows) {
    Picture doc{};
    EXPECT_TRUE(files::openimg(input.c_str(), &doc));
    const int W = doc.width, H = doc.height;
    WarpMap m{};
    files::DpHeader h{};
    std::vector<uint8_t> dpbytes;
    if (!dp.empty()) {
        dpbytes = testutil::readfile(dp);
        EXPECT_EQ(files::decodedpheader(dpbytes.data(), dpbytes.size(), &h), FileError::none);
        cols = h.cols;
        rows = h.rows;
    }
    EXPECT_EQ(reference::allocmap(&m, W, H, cols, rows), 1);
    if (!dp.empty()) {
        EXPECT_TRUE(files::decodedparrays(dpbytes.data(), dpbytes.size(), &m));
        if (h.width != W || h.height != H) files::scaledp(&m, h.width, h.height);
    }
    std::vector<uint32_t> full(size_t(W) * size_t(H));
    reference::genmapadr(&m);
    reference::mapimg(&m, full.data(), doc.pixels, interp, background);
    reference::freemap(&m);
    std::vector<uint32_t> cut;
    for (int y = 2; y < H - 2; ++y) {
        for (int x = 2; x < W - 2; ++x) cut.push_back(full[size_t(y * W + x)]);
    }
    const Picture out{cut.data(), (W - 4) * (H - 4) * 4, W - 4, H - 4};
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(files::encodebmp(out, &bytes));
    files::clearpicture(&doc);
    return bytes;
}

TEST(WarpArgs, InterpolationNamesAndCodes) {
    int code = -1;
    const std::pair<const char*, int> good[] = {{"nearest", 0}, {"bilinear", 1}, {"BiCubic", 2},
                                                {"0", 0},       {"1", 1},        {"2", 2}};
    for (auto [s, c] : good) {
        ASSERT_TRUE(warp::parseinterp(s, &code)) << s;
        EXPECT_EQ(code, c) << s;
    }
    for (const char* s : {"3", "", "cubic", "-1", "nearest "})
        EXPECT_FALSE(warp::parseinterp(s, &code)) << s;
}

TEST(WarpArgs, BackgroundIsWebOrderTurnedIntoThePixelLayout) {
    uint32_t px = 0;
    ASSERT_TRUE(warp::parsecolor("ff0000", &px));
    EXPECT_EQ(px, 0x000000FFu);  // red is byte 0
    ASSERT_TRUE(warp::parsecolor("#00FF80", &px));
    EXPECT_EQ(px, 0x0080FF00u);
    ASSERT_TRUE(warp::parsecolor("123456", &px));
    EXPECT_EQ(px, 0x00563412u);
    for (const char* s : {"ff00", "ff00000", "gg0000", "#", "", "0x1234"}) {
        EXPECT_FALSE(warp::parsecolor(s, &px)) << s;
    }
}

TEST(WarpArgs, GridCountsStayInTheEditorsRange) {
    int32_t c = 0, r = 0;
    ASSERT_TRUE(warp::parsegrid("3x3", &c, &r));
    EXPECT_EQ(c, 3);
    EXPECT_EQ(r, 3);
    ASSERT_TRUE(warp::parsegrid("1000X12", &c, &r));
    EXPECT_EQ(c, 1000);
    EXPECT_EQ(r, 12);
    for (const char* s :
         {"2x8", "8x2", "1001x3", "8x", "x8", "-3x3", " 3x3", "3x3x3", "8", "99999999999x3"}) {
        EXPECT_FALSE(warp::parsegrid(s, &c, &r)) << s;
    }
}

TEST(WarpArgs, CommandLines) {
    warp::Options o;
    std::string err;
    ASSERT_TRUE(warp::parseargs({"in.bmp", "out.bmp"}, &o, &err));
    EXPECT_EQ(o.inputs, std::vector<std::string>{"in.bmp"});
    EXPECT_EQ(o.output, "out.bmp");
    EXPECT_EQ(o.interp, 2);
    EXPECT_EQ(o.background, 0u);
    EXPECT_EQ(o.cols, 8);
    EXPECT_EQ(o.rows, 8);

    ASSERT_TRUE(warp::parseargs({"--interp=bilinear", "--background", "0000ff", "--grid", "4x5",
                                 "--dp", "f.dp", "-o", "out", "a.bmp", "b.bmp", "c.bmp"},
                                &o, &err));
    EXPECT_EQ(o.interp, 1);
    EXPECT_EQ(o.background, 0x00FF0000u);
    EXPECT_EQ(o.cols, 4);
    EXPECT_EQ(o.rows, 5);
    EXPECT_EQ(o.dp, "f.dp");
    EXPECT_EQ(o.outdir, "out");
    EXPECT_EQ(o.inputs.size(), 3u);

    ASSERT_TRUE(warp::parseargs({"--", "-in.bmp", "-out.bmp"}, &o, &err));
    EXPECT_EQ(o.output, "-out.bmp");
    ASSERT_TRUE(warp::parseargs({"--help"}, &o, &err));
    EXPECT_TRUE(o.help);

    const std::vector<std::vector<std::string>> bad = {
        {},
        {"in.bmp"},
        {"a.bmp", "b.bmp", "c.bmp"},
        {"--frobnicate", "a.bmp", "b.bmp"},
        {"a.bmp", "b.bmp", "--interp"},
        {"--interp", "5", "a.bmp", "b.bmp"},
        {"--dp=", "a.bmp", "b.bmp"},
        {"-o", "out"},
    };
    for (const auto& args : bad) {
        err.clear();
        EXPECT_FALSE(warp::parseargs(args, &o, &err)) << testing::PrintToString(args);
        EXPECT_FALSE(err.empty());
    }
}

TEST(WarpArgs, OutputNamesInAFolder) {
    EXPECT_EQ(warp::outputpath("out", "/pics/a.bmp"), "out/a.bmp");
    EXPECT_EQ(warp::outputpath("out/", "b.bmp"), "out/b.bmp");
    EXPECT_EQ(warp::outputpath("/x/y", "rel/dir/c.BMP"), "/x/y/c.BMP");
}

TEST(WarpPipeline, SameBytesAsTheReferencePipelineForEveryInterpolation) {
    testutil::TempDir dir;
    const std::string in = dir.file("in.bmp");
    writepicture(in, 37, 23);
    const std::string samesize = dir.file("same.dp"), othersize = dir.file("other.dp");
    writedp(samesize, 41, 27, 5, 4);   // made for this picture (37 + 4 by 23 + 4)
    writedp(othersize, 64, 30, 4, 6);  // made for another picture size
    const char* names[] = {"nearest", "bilinear", "bicubic"};
    for (int interp = 0; interp < 3; ++interp) {
        for (const std::string& dp : {samesize, othersize}) {
            SCOPED_TRACE(std::string(names[interp]) + " with " + dp);
            const std::string out = dir.file("out.bmp");
            const Result r = runwarp(dir, std::string("--interp ") + names[interp] +
                                              " --background 204080 --dp '" + dp + "' '" + in +
                                              "' '" + out + "'");
            ASSERT_EQ(r.status, 0) << r.err;
            const auto expect = reference(in, dp, interp, 0x00804020, 0, 0);
            EXPECT_EQ(testutil::readfile(out), expect);
        }
    }
    // Without a drag-point file: the given grid, undeformed; nearest
    // neighbour then gives the picture back exactly.
    const std::string out = dir.file("plain.bmp");
    ASSERT_EQ(runwarp(dir, "--grid 5x3 --interp 0 '" + in + "' '" + out + "'").status, 0);
    EXPECT_EQ(testutil::readfile(out), reference(in, "", 0, 0, 5, 3));
    EXPECT_EQ(testutil::readfile(out), testutil::readfile(in));
}

TEST(WarpPipeline, KeepsTheOutputsTheWindowsBuildsAreComparedWith) {
    // tests/tools/data holds outputs of this build; the Windows builds must
    // produce the same bytes under Wine (tools/warp/CMakeLists.txt).
    testutil::TempDir dir;
    const std::string data = PIVOLA_WARP_TEST_DATA;
    const std::string in = data + "/picture.bmp", dp = data + "/lattice.dp";
    const std::string out = dir.file("o.bmp");
    ASSERT_EQ(
        runwarp(dir, "--dp '" + dp + "' --background 3366cc '" + in + "' '" + out + "'").status, 0);
    EXPECT_EQ(testutil::readfile(out), testutil::readfile(data + "/warped-bicubic.bmp"));
    EXPECT_EQ(testutil::readfile(out), reference(in, dp, 2, 0x00CC6633, 0, 0));
    ASSERT_EQ(runwarp(dir, "--dp '" + dp + "' --interp bilinear '" + in + "' '" + out + "'").status,
              0);
    EXPECT_EQ(testutil::readfile(out), testutil::readfile(data + "/warped-bilinear.bmp"));
}

TEST(WarpPipeline, TheDeformationUncoversTheBackground) {
    testutil::TempDir dir;
    const std::string in = dir.file("in.bmp"), dp = dir.file("g.dp");
    writepicture(in, 30, 20);
    writedp(dp, 34, 24, 3, 3);
    ASSERT_EQ(runwarp(dir, "--background ff0000 --dp '" + dp + "' '" + in + "' '" +
                               dir.file("o.bmp") + "'")
                  .status,
              0);
    files::BmpInfo info;
    Picture pic;
    ASSERT_TRUE(files::readbmp(dir.file("o.bmp").c_str(), &info, &pic));
    EXPECT_EQ(pic.width, 30);
    EXPECT_EQ(pic.height, 20);
    EXPECT_EQ(pic.pixels[0], 0x000000FFu);  // top-left corner pulled inwards: red
    files::freebmp(pic);
}

TEST(WarpProcess, HelpAndUsageErrors) {
    testutil::TempDir dir;
    const std::string outfile = dir.file("help.txt");
    ASSERT_EQ(std::system((kExe + " --help >'" + outfile + "'").c_str()), 0);
    const auto help = testutil::readfile(outfile);
    EXPECT_NE(std::string(help.begin(), help.end()).find("Usage: pivola-warp"), std::string::npos);

    const Result r = runwarp(dir, "--grid 2x2 a.bmp b.bmp");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("--grid"), std::string::npos);
}

TEST(WarpProcess, AFailureNamesTheFileAndLeavesNoOutput) {
    testutil::TempDir dir;
    testutil::writefile(dir.file("bad.bmp"), {'B', 'M', 1, 2, 3});
    Result r = runwarp(dir, "'" + dir.file("bad.bmp") + "' '" + dir.file("out.bmp") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("bad.bmp: not a BMP file"), std::string::npos) << r.err;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"bad.bmp"});

    // An existing output stays as it was.
    testutil::writefile(dir.file("keep.bmp"), {'o', 'l', 'd'});
    r = runwarp(dir, "'" + dir.file("missing.bmp") + "' '" + dir.file("keep.bmp") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.bmp: cannot open the file"), std::string::npos) << r.err;
    EXPECT_EQ(testutil::readfile(dir.file("keep.bmp")), (std::vector<uint8_t>{'o', 'l', 'd'}));

    // A broken drag-point file stops everything before any picture.
    writepicture(dir.file("in.bmp"), 8, 8);
    std::vector<uint8_t> dp(300, 0);
    dp[8] = 2;  // two columns
    dp[12] = 3;
    testutil::writefile(dir.file("two.dp"), dp);
    r = runwarp(dir, "--dp '" + dir.file("two.dp") + "' '" + dir.file("in.bmp") + "' '" +
                         dir.file("x.bmp") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("two.dp: grid counts out of range"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.bmp")));
}

TEST(WarpProcess, SeveralInputsIntoAFolder) {
    testutil::TempDir dir;
    writepicture(dir.file("a.bmp"), 12, 9);
    writepicture(dir.file("b.bmp"), 20, 7);
    testutil::writefile(dir.file("c.bmp"), {'x'});
    writedp(dir.file("face.dp"), 16, 13, 4, 4);
    const Result r = runwarp(dir, "--dp '" + dir.file("face.dp") + "' -o '" + dir.file("out") +
                                      "' '" + dir.file("a.bmp") + "' '" + dir.file("c.bmp") +
                                      "' '" + dir.file("b.bmp") + "'");
    EXPECT_EQ(r.status, 1);  // c.bmp failed, the others were written
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("c.bmp"), std::string::npos) << r.err;
    EXPECT_EQ(testutil::readfile(dir.file("out/a.bmp")),
              reference(dir.file("a.bmp"), dir.file("face.dp"), 2, 0, 0, 0));
    EXPECT_EQ(testutil::readfile(dir.file("out/b.bmp")),
              reference(dir.file("b.bmp"), dir.file("face.dp"), 2, 0, 0, 0));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/c.bmp")));

    // Two inputs with one output name are refused before anything is written.
    std::filesystem::create_directory(dir.file("sub"));
    writepicture(dir.file("sub/a.bmp"), 5, 5);
    const Result clash = runwarp(dir, "-o '" + dir.file("out2") + "' '" + dir.file("a.bmp") +
                                          "' '" + dir.file("sub/a.bmp") + "'");
    EXPECT_EQ(clash.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out2/a.bmp")));
}

}  // namespace
