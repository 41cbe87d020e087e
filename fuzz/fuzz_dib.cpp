// CF_DIB parser: any block must give a buffer or null; a parsed picture
// built back into a block and parsed again must give the same pixels.
#include <cstdlib>
#include <vector>

#include "clipdib.h"
#include "fuzz_util.h"

using namespace pivola::files;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 12 &&
        toolarge(int32_t(data[4] | data[5] << 8 | data[6] << 16 | uint32_t(data[7]) << 24),
                 int32_t(data[8] | data[9] << 8 | data[10] << 16 | uint32_t(data[11]) << 24))) {
        return 0;
    }
    BmpInfo info;
    uint32_t* px = parsedib(data, size, &info);
    if (!px) return 0;
    FUZZ_CHECK(info.biWidth > 0 && info.biHeight > 0);
    const size_t n = size_t(info.biWidth) * size_t(info.biHeight);
    for (size_t i = 0; i < n; ++i) FUZZ_CHECK((px[i] >> 24) == 0);

    // Swap into the editor's layout, build the copy block, parse it again.
    std::vector<uint32_t> editor(px, px + n);
    swaprb(editor.data(), n);
    uint32_t bytes;
    FUZZ_CHECK(dibsize(info.biWidth, info.biHeight, &bytes));
    std::vector<uint8_t> block(bytes);
    filldib(editor.data(), info.biWidth, info.biHeight, block.data());
    BmpInfo info2;
    uint32_t* again = parsedib(block.data(), block.size(), &info2);
    FUZZ_CHECK(again != nullptr);
    for (size_t i = 0; i < n; ++i) FUZZ_CHECK(again[i] == px[i]);
    std::free(again);
    std::free(px);

    Picture doc{};
    if (pastedib(data, size, &doc)) {
        FUZZ_CHECK(doc.width == info.biWidth + 4 && doc.height == info.biHeight + 4);
        clearpicture(&doc);
    }
    return 0;
}
