// Every way the engine can compute a result, forced one at a time through its
// internal selector, against the literal reference, bit for bit: the portable,
// SSE2 and AVX2 kernels (those the processor runs), the exact-span and the
// per-pixel rasterisation, banded and strip-wise smoothing, widths around the
// vector lengths and address maps full of awkward values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "addrmap_internal.h"
#include "engine_test_util.h"
#include "isa.h"
#include "reference_engine.h"

namespace {

using enginetest::Deform;
using tramap32_internal::Isa;

struct Mode {
    Isa isa;
    bool pixeltest;
};

std::string name(const Mode& m) {
    const char* isa = m.isa == Isa::Avx512 ? "avx512"
                      : m.isa == Isa::Avx2 ? "avx2"
                      : m.isa == Isa::Sse2 ? "sse2"
                                           : "generic";
    return std::string(isa) + (m.pixeltest ? "+pixeltest" : "+spans");
}

// Forces a mode for the lifetime of the object.
struct Forced {
    explicit Forced(const Mode& m) {
        ok = tramap32_internal::forceisa(m.isa);
        tramap32_internal::forcepixeltest(m.pixeltest);
    }
    ~Forced() {
        tramap32_internal::unforceisa();
        tramap32_internal::forcepixeltest(false);
    }
    bool ok;
};

std::vector<Mode> modes() {
    std::vector<Mode> out;
    for (Isa isa : {Isa::Generic, Isa::Sse2, Isa::Avx2, Isa::Avx512})
        if (tramap32_internal::isaavailable(isa))
            for (bool pixeltest : {false, true}) out.push_back({isa, pixeltest});
    return out;
}

struct Pair {
    WarpMap fast{}, ref{};
    bool ok;
    Pair(int w, int h, int cols, int rows) {
        ok = allocmap(&fast, w, h, cols, rows) == 1 &&
             reference::allocmap(&ref, w, h, cols, rows) == 1;
    }
    ~Pair() {
        freemap(&fast);
        reference::freemap(&ref);
    }
    Pair(const Pair&) = delete;
    Pair& operator=(const Pair&) = delete;
};

::testing::AssertionResult samebits(const float* a, const float* b, uint32_t n, int w) {
    for (uint32_t i = 0; i < n; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return ::testing::AssertionFailure()
                   << "first difference at x " << i % uint32_t(w) << " y " << i / uint32_t(w)
                   << ": " << a[i] << " vs " << b[i];
    return ::testing::AssertionSuccess();
}

// The reference's results for a lattice, computed once and compared with
// every mode.
void checkmodes(int w, int h, int cols, int rows, Deform kind, uint32_t seed) {
    SCOPED_TRACE(::testing::Message() << w << "x" << h << " lattice " << cols << "x" << rows
                                      << " kind " << int(kind) << " seed " << seed);
    Pair p(w, h, cols, rows);
    ASSERT_TRUE(p.ok);
    std::mt19937 rng(seed);
    enginetest::deform(&p.ref, kind, rng);
    const size_t grid = size_t(cols) * size_t(rows) * sizeof(int32_t);
    std::memcpy(p.fast.defx, p.ref.defx, grid);
    std::memcpy(p.fast.defy, p.ref.defy, grid);
    reference::genmapadr(&p.ref);
    const auto src = enginetest::random_picture(w, h, rng);
    std::vector<uint32_t> want[3];
    for (int type = 0; type < 3; ++type) {
        want[type].assign(src.size(), 0xCCCCCCCCu);
        reference::mapimg(&p.ref, want[type].data(), src.data(), type, 0x00406080u);
    }
    for (const Mode& mode : modes()) {
        SCOPED_TRACE(name(mode));
        Forced forced(mode);
        ASSERT_TRUE(forced.ok);
        // Stale values from the previous mode must all be replaced.
        std::fill(p.fast.adrx, p.fast.adrx + p.fast.npixels, 12345.0f);
        std::fill(p.fast.adry, p.fast.adry + p.fast.npixels, -777.0f);
        genmapadr(&p.fast);
        ASSERT_TRUE(samebits(p.fast.adrx, p.ref.adrx, p.ref.npixels, w)) << "adrx";
        ASSERT_TRUE(samebits(p.fast.adry, p.ref.adry, p.ref.npixels, w)) << "adry";
        for (int type = 0; type < 3; ++type) {
            std::vector<uint32_t> got(src.size(), 0xCCCCCCCCu);
            mapimg(&p.fast, got.data(), src.data(), type, 0x00406080u);
            ASSERT_EQ(got, want[type]) << "interpolation " << type;
        }
    }
}

TEST(EnginePaths, EveryModeIsOffered) {
    // The portable form always exists; on x86 the build has SSE2 as its floor.
    EXPECT_TRUE(tramap32_internal::isaavailable(Isa::Generic));
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_TRUE(tramap32_internal::isaavailable(Isa::Sse2));
#endif
    EXPECT_GE(modes().size(), 2u);
}

TEST(EnginePaths, TinyPicturesAndWidthsAroundVectorLengths) {
    uint32_t seed = 1000;
    for (int w = 1; w <= 9; ++w)
        for (int h : {1, 2, 3, 5, 9})
            for (Deform kind : {Deform::Gentle, Deform::Folded, Deform::Wild}) {
                checkmodes(w, h, 2 + int(seed % 4), 2 + int(seed / 3 % 3), kind, seed);
                ++seed;
            }
    for (int w : {15, 16, 17, 31, 32, 33, 63, 64, 65})
        checkmodes(w, 11, 4, 3, Deform::Folded, seed++);
}

TEST(EnginePaths, GentleFoldedAndWildLattices) {
    uint32_t seed = 2000;
    for (Deform kind : {Deform::Gentle, Deform::Folded, Deform::Wild})
        for (int i = 0; i < 8; ++i, ++seed)
            checkmodes(37 + int(seed * 7 % 90), 29 + int(seed * 13 % 70), 3 + int(seed % 6),
                       3 + int(seed / 2 % 5), kind, seed);
}

TEST(EnginePaths, ManyBandsAndFineLattices) {
    // Tall pictures are drawn and smoothed in several bands; a fine lattice
    // puts many triangles across each band boundary.
    checkmodes(1000, 150, 9, 12, Deform::Gentle, 3001);
    checkmodes(700, 400, 40, 33, Deform::Gentle, 3002);
    checkmodes(900, 260, 7, 7, Deform::Folded, 3003);
    checkmodes(640, 300, 12, 10, Deform::Wild, 3004);
}

TEST(EnginePaths, PicturesWiderThanTheSmoothingRowBuffer) {
    checkmodes(tramap32_internal::kRowBuffer + 9, 5, 5, 3, Deform::Gentle, 4001);
    checkmodes(tramap32_internal::kRowBuffer + 1, 3, 3, 3, Deform::Folded, 4002);
    checkmodes(2 * tramap32_internal::kRowBuffer + 3, 4, 4, 2, Deform::Gentle, 4003);
}

TEST(EnginePaths, LatticeRowsBeyondTheCulledCount) {
    // More cell rows than the per-band culling keeps: every cell is visited.
    checkmodes(40, 1100, 3, 1030, Deform::Gentle, 5001);
}

// Address values that test every branch of the coordinate conversions: exact
// halves, whole numbers, -0.0, the no-source mark, values at the edges of the
// picture and of the int range, infinities and NaN.
float awkward(std::mt19937& rng, int size) {
    const float inf = std::numeric_limits<float>::infinity();
    const float special[] = {0.0f,
                             -0.0f,
                             -1.0f,
                             0.5f,
                             -0.5f,
                             -0.49999997f,
                             0.49999997f,
                             1.0f,
                             1.5f,
                             2.5f,
                             float(size),
                             float(size) - 0.5f,
                             float(size) - 1.0f,
                             float(size) - 1.5f,
                             float(size) - 2.0f,
                             float(size) - 0.50000006f,
                             2147483520.0f,
                             2147483648.0f,
                             -2147483520.0f,
                             -2147483648.0f,
                             16777215.5f,
                             8388608.5f,
                             inf,
                             -inf,
                             std::numeric_limits<float>::quiet_NaN(),
                             1e-30f,
                             -1e-30f,
                             1.4e-45f,
                             0.99999994f};
    const uint32_t pick = rng() % 4;
    if (pick == 0) return special[rng() % (sizeof special / sizeof special[0])];
    if (pick == 1) return float(int(rng() % uint32_t(size + 4)) - 2) + float(rng() % 4) * 0.25f;
    std::uniform_real_distribution<float> d(-3.0f, float(size) + 3.0f);
    return d(rng);
}

TEST(EnginePaths, ResamplingOfAwkwardAddresses) {
    uint32_t seed = 6000;
    for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{4, 4}, std::pair{7, 5},
                        std::pair{9, 9}, std::pair{33, 17}, std::pair{130, 70}}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h);
        Pair p(w, h, 2, 2);
        ASSERT_TRUE(p.ok);
        std::mt19937 rng(seed++);
        for (uint32_t i = 0; i < p.ref.npixels; ++i) {
            p.ref.adrx[i] = p.fast.adrx[i] = awkward(rng, w);
            p.ref.adry[i] = p.fast.adry[i] = awkward(rng, h);
        }
        const auto src = enginetest::random_picture(w, h, rng);
        for (int type = 0; type < 3; ++type) {
            std::vector<uint32_t> want(src.size(), 0x5A5A5A5Au);
            reference::mapimg(&p.ref, want.data(), src.data(), type, 0x00ABCDEFu);
            for (const Mode& mode : modes()) {
                if (mode.pixeltest) continue;
                SCOPED_TRACE(name(mode));
                Forced forced(mode);
                std::vector<uint32_t> got(src.size(), 0x5A5A5A5Au);
                mapimg(&p.fast, got.data(), src.data(), type, 0x00ABCDEFu);
                ASSERT_EQ(got, want) << "interpolation " << type;
            }
        }
    }
}

TEST(EnginePaths, UnknownInterpolationLeavesEveryPixelInEveryMode) {
    Pair p(13, 7, 3, 3);
    ASSERT_TRUE(p.ok);
    genmapadr(&p.fast);
    const std::vector<uint32_t> src(13 * 7, 0x11223344u);
    for (const Mode& mode : modes()) {
        Forced forced(mode);
        std::vector<uint32_t> dst(src.size(), 0xDEADBEEFu);
        for (int type : {-1, 3, 4, 1000}) mapimg(&p.fast, dst.data(), src.data(), type, 0);
        EXPECT_EQ(dst, std::vector<uint32_t>(src.size(), 0xDEADBEEFu)) << name(mode);
    }
}

TEST(EnginePaths, UnalignedDestinationBuffers) {
    // The vector forms may stream whole aligned vectors; any start must work.
    Pair p(37, 9, 4, 3);
    ASSERT_TRUE(p.ok);
    std::mt19937 rng(7001);
    enginetest::deform(&p.ref, Deform::Gentle, rng);
    std::memcpy(p.fast.defx, p.ref.defx, 4 * 3 * sizeof(int32_t));
    std::memcpy(p.fast.defy, p.ref.defy, 4 * 3 * sizeof(int32_t));
    reference::genmapadr(&p.ref);
    genmapadr(&p.fast);
    const auto src = enginetest::random_picture(37, 9, rng);
    for (int type = 0; type < 3; ++type) {
        std::vector<uint32_t> want(src.size());
        reference::mapimg(&p.ref, want.data(), src.data(), type, 7u);
        for (const Mode& mode : modes()) {
            if (mode.pixeltest) continue;
            Forced forced(mode);
            for (size_t shift = 0; shift < 8; ++shift) {
                std::vector<uint32_t> buf(src.size() + 8, 0);
                mapimg(&p.fast, buf.data() + shift, src.data(), type, 7u);
                ASSERT_TRUE(std::equal(want.begin(), want.end(), buf.begin() + long(shift)))
                    << name(mode) << " interpolation " << type << " shift " << shift;
            }
        }
    }
}

}  // namespace

namespace {

// The smoothing as literally defined, for one array.
void literalsmooth(float* v, int width, int height) {
    const double third = 0.33333334f;
    for (int y = 1; y <= height - 1 && width >= 3; y++) {
        float p = v[y * width], q = v[y * width + 1];
        for (int x = 1; x <= width - 2; x++) {
            const float n = v[y * width + x + 1];
            if (p >= 0 && q >= 0 && n >= 0) v[y * width + x] = float((double(n) + q + p) * third);
            p = q;
            q = n;
        }
    }
    for (int x = 1; x <= width - 1 && height >= 3; x++) {
        float p = v[x], q = v[width + x];
        for (int y = 1; y <= height - 2; y++) {
            const float n = v[(y + 1) * width + x];
            if (p >= 0 && q >= 0 && n >= 0) v[y * width + x] = float((double(n) + q + p) * third);
            p = q;
            q = n;
        }
    }
}

// Values of wide range (sums of three are often inexact in double
// precision), plus the no-source mark, other negatives, zeros of both signs,
// infinity and NaN: every form must treat each exactly as the literal pass.
std::vector<float> widevalues(size_t n, std::mt19937& rng) {
    std::vector<float> v(n);
    std::uniform_int_distribution<int> exponent(-60, 40);
    std::uniform_real_distribution<float> mantissa(1.0f, 2.0f);
    for (auto& f : v) {
        const uint32_t pick = rng() % 40;
        if (pick == 0)
            f = -1.0f;
        else if (pick == 1)
            f = -0.0f;
        else if (pick == 2)
            f = 0.0f;
        else if (pick == 3)
            f = std::numeric_limits<float>::infinity();
        else if (pick == 4)
            f = std::numeric_limits<float>::quiet_NaN();
        else if (pick == 5)
            f = -mantissa(rng);
        else
            f = std::ldexp(mantissa(rng), exponent(rng));
    }
    return v;
}

::testing::AssertionResult samearray(const std::vector<float>& a, const std::vector<float>& b) {
    return samebits(a.data(), b.data(), uint32_t(a.size()), 1);
}

TEST(Smoothing, EveryFormMatchesTheLiteralPasses) {
    std::mt19937 rng(8001);
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 40; ++w) sizes.push_back({w, 1 + int(rng() % 9)});
    for (int h = 1; h <= 12; ++h) sizes.push_back({33, h});
    sizes.push_back({tramap32_internal::kRowBuffer + 21, 4});
    for (auto [w, h] : sizes) {
        const auto input = widevalues(size_t(w) * size_t(h), rng);
        auto want = input;
        literalsmooth(want.data(), w, h);
        for (Isa isa : {Isa::Generic, Isa::Sse2, Isa::Avx2, Isa::Avx512}) {
            if (!tramap32_internal::isaavailable(isa)) continue;
            auto got = input;
            tramap32_internal::smoothmap(got.data(), w, h, isa);
            ASSERT_TRUE(samearray(got, want)) << w << "x" << h << " " << name({isa, false});
        }
    }
}

TEST(Smoothing, BandsOfAnyHeightGiveTheWholeSweep) {
    // The address map is smoothed band by band as it is drawn.
    std::mt19937 rng(8002);
    for (auto [w, h] :
         {std::pair{29, 41}, std::pair{64, 17}, std::pair{3, 50}, std::pair{100, 3}}) {
        const auto input = widevalues(size_t(w) * size_t(h), rng);
        auto want = input;
        literalsmooth(want.data(), w, h);
        for (Isa isa : {Isa::Generic, Isa::Sse2, Isa::Avx2, Isa::Avx512}) {
            if (!tramap32_internal::isaavailable(isa)) continue;
            auto got = input;
            tramap32_internal::Smoother s(got.data(), w, h, isa);
            for (int y0 = 0; y0 < h;) {
                const int y1 = std::min(h, y0 + 1 + int(rng() % 7));
                s.rows(y0, y1);
                y0 = y1;
            }
            s.finish();
            ASSERT_TRUE(samearray(got, want)) << w << "x" << h << " " << name({isa, false});
        }
    }
}

TEST(EnginePaths, CellsWhoseCentresFallNearZero) {
    // Lattice points within a few pixels of the picture's corner give cell
    // centres like 1/7 or -3/1024: fine binary fractions that test the bounds
    // within which edge values are exact (and the per-pixel test beyond them).
    std::mt19937 rng(9001);
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        Pair p(12, 10, 3 + int(i % 3), 3 + int(i / 3 % 3));
        ASSERT_TRUE(p.ok);
        const int n = p.ref.cols * p.ref.rows;
        std::uniform_int_distribution<int> near(-4, 6), far(-70000, 70000);
        for (int k = 0; k < n; ++k) {
            const bool wide = rng() % 6 == 0;
            p.ref.defx[k] = p.fast.defx[k] = wide ? far(rng) : near(rng);
            p.ref.defy[k] = p.fast.defy[k] = wide ? far(rng) : near(rng);
        }
        reference::genmapadr(&p.ref);
        for (const Mode& mode : modes()) {
            Forced forced(mode);
            genmapadr(&p.fast);
            ASSERT_TRUE(samebits(p.fast.adrx, p.ref.adrx, p.ref.npixels, 12)) << name(mode);
            ASSERT_TRUE(samebits(p.fast.adry, p.ref.adry, p.ref.npixels, 12)) << name(mode);
        }
    }
}

}  // namespace
