// Shared by the fuzz targets.
#ifndef PIVOLA_FUZZ_UTIL_H
#define PIVOLA_FUZZ_UTIL_H

#include <cstdint>
#include <cstdlib>

// A failed property: abort so that libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                               \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            __builtin_printf("check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                              \
        }                                                                              \
    } while (0)

// Pictures above this many pixels are legal but only cost time when every
// byte of them is zero; the fuzzers skip them (the overflow checks are still
// reached, since a size that does not fit 32 bits is never skipped).
inline constexpr uint64_t kFuzzMaxPixels = uint64_t(1) << 12;

inline bool toolarge(int32_t w, int32_t h) {
    if (w <= 0 || h == 0 || h == INT32_MIN) return false;
    const uint64_t ah = uint64_t(h < 0 ? -int64_t(h) : int64_t(h));
    const uint64_t px = uint64_t(w) * ah;
    return px * 4 <= uint64_t(INT32_MAX) && px > kFuzzMaxPixels;
}

#endif
