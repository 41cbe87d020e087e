// Loads the shipped tramap32.dll by name, finds its six exports by name and
// runs a small warp through them, comparing with values worked out by hand.
// Exit code 0 and "N passed, 0 failed" when the DLL behaves.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tramap32.h"

namespace {

int passed = 0, failed = 0;

void check(bool ok, const char* what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what);
    }
}

using AllocFn = int(__cdecl*)(WarpMap*, int, int, int, int);
using MapFn = void(__cdecl*)(WarpMap*);
using ImgFn = void(__cdecl*)(WarpMap*, uint32_t*, const uint32_t*, int, uint32_t);

template <typename F>
F find(HMODULE lib, const char* name) {
    FARPROC p = GetProcAddress(lib, name);
    check(p != nullptr, name);
    return reinterpret_cast<F>(reinterpret_cast<void*>(p));
}

}  // namespace

int main() {
    HMODULE lib = LoadLibraryA("tramap32.dll");
    if (!lib) {
        std::printf("FAILED: LoadLibraryA(tramap32.dll)\n0 passed, 1 failed\n");
        return 1;
    }
    auto alloc = find<AllocFn>(lib, "allocmap");
    auto freem = find<MapFn>(lib, "freemap");
    auto initv = find<MapFn>(lib, "initvert");
    auto inita = find<MapFn>(lib, "initadr");
    auto gen = find<MapFn>(lib, "genmapadr");
    auto img = find<ImgFn>(lib, "mapimg");
    if (failed) {
        std::printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }

    // The identification text travels in the library's data (Shift-JIS).
    {
        const auto* base = reinterpret_cast<const char*>(lib);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const char needle[] = "tramap32.dll - \x83\x41\x83\x74\x83\x42\x83\x93";  // "アフィン"
        bool found = false;
        const size_t size = nt->OptionalHeader.SizeOfImage;
        for (size_t i = 0; i + sizeof needle < size && !found; ++i)
            found = std::memcmp(base + i, needle, sizeof needle - 1) == 0;
        check(found, "identification text in the DLL");
    }

    WarpMap m;
    if (sizeof(void*) == 4) check(sizeof m == 60, "WarpMap is 60 bytes");
    check(alloc(&m, 100, 60, 3, 4) == 1, "allocmap 100x60, 3x4");
    const int32_t wantx[3] = {0, 50, 99}, wanty[4] = {0, 20, 40, 59};
    bool lattice = true;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            lattice = lattice && m.orgx[r * 3 + c] == wantx[c] && m.orgy[r * 3 + c] == wanty[r] &&
                      m.defx[r * 3 + c] == wantx[c] && m.defy[r * 3 + c] == wanty[r];
    check(lattice, "initial lattice");
    check(m.npixels == 6000 && m.lastx == 99 && m.lasty == 59 && m.cellcols == 2 && m.cellrows == 3,
          "sizes");

    inita(&m);
    check(m.adrx[0] == -1.0f && m.adry[5999] == -1.0f, "initadr");

    // Undeformed lattice: every pixel maps onto itself.
    gen(&m);
    bool identity = true;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            identity = identity && std::fabs(m.adrx[y * 100 + x] - x) < 1e-3f &&
                       std::fabs(m.adry[y * 100 + x] - y) < 1e-3f;
    check(identity, "undeformed lattice gives the identity map");

    std::vector<uint32_t> src(6000), dst(6000, 0xDEADBEEFu);
    for (int i = 0; i < 6000; ++i) src[i] = uint32_t(i * 2654435761u) & 0x00FFFFFFu;
    img(&m, dst.data(), src.data(), 0, 0);
    check(dst == src, "nearest neighbour through the identity map copies the picture");

    // Move the middle point of the top row down: the strip above it loses its source.
    m.defy[1] = 10;
    gen(&m);
    check(m.adrx[50] == -1.0f && m.adry[50] == -1.0f, "uncovered pixel keeps -1");
    img(&m, dst.data(), src.data(), 2, 0x00123456u);
    check(dst[50] == 0x00123456u, "uncovered pixel takes the background");
    std::vector<uint32_t> before = dst;
    img(&m, dst.data(), src.data(), 3, 0);
    check(dst == before, "type 3 changes nothing");

    initv(&m);
    check(m.defy[1] == 0, "initvert resets the deformed lattice");
    freem(&m);
    check(!m.orgx && !m.orgy && !m.defx && !m.defy && !m.adrx && !m.adry && m.npixels == 6000,
          "freemap nulls the pointers and keeps the sizes");
    freem(&m);

    WarpMap bad;
    check(alloc(&bad, 10, 10, 1, 8) == 0 && !bad.orgx, "allocmap refuses a lattice below 2");
    check(alloc(&bad, 40000, 40000, 8, 8) == 0 && !bad.adrx, "allocmap refuses 32-bit overflow");

    FreeLibrary(lib);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
