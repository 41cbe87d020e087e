// Times the Windows build of the engine on the benchmark's cases: picture
// size x lattice x interpolation for genmapadr and mapimg, medians per run in
// thread CPU time and wall time, one line per case. Not a
// test: run it by hand under Wine, e.g. scripts/wine-run 64 enginetime.exe
// [repetitions] [generic|sse2|avx2|avx512].
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "deform.h"
#include "isa.h"
#include "tramap32.h"

namespace {

double threadms() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ticks = [](FILETIME f) {
        return double((uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e4;
}

double wallms() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1e3 / double(f.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs fn in batches long enough for the thread clock (which Wine advances in
// steps of 10 ms) and prints the medians of the per-run times of reps batches.
template <typename F>
void timeit(const char* what, int w, int h, int lattice, int reps, F fn) {
    fn();  // first touch of every page, outside the timing
    const double w0 = wallms();
    fn();
    const double once = std::max(0.01, wallms() - w0);
    const int batch = std::max(1, int(200.0 / once));
    std::vector<double> cpu, wall;
    for (int r = 0; r < reps; ++r) {
        const double c0 = threadms(), t0 = wallms();
        for (int b = 0; b < batch; ++b) fn();
        cpu.push_back((threadms() - c0) / batch);
        wall.push_back((wallms() - t0) / batch);
    }
    std::printf("%-22s %5dx%-5d lattice %2d  cpu %8.2f ms  wall %8.2f ms  (%d runs x %d)\n", what,
                w, h, lattice, median(cpu), median(wall), batch, reps);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const char* names[] = {"generic", "sse2", "avx2", "avx512"};
    // An optional second argument forces a form: generic, sse2, avx2, avx512.
    if (argc > 2) {
        bool known = false;
        for (int i = 0; i < 4; ++i)
            if (std::strcmp(argv[2], names[i]) == 0) {
                known = true;
                if (!tramap32_internal::forceisa(tramap32_internal::Isa(i))) {
                    std::printf("%s: not available on this processor\n", argv[2]);
                    return 1;
                }
            }
        if (!known) {
            std::printf("usage: enginetime [repetitions] [generic|sse2|avx2|avx512]\n");
            return 1;
        }
    }
    std::printf("tramap32 under Windows, %d-bit, instruction set %s, medians of %d batches\n",
                int(sizeof(void*) * 8), names[int(tramap32_internal::activeisa())], reps);
    const int sizes[][2] = {{1920, 1080}, {3840, 2160}, {4096, 3072}};
    for (const auto& s : sizes)
        for (int lattice : {8, 32}) {
            const int w = s[0], h = s[1];
            WarpMap m{};
            if (!allocmap(&m, w, h, lattice, lattice)) {
                std::printf("allocmap failed for %dx%d\n", w, h);
                return 1;
            }
            pivola_bench::deform_smoothly(&m, 0.35);
            const std::vector<uint32_t> src = pivola_bench::test_picture(w, h);
            std::vector<uint32_t> dst(src.size());
            timeit("genmapadr", w, h, lattice, reps, [&] { genmapadr(&m); });
            const char* ops[] = {"mapimg nearest", "mapimg bilinear", "mapimg bicubic"};
            for (int type = 0; type < 3; ++type)
                timeit(ops[type], w, h, lattice, reps,
                       [&] { mapimg(&m, dst.data(), src.data(), type, 0x00102030u); });
            freemap(&m);
        }
    return 0;
}
