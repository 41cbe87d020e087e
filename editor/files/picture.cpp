// Picture records, the blue/red swap and the clamp-to-edge border.
#include "picture.h"

#include <cstdlib>
#include <cstring>

#include "fileerror.h"

namespace pivola::files {

const char* fileerrortext(FileError e) {
    switch (e) {
        case FileError::none:
            return "no error";
        case FileError::cannotopen:
            return "cannot open the file";
        case FileError::readfailed:
            return "cannot read the file (read error or file too short)";
        case FileError::writefailed:
            return "cannot write the file";
        case FileError::notbmp:
            return "not a BMP file";
        case FileError::unsupported:
            return "unsupported BMP format (only uncompressed, bottom-up 1, 4, 8 and 24 bits)";
        case FileError::badsize:
            return "picture size is zero, negative or too large";
        case FileError::badoffset:
            return "damaged header: pixel data offset points into the header";
        case FileError::badcounts:
            return "grid counts out of range (3 to 1000)";
        case FileError::nomemory:
            return "not enough memory";
    }
    return "unknown error";
}

bool picturebytes(int32_t width, int32_t height, int32_t* bytes) {
    if (width < 1 || height < 1) return false;
    // Both factors are below 2^31, so the product fits 64 bits unsigned.
    const uint64_t n = uint64_t(width) * uint64_t(height);
    if (n > uint64_t(INT32_MAX) / 4) return false;
    *bytes = int32_t(n * 4);
    return true;
}

bool allocpicture(Picture* pic, int32_t width, int32_t height) {
    *pic = Picture{};
    int32_t bytes;
    if (!picturebytes(width, height, &bytes)) return false;
    auto* px = static_cast<uint32_t*>(std::calloc(size_t(bytes) / 4, 4));
    if (!px) return false;
    *pic = Picture{px, bytes, width, height};
    return true;
}

void freebmp(const Picture& pic) {
    if (pic.pixels) std::free(pic.pixels);
}

void clearpicture(Picture* pic) {
    freebmp(*pic);
    *pic = Picture{};
}

void swaprb(uint32_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const uint32_t v = pixels[i];
        pixels[i] = (v & 0xFF00FF00u) | (v & 0xFFu) << 16 | (v >> 16 & 0xFFu);
    }
}

void fillborder(Picture* doc) {
    const int32_t W = doc->width, H = doc->height;
    if (!doc->pixels || W < 2 * kBorder + 1 || H < 2 * kBorder + 1) return;
    uint32_t* p = doc->pixels;
    auto at = [p, W](int32_t x, int32_t y) -> uint32_t& {
        return p[size_t(y) * size_t(W) + size_t(x)];
    };
    const int32_t x0 = kBorder, x1 = W - 1 - kBorder;  // first and last inner column
    const int32_t y0 = kBorder, y1 = H - 1 - kBorder;  // first and last inner row
    const size_t innerbytes = size_t(x1 - x0 + 1) * 4;
    // Top and bottom rows copy the first and last inner row, inner columns only.
    for (int32_t y = 0; y < y0; ++y) std::memcpy(&at(x0, y), &at(x0, y0), innerbytes);
    for (int32_t y = y1 + 1; y < H; ++y) std::memcpy(&at(x0, y), &at(x0, y1), innerbytes);
    // Left and right columns copy the first and last inner column, inner rows only.
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = 0; x < x0; ++x) at(x, y) = at(x0, y);
        for (int32_t x = x1 + 1; x < W; ++x) at(x, y) = at(x1, y);
    }
    // Corners take the nearest inner corner pixel.
    for (int32_t y = 0; y < y0; ++y) {
        for (int32_t x = 0; x < x0; ++x) at(x, y) = at(x0, y0);
        for (int32_t x = x1 + 1; x < W; ++x) at(x, y) = at(x1, y0);
    }
    for (int32_t y = y1 + 1; y < H; ++y) {
        for (int32_t x = 0; x < x0; ++x) at(x, y) = at(x0, y1);
        for (int32_t x = x1 + 1; x < W; ++x) at(x, y) = at(x1, y1);
    }
}

bool addborder(const uint32_t* src, int32_t width, int32_t height, bool swap, Picture* doc) {
    clearpicture(doc);
    if (!src || width < 1 || height < 1) return false;
    if (width > INT32_MAX - 2 * kBorder || height > INT32_MAX - 2 * kBorder) return false;
    if (!allocpicture(doc, width + 2 * kBorder, height + 2 * kBorder)) return false;
    const size_t W = size_t(doc->width);
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* out = doc->pixels + (size_t(y) + kBorder) * W + kBorder;
        const uint32_t* in = src + size_t(y) * size_t(width);
        std::memcpy(out, in, size_t(width) * 4);
        if (swap) swaprb(out, size_t(width));
    }
    fillborder(doc);
    return true;
}

}  // namespace pivola::files
