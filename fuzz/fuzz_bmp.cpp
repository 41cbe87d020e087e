// BMP reader: any bytes must give a picture or a clean failure; a picture
// read must survive the border, and writing it and reading it back must give
// the same pixels (byte 3 dropped).
#include <cstring>
#include <vector>

#include "bmp.h"
#include "fuzz_util.h"

using namespace pivola::files;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 26 &&
        toolarge(int32_t(data[18] | data[19] << 8 | data[20] << 16 | uint32_t(data[21]) << 24),
                 int32_t(data[22] | data[23] << 8 | data[24] << 16 | uint32_t(data[25]) << 24))) {
        return 0;
    }
    BmpInfo info;
    Picture pic;
    FileError why;
    if (!readbmpbytes(data, size, &info, &pic, &why)) {
        FUZZ_CHECK(pic.pixels == nullptr && why != FileError::none);
        return 0;
    }
    FUZZ_CHECK(pic.width == info.biWidth && pic.height == info.biHeight);
    FUZZ_CHECK(int64_t(pic.width) * pic.height * 4 == pic.bytesize);

    std::vector<uint8_t> file;
    FUZZ_CHECK(encodebmp(pic, &file));
    BmpInfo info2;
    Picture back;
    FUZZ_CHECK(readbmpbytes(file.data(), file.size(), &info2, &back));
    FUZZ_CHECK(back.width == pic.width && back.height == pic.height);
    for (size_t i = 0; i < size_t(pic.bytesize) / 4; ++i) {
        FUZZ_CHECK(back.pixels[i] == (pic.pixels[i] & 0x00FFFFFFu));
    }
    freebmp(back);

    Picture doc{};
    if (openimgbytes(data, size, &doc)) {
        FUZZ_CHECK(doc.width == pic.width + 4 && doc.height == pic.height + 4);
        // The corners repeat the picture's corner pixels.
        FUZZ_CHECK(doc.pixels[0] == pic.pixels[0]);
        FUZZ_CHECK(doc.pixels[size_t(doc.width) * doc.height - 1] ==
                   pic.pixels[size_t(pic.width) * pic.height - 1]);
        clearpicture(&doc);
    }
    freebmp(pic);
    return 0;
}
