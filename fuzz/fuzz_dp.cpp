// Drag-point reader: only checked headers reach allocmap; arrays read from a
// file of any length; scaledp keeps every value inside the picture; saving
// what was loaded gives the same arrays back.
#include <cstring>
#include <vector>

#include "dragpoint.h"
#include "fuzz_util.h"

using namespace pivola::files;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DpHeader h;
    if (decodedpheader(data, size, &h) != FileError::none) return 0;
    FUZZ_CHECK(gridcountok(h.cols) && gridcountok(h.rows) && h.width > 0 && h.height > 0);
    // Reading the arrays into a map of another size needs room for all of
    // them; otherwise the short path is tried on a small map.
    const bool complete = size >= dpfilebytes(h.cols, h.rows);
    // The picture the file is applied to: taken from reserved header bytes.
    const int32_t W = 1 + data[16] % 200, H = 1 + data[17] % 200;
    WarpMap map{};
    if (!allocmap(&map, W, H, complete ? h.cols : 3, complete ? h.rows : 3)) return 0;
    if (!complete) {
        FUZZ_CHECK(size >= dpfilebytes(3, 3) || !decodedparrays(data, size, &map));
        freemap(&map);
        return 0;
    }
    FUZZ_CHECK(decodedparrays(data, size, &map));
    std::vector<uint8_t> saved;
    WarpMap asfile = map;
    asfile.width = h.width;
    asfile.height = h.height;
    FUZZ_CHECK(encodedp(asfile, &saved));
    FUZZ_CHECK(saved.size() == dpfilebytes(h.cols, h.rows));
    FUZZ_CHECK(std::memcmp(saved.data(), data, 16) == 0);
    FUZZ_CHECK(std::memcmp(saved.data() + 256, data + 256, saved.size() - 256) == 0);

    scaledp(&map, h.width, h.height);
    const size_t n = size_t(h.cols) * size_t(h.rows);
    for (size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(map.orgx[i] >= 0 && map.orgx[i] < W && map.defx[i] >= 0 && map.defx[i] < W);
        FUZZ_CHECK(map.orgy[i] >= 0 && map.orgy[i] < H && map.defy[i] >= 0 && map.defy[i] < H);
    }
    // Whatever the file held, the engine must cope with the lattice.
    genmapadr(&map);
    freemap(&map);
    return 0;
}
