// Engine benchmarks: picture size x lattice size x interpolation, on a
// smoothly deformed lattice, for
//   genmapadr/<engine>        the address map,
//   mapimg/<engine>           the resampling through it,
//   remap/opencv              OpenCV's cv::remap on the same address map
//                             (single thread, 8-bit 4-channel, float maps),
//   frame                     a whole drag frame of the editor: refreshview
//                             (genmapadr, mapimg at the display interpolation,
//                             composeview, drawgrid) over the in-memory port,
// where <engine> is new (the engine as built), baseline (the engine before its
// fast paths) or reference (the literal reference engine of the tests).
// Benchmark names read family/engine/w:W/h:H/lattice:L[/interp:I]; every
// case is warmed up (pages touched, caches filled) before it is timed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "baseline_engine.h"
#include "deform.h"
#include "reference_engine.h"
#include "tramap32.h"

#if PIVOLA_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

#if PIVOLA_BENCH_FRAME
#include <filesystem>
#include <fstream>

#include "files/bmp.h"
#include "core/document.h"
#include "core/state.h"
#include "core/view.h"
#include "fakeport.h"
#include "platform/messages.h"
#include "shell/dispatch.h"
#include "shell/resource.h"
#endif

namespace {

// One picture size and lattice: map, source and destination, kept while the
// benchmarks of that case run (they are registered case by case).
struct Case {
    int w, h, lattice;
    WarpMap map{};
    std::vector<uint32_t> src, dst;
    Case(int width, int height, int n) : w(width), h(height), lattice(n) {
        if (!allocmap(&map, w, h, n, n)) std::abort();
        pivola_bench::deform_smoothly(&map, 0.35);
        src = pivola_bench::test_picture(w, h);
        dst.assign(src.size(), 0);
        genmapadr(&map);
        mapimg(&map, dst.data(), src.data(), TRAMAP_NEAREST, 0);
    }
    ~Case() { freemap(&map); }
    Case(const Case&) = delete;
    Case& operator=(const Case&) = delete;
};

std::unique_ptr<Case> current;

Case& usecase(int w, int h, int lattice) {
    if (!current || current->w != w || current->h != h || current->lattice != lattice) {
        current.reset();
        current = std::make_unique<Case>(w, h, lattice);
    }
    return *current;
}

void finish(benchmark::State& st, const Case& c) {
    st.SetItemsProcessed(int64_t(st.iterations()) * c.map.npixels);
}

template <void (*Gen)(WarpMap*)>
void genbench(benchmark::State& st, int w, int h, int lattice) {
    Case& c = usecase(w, h, lattice);
    Gen(&c.map);  // warm
    for (auto _ : st) {
        Gen(&c.map);
        benchmark::DoNotOptimize(c.map.adrx);
        benchmark::ClobberMemory();
    }
    genmapadr(&c.map);  // leave the engine's own map for the next case
    finish(st, c);
}

template <void (*Map)(WarpMap*, uint32_t*, const uint32_t*, int, uint32_t)>
void mapbench(benchmark::State& st, int w, int h, int lattice, int interp) {
    Case& c = usecase(w, h, lattice);
    Map(&c.map, c.dst.data(), c.src.data(), interp, 0x00102030u);  // warm
    for (auto _ : st) {
        Map(&c.map, c.dst.data(), c.src.data(), interp, 0x00102030u);
        benchmark::DoNotOptimize(c.dst.data());
        benchmark::ClobberMemory();
    }
    finish(st, c);
}

void newgen(WarpMap* m) {
    genmapadr(m);
}
void newmap(WarpMap* m, uint32_t* d, const uint32_t* s, int t, uint32_t bg) {
    mapimg(m, d, s, t, bg);
}

#if PIVOLA_BENCH_OPENCV
void remapbench(benchmark::State& st, int w, int h, int lattice, int interp) {
    Case& c = usecase(w, h, lattice);
    const cv::Mat src(h, w, CV_8UC4, c.src.data());
    const cv::Mat mapx(h, w, CV_32FC1, c.map.adrx), mapy(h, w, CV_32FC1, c.map.adry);
    cv::Mat dst(h, w, CV_8UC4, c.dst.data());
    const int how[] = {cv::INTER_NEAREST, cv::INTER_LINEAR, cv::INTER_CUBIC};
    const cv::Scalar bg(0x30, 0x20, 0x10, 0);
    cv::remap(src, dst, mapx, mapy, how[interp], cv::BORDER_CONSTANT, bg);  // warm
    for (auto _ : st) {
        cv::remap(src, dst, mapx, mapy, how[interp], cv::BORDER_CONSTANT, bg);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
    finish(st, c);
}
#endif

#if PIVOLA_BENCH_FRAME
// The editor over the in-memory port with a w x h picture loaded (the
// document adds its two-pixel border) and the lattice dragged smoothly.
struct Editor {
    pivola::App app;
    pivola::FakePort port;
    Editor(int w, int h, int lattice, int interp) {
        using namespace pivola;
        if (!(dispatch(app, port, wm::create, 0, 0) == answered(0))) std::abort();
        app.settings.gridcols = lattice;
        app.settings.gridrows = lattice;
        const std::vector<uint32_t> pixels = pivola_bench::test_picture(w, h);
        files::Picture pic{const_cast<uint32_t*>(pixels.data()), w * h * 4, w, h};
        std::vector<uint8_t> bytes;
        if (!files::encodebmp(pic, &bytes)) std::abort();
        const auto path = std::filesystem::temp_directory_path() /
                          ("pivola-bench-" + std::to_string(w) + "x" + std::to_string(h) + ".bmp");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        const bool ok = loadimg(app, port, path.string().c_str());
        std::filesystem::remove(path);
        if (!ok) std::abort();
        pivola_bench::deform_smoothly(&app.doc.map, 0.35);
        const int items[] = {IDM_VIEW_NEAREST, IDM_VIEW_BILINEAR, IDM_VIEW_BICUBIC};
        for (int i = 0; i < 3; ++i) port.checkmenu(items[i], i == interp);
        port.clearrecords();
    }
    ~Editor() { pivola::dispatch(app, port, pivola::wm::destroy, 0, 0); }
};

void framebench(benchmark::State& st, int w, int h, int lattice, int interp) {
    current.reset();  // the editor holds its own pictures and map
    Editor e(w, h, lattice, interp);
    WarpMap& m = e.app.doc.map;
    // The point the user drags: an inner one, moved back and forth a pixel.
    const int point = (m.rows / 2) * m.cols + m.cols / 2;
    pivola::refreshview(e.app, e.port);  // warm
    int step = 1;
    for (auto _ : st) {
        m.defx[point] += step;
        step = -step;
        pivola::refreshview(e.app, e.port);
        e.port.clearrecords();
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(int64_t(st.iterations()) * m.npixels);
}
#endif

std::string name(const char* family, int w, int h, int lattice) {
    return std::string(family) + "/w:" + std::to_string(w) + "/h:" + std::to_string(h) +
           "/lattice:" + std::to_string(lattice);
}

std::string name(const char* family, int w, int h, int lattice, int interp) {
    return name(family, w, h, lattice) + "/interp:" + std::to_string(interp);
}

// The old engines are far slower; a few repetitions say enough about them.
constexpr int kSlowRepetitions = 3;

void registerall(bool slow) {
    const int sizes[][2] = {{1920, 1080}, {3840, 2160}, {4096, 3072}};
    for (const auto& s : sizes)
        for (int lattice : {8, 32}) {
            const int w = s[0], h = s[1];
            auto reg = [&](const std::string& n, auto fn, bool old) {
                auto* b =
                    benchmark::RegisterBenchmark(n.c_str(), fn)->Unit(benchmark::kMillisecond);
                if (old) b->Repetitions(kSlowRepetitions)->MinTime(0.1);
            };
            reg(
                name("genmapadr/new", w, h, lattice),
                [=](benchmark::State& st) { genbench<newgen>(st, w, h, lattice); }, false);
            if (slow) {
                reg(
                    name("genmapadr/baseline", w, h, lattice),
                    [=](benchmark::State& st) { genbench<baseline::genmapadr>(st, w, h, lattice); },
                    true);
                reg(
                    name("genmapadr/reference", w, h, lattice),
                    [=](benchmark::State& st) {
                        genbench<reference::genmapadr>(st, w, h, lattice);
                    },
                    true);
            }
            for (int interp = 0; interp < 3; ++interp) {
                reg(
                    name("mapimg/new", w, h, lattice, interp),
                    [=](benchmark::State& st) { mapbench<newmap>(st, w, h, lattice, interp); },
                    false);
                if (slow) {
                    reg(
                        name("mapimg/baseline", w, h, lattice, interp),
                        [=](benchmark::State& st) {
                            mapbench<baseline::mapimg>(st, w, h, lattice, interp);
                        },
                        true);
                    reg(
                        name("mapimg/reference", w, h, lattice, interp),
                        [=](benchmark::State& st) {
                            mapbench<reference::mapimg>(st, w, h, lattice, interp);
                        },
                        true);
                }
#if PIVOLA_BENCH_OPENCV
                reg(
                    name("remap/opencv", w, h, lattice, interp),
                    [=](benchmark::State& st) { remapbench(st, w, h, lattice, interp); }, false);
#endif
            }
#if PIVOLA_BENCH_FRAME
            for (int interp = 0; interp < 3; ++interp)
                reg(
                    name("frame", w, h, lattice, interp),
                    [=](benchmark::State& st) { framebench(st, w, h, lattice, interp); }, false);
#endif
        }
}

}  // namespace

int main(int argc, char** argv) {
#if PIVOLA_BENCH_OPENCV
    cv::setNumThreads(1);
#endif
    // --no-slow leaves out the baseline and reference engines.
    bool slow = true;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--no-slow")
            slow = false;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    registerall(slow);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::AddCustomContext("opencv", PIVOLA_BENCH_OPENCV ? "yes, single thread" : "not found");
    benchmark::AddCustomContext("frame", PIVOLA_BENCH_FRAME ? "editor over the fake port" : "no");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    current.reset();
    return 0;
}
