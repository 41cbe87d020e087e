// Engine benchmarks: picture size x lattice size x interpolation, for the
// address map (genmapadr) and the resampling (mapimg), on a moderately
// deformed lattice. Names read as op/width/height/lattice[/interp].
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "deform.h"
#include "tramap32.h"

namespace {

struct Fixture {
    WarpMap map{};
    std::vector<uint32_t> src, dst;
    Fixture(int w, int h, int lattice) {
        if (!allocmap(&map, w, h, lattice, lattice)) std::abort();
        pivola_bench::deform_smoothly(&map, 0.35);
        src = pivola_bench::test_picture(w, h);
        dst.assign(size_t(w) * size_t(h), 0);
    }
    ~Fixture() { freemap(&map); }
};

void BM_genmapadr(benchmark::State& st) {
    Fixture f(int(st.range(0)), int(st.range(1)), int(st.range(2)));
    for (auto _ : st) {
        genmapadr(&f.map);
        benchmark::DoNotOptimize(f.map.adrx);
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(int64_t(st.iterations()) * f.map.npixels);
}

void BM_mapimg(benchmark::State& st) {
    Fixture f(int(st.range(0)), int(st.range(1)), int(st.range(2)));
    genmapadr(&f.map);
    const int interp = int(st.range(3));
    for (auto _ : st) {
        mapimg(&f.map, f.dst.data(), f.src.data(), interp, 0x00102030u);
        benchmark::DoNotOptimize(f.dst.data());
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(int64_t(st.iterations()) * f.map.npixels);
}

void sizes(benchmark::internal::Benchmark* b, bool interps) {
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{4096, 3072}})
        for (int lattice : {8, 32}) {
            if (!interps) {
                b->Args({w, h, lattice});
                continue;
            }
            for (int interp : {0, 1, 2}) b->Args({w, h, lattice, interp});
        }
}

}  // namespace

BENCHMARK(BM_genmapadr)
    ->ArgNames({"w", "h", "lattice"})
    ->Apply([](auto* b) { sizes(b, false); }) -> Unit(benchmark::kMillisecond) -> UseRealTime();
BENCHMARK(BM_mapimg)
    ->ArgNames({"w", "h", "lattice", "interp"})
    ->Apply([](auto* b) { sizes(b, true); }) -> Unit(benchmark::kMillisecond) -> UseRealTime();

BENCHMARK_MAIN();
