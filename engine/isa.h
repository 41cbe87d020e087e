// Instruction-set selection inside the engine.
//
// Every fast kernel exists in a portable form and, on x86, in SSE2 and AVX2
// forms (and, where wider vectors pay, an AVX-512 form); all forms perform the same IEEE operations
// in the same order per value, so they give identical bits and differ only in speed. The best form
// the processor supports is chosen once, at the first call that asks.
//
// The selector below is internal: it is not part of the library's exported
// interface (the DLL exports only the six operations of tramap32.h, and the
// ELF symbols are hidden). Tests use it to force each form in turn.
#ifndef TRAMAP32_ISA_H
#define TRAMAP32_ISA_H

#if defined(__GNUC__) && !defined(_WIN32)
#define TRAMAP32_INTERNAL __attribute__((visibility("hidden")))
#else
#define TRAMAP32_INTERNAL
#endif

#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__) && defined(__GNUC__)
#define TRAMAP32_X86 1
// Functions compiled for AVX2 or AVX-512 regardless of the file's flags;
// never FMA.
#define TRAMAP32_AVX2 __attribute__((target("avx2")))
#define TRAMAP32_AVX512 __attribute__((target("avx512f,avx512dq,avx512bw,avx512vl,avx2")))
#else
#define TRAMAP32_X86 0
#endif

namespace tramap32_internal {

enum class Isa : int { Generic = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3 };

// True when this build has the form and the processor (and OS) can run it.
TRAMAP32_INTERNAL bool isaavailable(Isa isa);

// The form in use: the forced one, else the best available.
TRAMAP32_INTERNAL Isa activeisa();

// Forces a form for every later call (an unavailable form is refused and
// returns false); unforceisa() returns to automatic choice.
TRAMAP32_INTERNAL bool forceisa(Isa isa);
TRAMAP32_INTERNAL void unforceisa();

// Forces the per-pixel edge test for every triangle, bypassing the exact
// span computation, so that tests can compare both ways of rasterising.
TRAMAP32_INTERNAL void forcepixeltest(bool on);
TRAMAP32_INTERNAL bool pixeltestforced();

}  // namespace tramap32_internal

#endif
