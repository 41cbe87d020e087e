// The drag-point file: header, the four lattice arrays, and scaledp.
#include "dragpoint.h"

#include <cmath>
#include <cstring>

#include "le.h"
#include "safesave.h"

namespace pivola::files {

namespace {

int32_t* const* arrays(const WarpMap& map, int32_t* out[4]) {
    out[0] = map.orgx;
    out[1] = map.orgy;
    out[2] = map.defx;
    out[3] = map.defy;
    return out;
}

bool hasarrays(const WarpMap& map) {
    return map.orgx && map.orgy && map.defx && map.defy;
}

std::size_t points(const WarpMap& map) {
    return std::size_t(map.cols) * std::size_t(map.rows);
}

void decodeheader(const uint8_t* b, DpHeader* h) {
    h->width = le::geti32(b);
    h->height = le::geti32(b + 4);
    h->cols = le::geti32(b + 8);
    h->rows = le::geti32(b + 12);
}

void encodeheader(const WarpMap& map, uint8_t* b) {
    std::memset(b, 0, kDpHeaderBytes);
    le::puti32(b, map.width);
    le::puti32(b + 4, map.height);
    le::puti32(b + 8, map.cols);
    le::puti32(b + 12, map.rows);
}

void decodeints(const uint8_t* b, std::size_t n, int32_t* out) {
    for (std::size_t i = 0; i < n; ++i) out[i] = le::geti32(b + 4 * i);
}

void encodeints(const int32_t* in, std::size_t n, uint8_t* b) {
    for (std::size_t i = 0; i < n; ++i) le::puti32(b + 4 * i, in[i]);
}

// One coordinate of scaledp: from 0 .. from - 1 onto 0 .. to - 1.
int32_t scaleone(int32_t v, int32_t from, double factor, int32_t to) {
    if (v == from - 1) return to - 1;
    const double t = double(v) * factor + 0.5;
    if (t < 0) return 0;
    if (t >= double(to)) return to - 1;
    return int32_t(t);
}

}  // namespace

std::size_t dpfilebytes(int32_t cols, int32_t rows) {
    return kDpHeaderBytes + 16 * std::size_t(cols) * std::size_t(rows);
}

FileError checkdpheader(const DpHeader& h) {
    if (!gridcountok(h.cols) || !gridcountok(h.rows)) return FileError::badcounts;
    if (h.width < 1 || h.height < 1) return FileError::badsize;
    return FileError::none;
}

FileError decodedpheader(const uint8_t* bytes, std::size_t size, DpHeader* h) {
    if (!bytes || size < kDpHeaderBytes) return FileError::readfailed;
    decodeheader(bytes, h);
    return checkdpheader(*h);
}

bool decodedparrays(const uint8_t* bytes, std::size_t size, WarpMap* map) {
    if (!hasarrays(*map)) return false;
    const std::size_t n = points(*map);
    int32_t* dst[4];
    arrays(*map, dst);
    std::size_t at = kDpHeaderBytes;
    for (int32_t* a : dst) {
        if (size < at || size - at < 4 * n) return false;
        decodeints(bytes + at, n, a);
        at += 4 * n;
    }
    return true;
}

bool encodedp(const WarpMap& map, std::vector<uint8_t>* out) {
    out->clear();
    if (!hasarrays(map) || !gridcountok(map.cols) || !gridcountok(map.rows)) return false;
    const std::size_t n = points(map);
    out->resize(dpfilebytes(map.cols, map.rows));
    encodeheader(map, out->data());
    int32_t* src[4];
    arrays(map, src);
    for (int k = 0; k < 4; ++k) encodeints(src[k], n, out->data() + kDpHeaderBytes + 4 * n * k);
    return true;
}

FileError savedpfile(const char* path, const WarpMap& map) {
    std::vector<uint8_t> bytes;
    if (!encodedp(map, &bytes)) return FileError::writefailed;
    SafeFile file;
    if (!file.open(path)) return FileError::cannotopen;
    if (!file.write(bytes.data(), bytes.size()) || !file.commit()) return FileError::writefailed;
    return FileError::none;
}

DpReader::~DpReader() {
    close();
}

FileError DpReader::open(const char* path) {
    close();
    file_ = path ? std::fopen(path, "rb") : nullptr;
    return file_ ? FileError::none : FileError::cannotopen;
}

FileError DpReader::readheader(DpHeader* h) {
    uint8_t b[kDpHeaderBytes];
    if (!file_ || std::fread(b, 1, sizeof b, file_) != sizeof b) return FileError::readfailed;
    const FileError e = decodedpheader(b, sizeof b, h);
    if (e != FileError::none) return e;
    // A file too short for its arrays is refused now, before the caller
    // gives up its lattice for it. Checked counts keep the size below 17 MB.
    const long need = long(dpfilebytes(h->cols, h->rows));
    if (std::fseek(file_, 0, SEEK_END) != 0 || std::ftell(file_) < need ||
        std::fseek(file_, long(kDpHeaderBytes), SEEK_SET) != 0) {
        return FileError::readfailed;
    }
    return FileError::none;
}

bool DpReader::readarrays(WarpMap* map) {
    if (!file_ || !hasarrays(*map)) return false;
    const std::size_t n = points(*map);
    std::vector<uint8_t> buf(4 * n);
    int32_t* dst[4];
    arrays(*map, dst);
    for (int32_t* a : dst) {
        if (std::fread(buf.data(), 1, buf.size(), file_) != buf.size()) return false;
        decodeints(buf.data(), n, a);
    }
    return true;
}

void DpReader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

FileError loaddpfile(const char* path, int32_t width, int32_t height, WarpMap* map,
                     DpHeader* header) {
    DpReader reader;
    FileError e = reader.open(path);
    if (e != FileError::none) return e;
    DpHeader h{};
    e = reader.readheader(&h);
    if (header) *header = h;
    if (e != FileError::none) return e;
    freemap(map);
    if (!allocmap(map, width, height, h.cols, h.rows)) {
        std::memset(map, 0, sizeof *map);
        return FileError::nomemory;
    }
    if (!reader.readarrays(map)) {
        freemap(map);
        std::memset(map, 0, sizeof *map);
        return FileError::readfailed;
    }
    if (h.width != width || h.height != height) scaledp(map, h.width, h.height);
    return FileError::none;
}

void scaledp(WarpMap* map, int32_t filew, int32_t fileh) {
    if (!hasarrays(*map) || filew < 1 || fileh < 1) return;
    const int32_t W = map->width, H = map->height;
    const double fx = double(W) / double(filew);
    const double fy = double(H) / double(fileh);
    const std::size_t n = points(*map);
    for (std::size_t i = 0; i < n; ++i) {
        map->orgx[i] = scaleone(map->orgx[i], filew, fx, W);
        map->defx[i] = scaleone(map->defx[i], filew, fx, W);
        map->orgy[i] = scaleone(map->orgy[i], fileh, fy, H);
        map->defy[i] = scaleone(map->defy[i], fileh, fy, H);
    }
}

}  // namespace pivola::files
