// The clipboard's CF_DIB block: building it for copy, parsing it for paste.
#include "clipdib.h"

#include <cstdlib>
#include <cstring>

#include "le.h"

namespace pivola::files {

namespace {

bool fail(FileError* why, FileError e) {
    if (why) *why = e;
    return false;
}

}  // namespace

bool dibsize(int32_t width, int32_t height, uint32_t* bytes) {
    uint32_t stride;
    // bmpstride keeps stride * height + 54 within 32 bits, which covers + 40.
    if (!bmpstride(width, height, &stride)) return false;
    *bytes = uint32_t(kBmpInfoHeaderBytes) + stride * uint32_t(height);
    return true;
}

void filldib(const uint32_t* pixels, int32_t width, int32_t height, uint8_t* block) {
    uint32_t stride;
    if (!bmpstride(width, height, &stride)) return;
    BmpInfo info{};
    info.biSize = kBmpInfoHeaderBytes;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    encodebmpinfo(info, block);
    for (int32_t i = 0; i < height; ++i) {
        const uint32_t* in = pixels + size_t(i) * size_t(width);
        uint8_t* out = block + kBmpInfoHeaderBytes + size_t(height - 1 - i) * stride;
        for (int32_t x = 0; x < width; ++x) {
            out[3 * size_t(x)] = uint8_t(in[x] >> 16);
            out[3 * size_t(x) + 1] = uint8_t(in[x] >> 8);
            out[3 * size_t(x) + 2] = uint8_t(in[x]);
        }
        std::memset(out + 3 * size_t(width), 0, stride - 3 * size_t(width));
    }
}

uint32_t* parsedib(const uint8_t* block, std::size_t size, BmpInfo* info, FileError* why) {
    if (!block || size < kBmpInfoHeaderBytes) {
        fail(why, FileError::readfailed);
        return nullptr;
    }
    *info = decodebmpinfo(block);
    const int bits = info->biBitCount;
    if ((bits != 24 && bits != 32) || info->biCompression != 0 ||
        info->biSize < kBmpInfoHeaderBytes) {
        fail(why, FileError::unsupported);
        return nullptr;
    }
    const int32_t width = info->biWidth;
    const bool topdown = info->biHeight < 0;
    if (info->biHeight == INT32_MIN) {
        fail(why, FileError::badsize);
        return nullptr;
    }
    const int32_t height = topdown ? -info->biHeight : info->biHeight;
    int32_t bytes;
    if (!picturebytes(width, height, &bytes)) {
        fail(why, FileError::badsize);
        return nullptr;
    }
    info->biHeight = height;

    // Rows follow the header and any colour table it announces.
    const uint64_t offset = uint64_t(info->biSize) + uint64_t(info->biClrUsed) * 4;
    if (offset > size) {
        fail(why, FileError::badoffset);
        return nullptr;
    }
    const uint64_t bpp = uint64_t(bits / 8);
    const uint64_t stride = bits == 24 ? (uint64_t(width) * 3 + 3) / 4 * 4 : uint64_t(width) * 4;
    auto* out = static_cast<uint32_t*>(std::malloc(size_t(bytes)));
    if (!out) {
        fail(why, FileError::nomemory);
        return nullptr;
    }
    for (int32_t r = 0; r < height; ++r) {
        uint32_t* dst = out + size_t(topdown ? r : height - 1 - r) * size_t(width);
        const uint64_t start = offset + uint64_t(r) * stride;
        const uint64_t need = uint64_t(width) * bpp;
        if (start + need <= size) {
            const uint8_t* p = block + start;
            for (int32_t x = 0; x < width; ++x, p += bpp) {
                dst[x] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
            }
        } else {
            // The block ends inside or before this row: missing bytes are zero.
            for (int32_t x = 0; x < width; ++x) {
                uint32_t v = 0;
                for (uint64_t b = 0; b < 3; ++b) {
                    const uint64_t at = start + uint64_t(x) * bpp + b;
                    if (at < size) v |= uint32_t(block[at]) << (8 * b);
                }
                dst[x] = v;
            }
        }
    }
    if (why) *why = FileError::none;
    return out;
}

bool pastedib(const uint8_t* block, std::size_t size, Picture* doc, FileError* why) {
    clearpicture(doc);
    BmpInfo info;
    uint32_t* buf = parsedib(block, size, &info, why);
    if (!buf) return false;
    int32_t bytes;
    const bool fits = info.biWidth <= INT32_MAX - 2 * kBorder &&
                      info.biHeight <= INT32_MAX - 2 * kBorder &&
                      picturebytes(info.biWidth + 2 * kBorder, info.biHeight + 2 * kBorder, &bytes);
    const bool ok = fits && addborder(buf, info.biWidth, info.biHeight, true, doc);
    std::free(buf);
    if (!ok) return fail(why, fits ? FileError::nomemory : FileError::badsize);
    if (why) *why = FileError::none;
    return true;
}

}  // namespace pivola::files
