// BMP reading (1, 4, 8, 24 bits, uncompressed, bottom-up) and 24-bit writing.
#include "bmp.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "le.h"
#include "safesave.h"

namespace pivola::files {

namespace {

// Forward-only byte source: the reader never goes back, so a file is read
// once, row by row, and a memory block needs no copy. Bytes past the end are
// simply not delivered; a read error is remembered.
class Source {
  public:
    virtual ~Source() = default;
    // Delivers up to n bytes; the rest of buf is zero-filled. Returns the count.
    virtual std::size_t read(uint8_t* buf, std::size_t n) = 0;
    virtual void skip(uint64_t n) = 0;
    virtual bool failed() const = 0;
};

class MemorySource final : public Source {
  public:
    MemorySource(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(uint8_t* buf, std::size_t n) override {
        const std::size_t avail = pos_ < size_ ? size_ - pos_ : 0;
        const std::size_t got = std::min(n, avail);
        if (got) std::memcpy(buf, data_ + pos_, got);
        if (got < n) std::memset(buf + got, 0, n - got);
        pos_ += got;
        return got;
    }
    void skip(uint64_t n) override {
        const uint64_t avail = pos_ < size_ ? size_ - pos_ : 0;
        pos_ += std::size_t(std::min(n, avail));
    }
    bool failed() const override { return false; }

  private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class FileSource final : public Source {
  public:
    explicit FileSource(std::FILE* f) : f_(f) {}
    std::size_t read(uint8_t* buf, std::size_t n) override {
        std::size_t got = 0;
        if (!ended_ && n) {
            got = std::fread(buf, 1, n, f_);
            if (got < n) {
                ended_ = true;
                if (std::ferror(f_)) failed_ = true;
            }
        }
        if (got < n) std::memset(buf + got, 0, n - got);
        return got;
    }
    void skip(uint64_t n) override {
        // fseek takes a long (32 bits on Windows): move in steps.
        while (n && !ended_) {
            const long step = long(std::min<uint64_t>(n, 1u << 30));
            if (std::fseek(f_, step, SEEK_CUR) != 0) {
                ended_ = true;
                failed_ = true;
            }
            n -= uint64_t(step);
        }
    }
    bool failed() const override { return failed_; }

  private:
    std::FILE* f_;
    bool ended_ = false;
    bool failed_ = false;
};

bool fail(FileError* why, FileError e) {
    if (why) *why = e;
    return false;
}

// Data bytes of one stored row at the given depth.
uint64_t rowdatabytes(int32_t width, int bits) {
    return (uint64_t(width) * uint64_t(bits) + 7) / 8;
}

void convertrow(const uint8_t* row, int32_t width, int bits, const uint32_t* pal, uint32_t* out) {
    switch (bits) {
        case 1:
            for (int32_t x = 0; x < width; ++x) out[x] = pal[(row[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t b = row[x >> 1];
                out[x] = pal[(x & 1) ? (b & 0x0F) : (b >> 4)];
            }
            break;
        case 8:
            for (int32_t x = 0; x < width; ++x) out[x] = pal[row[x]];
            break;
        default:
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t* p = row + 3 * size_t(x);
                out[x] = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
            }
            break;
    }
}

bool readfrom(Source& src, BmpInfo* info, Picture* pic, FileError* why) {
    *pic = Picture{};
    uint8_t hdr[kBmpHeaderBytes];
    const std::size_t got = src.read(hdr, sizeof hdr);
    if (src.failed()) return fail(why, FileError::readfailed);
    if (got < 2 || le::get16(hdr) != 0x4D42) return fail(why, FileError::notbmp);
    if (got < sizeof hdr) return fail(why, FileError::notbmp);
    *info = decodebmpinfo(hdr + kBmpFileHeaderBytes);
    const uint32_t offbits = le::get32(hdr + 10);
    const int bits = info->biBitCount;
    if ((bits != 1 && bits != 4 && bits != 8 && bits != 24) || info->biCompression != 0 ||
        info->biSize < kBmpInfoHeaderBytes) {
        return fail(why, FileError::unsupported);
    }
    const int32_t width = info->biWidth, height = info->biHeight;
    if (height < 0) return fail(why, FileError::unsupported);  // top-down rows
    int32_t bytes;
    if (!picturebytes(width, height, &bytes)) return fail(why, FileError::badsize);

    // The colour table follows the info header, however long that is, and
    // ends where the pixel rows begin.
    const uint64_t headerend = kBmpFileHeaderBytes + uint64_t(info->biSize);
    if (headerend > offbits) return fail(why, FileError::badoffset);
    uint32_t pal[256] = {};
    if (bits <= 8) {
        const uint64_t entries = std::min<uint64_t>((offbits - headerend) / 4, 1u << bits);
        src.skip(headerend - kBmpHeaderBytes);
        uint8_t raw[256 * 4];
        src.read(raw, std::size_t(entries) * 4);
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* e = raw + 4 * i;
            pal[i] =
                uint32_t(e[2]) | uint32_t(e[1]) << 8 | uint32_t(e[0]) << 16 | uint32_t(e[3]) << 24;
        }
        src.skip(offbits - headerend - entries * 4);
    } else {
        src.skip(offbits - kBmpHeaderBytes);
    }
    if (src.failed()) return fail(why, FileError::readfailed);

    const uint64_t databytes = rowdatabytes(width, bits);
    const uint64_t padding = (4 - databytes % 4) % 4;
    if (databytes > SIZE_MAX) return fail(why, FileError::badsize);
    auto* row = static_cast<uint8_t*>(std::malloc(std::size_t(databytes)));
    if (!row || !allocpicture(pic, width, height)) {
        std::free(row);
        return fail(why, FileError::nomemory);
    }
    bool ended = false;
    for (int32_t r = 0; r < height; ++r) {
        uint32_t* out = pic->pixels + size_t(height - 1 - r) * size_t(width);
        if (src.read(row, std::size_t(databytes)) < databytes) ended = true;
        if (src.failed()) break;
        convertrow(row, width, bits, pal, out);
        if (ended) {
            // The rest of the file is missing: every remaining pixel reads as
            // an all-zero byte, i.e. black or colour-table entry 0. The block
            // is already zero-filled, so only a non-black entry 0 is written.
            const uint32_t fillv = bits == 24 ? 0u : pal[0];
            if (fillv != 0) std::fill(pic->pixels, out, fillv);
            break;
        }
        src.skip(padding);
    }
    std::free(row);
    if (src.failed()) {
        clearpicture(pic);
        return fail(why, FileError::readfailed);
    }
    if (why) *why = FileError::none;
    return true;
}

// Writes the 54 header bytes and the rows to a sink with bool write(ptr, n).
template <class Sink>
bool emitbmp(const Picture& pic, uint32_t stride, Sink& sink) {
    uint8_t hdr[kBmpHeaderBytes] = {};
    const uint32_t imagebytes = stride * uint32_t(pic.height);
    le::put16(hdr, 0x4D42);
    le::put32(hdr + 2, uint32_t(kBmpHeaderBytes) + imagebytes);
    le::put32(hdr + 10, uint32_t(kBmpHeaderBytes));
    BmpInfo info{};
    info.biSize = kBmpInfoHeaderBytes;
    info.biWidth = pic.width;
    info.biHeight = pic.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = imagebytes;
    encodebmpinfo(info, hdr + kBmpFileHeaderBytes);
    if (!sink(hdr, sizeof hdr)) return false;

    auto* row = static_cast<uint8_t*>(std::calloc(stride, 1));
    if (!row) return false;
    bool ok = true;
    for (int32_t y = pic.height - 1; y >= 0 && ok; --y) {
        const uint32_t* in = pic.pixels + size_t(y) * size_t(pic.width);
        for (int32_t x = 0; x < pic.width; ++x) {
            uint8_t* p = row + 3 * size_t(x);
            p[0] = uint8_t(in[x] >> 16);
            p[1] = uint8_t(in[x] >> 8);
            p[2] = uint8_t(in[x]);
        }
        ok = sink(row, stride);
    }
    std::free(row);
    return ok;
}

}  // namespace

BmpInfo decodebmpinfo(const uint8_t* b) {
    BmpInfo i;
    i.biSize = le::get32(b);
    i.biWidth = le::geti32(b + 4);
    i.biHeight = le::geti32(b + 8);
    i.biPlanes = le::get16(b + 12);
    i.biBitCount = le::get16(b + 14);
    i.biCompression = le::get32(b + 16);
    i.biSizeImage = le::get32(b + 20);
    i.biXPelsPerMeter = le::geti32(b + 24);
    i.biYPelsPerMeter = le::geti32(b + 28);
    i.biClrUsed = le::get32(b + 32);
    i.biClrImportant = le::get32(b + 36);
    return i;
}

void encodebmpinfo(const BmpInfo& i, uint8_t* b) {
    le::put32(b, i.biSize);
    le::puti32(b + 4, i.biWidth);
    le::puti32(b + 8, i.biHeight);
    le::put16(b + 12, i.biPlanes);
    le::put16(b + 14, i.biBitCount);
    le::put32(b + 16, i.biCompression);
    le::put32(b + 20, i.biSizeImage);
    le::puti32(b + 24, i.biXPelsPerMeter);
    le::puti32(b + 28, i.biYPelsPerMeter);
    le::put32(b + 32, i.biClrUsed);
    le::put32(b + 36, i.biClrImportant);
}

bool readbmpbytes(const uint8_t* data, std::size_t size, BmpInfo* info, Picture* pic,
                  FileError* why) {
    MemorySource src(data, data ? size : 0);
    return readfrom(src, info, pic, why);
}

bool readbmp(const char* path, BmpInfo* info, Picture* pic, FileError* why) {
    *pic = Picture{};
    std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return fail(why, FileError::cannotopen);
    FileSource src(f);
    const bool ok = readfrom(src, info, pic, why);
    std::fclose(f);
    return ok;
}

namespace {

bool border(const Picture& file, Picture* doc, FileError* why) {
    int32_t bytes;
    const bool fits = file.width <= INT32_MAX - 2 * kBorder &&
                      file.height <= INT32_MAX - 2 * kBorder &&
                      picturebytes(file.width + 2 * kBorder, file.height + 2 * kBorder, &bytes);
    const bool ok = fits && addborder(file.pixels, file.width, file.height, false, doc);
    freebmp(file);
    if (!ok) return fail(why, fits ? FileError::nomemory : FileError::badsize);
    if (why) *why = FileError::none;
    return true;
}

}  // namespace

bool openimg(const char* path, Picture* doc, FileError* why) {
    clearpicture(doc);
    BmpInfo info;
    Picture file;
    if (!readbmp(path, &info, &file, why)) return false;
    return border(file, doc, why);
}

bool openimgbytes(const uint8_t* data, std::size_t size, Picture* doc, FileError* why) {
    clearpicture(doc);
    BmpInfo info;
    Picture file;
    if (!readbmpbytes(data, size, &info, &file, why)) return false;
    return border(file, doc, why);
}

bool bmpstride(int32_t width, int32_t height, uint32_t* stride) {
    if (width < 1 || height < 1) return false;
    const uint64_t s = (uint64_t(width) * 3 + 3) / 4 * 4;
    if (s * uint64_t(height) + kBmpHeaderBytes > UINT32_MAX) return false;
    *stride = uint32_t(s);
    return true;
}

bool encodebmp(const Picture& pic, std::vector<uint8_t>* out, FileError* why) {
    out->clear();
    uint32_t stride;
    if (!pic.pixels || !bmpstride(pic.width, pic.height, &stride)) {
        return fail(why, FileError::badsize);
    }
    try {
        out->reserve(kBmpHeaderBytes + size_t(stride) * size_t(pic.height));
    } catch (...) {  // bad_alloc or length_error
        return fail(why, FileError::nomemory);
    }
    auto sink = [out](const uint8_t* p, std::size_t n) {
        out->insert(out->end(), p, p + n);
        return true;
    };
    if (!emitbmp(pic, stride, sink)) {
        out->clear();
        return fail(why, FileError::nomemory);
    }
    if (why) *why = FileError::none;
    return true;
}

bool writebmp(const char* path, const Picture& pic, FileError* why) {
    uint32_t stride;
    if (!pic.pixels || !bmpstride(pic.width, pic.height, &stride)) {
        return fail(why, FileError::badsize);
    }
    SafeFile file;
    if (!file.open(path)) return fail(why, FileError::cannotopen);
    auto sink = [&file](const uint8_t* p, std::size_t n) { return file.write(p, n); };
    if (!emitbmp(pic, stride, sink) || !file.commit()) return fail(why, FileError::writefailed);
    if (why) *why = FileError::none;
    return true;
}

}  // namespace pivola::files
