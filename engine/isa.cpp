// Instruction-set selection: detection once, plus the internal test override.
#include "isa.h"

#include <atomic>

namespace tramap32_internal {

namespace {

// -1: no override; otherwise the forced Isa.
std::atomic<int> forced{-1};
std::atomic<bool> pixeltest{false};

Isa detect() {
#if TRAMAP32_X86
    __builtin_cpu_init();
    // GCC's check includes the operating system's support for the wide
    // registers (XCR0), so a true answer is safe to act on.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx2"))
        return Isa::Avx512;
    if (__builtin_cpu_supports("avx2")) return Isa::Avx2;
    return Isa::Sse2;
#else
    return Isa::Generic;
#endif
}

Isa best() {
    static const Isa isa = detect();
    return isa;
}

}  // namespace

bool isaavailable(Isa isa) {
    return static_cast<int>(isa) <= static_cast<int>(best());
}

Isa activeisa() {
    const int f = forced.load(std::memory_order_relaxed);
    return f >= 0 ? static_cast<Isa>(f) : best();
}

bool forceisa(Isa isa) {
    if (!isaavailable(isa)) return false;
    forced.store(static_cast<int>(isa), std::memory_order_relaxed);
    return true;
}

void unforceisa() {
    forced.store(-1, std::memory_order_relaxed);
}

void forcepixeltest(bool on) {
    pixeltest.store(on, std::memory_order_relaxed);
}

bool pixeltestforced() {
    return pixeltest.load(std::memory_order_relaxed);
}

}  // namespace tramap32_internal
