// Reading and writing .BMP files.
//
// Read: uncompressed (BI_RGB) 1-, 4-, 8- and 24-bit files, bottom row first,
// with a 40-byte or longer info header. Pixel rows are found through
// bfOffBits. The colour table of a 1/4/8-bit file starts right behind the
// info header (14 + biSize; offset 54 for the classic 40-byte header) and
// runs up to bfOffBits, at most 2^bits entries; each entry (blue, green, red,
// reserved) becomes the pixel red | green << 8 | blue << 16 | reserved << 24.
// Every read is bounds-checked:
//   - a palette index beyond the entries the file holds gives black;
//   - width or height below 1, or width * height * 4 (or the bordered
//     document's size) beyond 32 bits, fails with FileError::badsize;
//   - a bfOffBits inside the headers fails with FileError::badoffset;
//   - bytes missing at the end of a truncated file read as zero: missing
//     24-bit pixels are black, missing palette pixels take entry 0, and a
//     truncated colour table has black entries.
//
// Write: 24 bits, 54-byte headers, bottom row first, rows padded to 4 bytes
// with zero bytes; byte 3 of every pixel is dropped.
#ifndef PIVOLA_FILES_BMP_H
#define PIVOLA_FILES_BMP_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fileerror.h"
#include "picture.h"

namespace pivola::files {

// The 40-byte info header, laid out like BITMAPINFOHEADER (decoded from
// little-endian bytes, so the layout holds on every host).
struct BmpInfo {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BmpInfo) == 40, "BmpInfo must be 40 bytes");

inline constexpr std::size_t kBmpFileHeaderBytes = 14;
inline constexpr std::size_t kBmpInfoHeaderBytes = 40;
inline constexpr std::size_t kBmpHeaderBytes = 54;

// Decodes/encodes 40 little-endian bytes.
BmpInfo decodebmpinfo(const uint8_t* bytes);
void encodebmpinfo(const BmpInfo& info, uint8_t* bytes);

// `readbmp` over a file's bytes. On success *pic is a new file picture
// (release with freebmp) and *info holds the file's 40 info-header bytes.
// On failure nothing stays allocated, *pic is all zero and *why (if given)
// says why.
bool readbmpbytes(const uint8_t* data, std::size_t size, BmpInfo* info, Picture* pic,
                  FileError* why = nullptr);

// `readbmp` from a file (narrow path, read with C stdio, row by row).
bool readbmp(const char* path, BmpInfo* info, Picture* pic, FileError* why = nullptr);

// `openimg`: always frees and clears *doc first; then reads the file and makes
// it the document picture with its two-pixel border (addborder). On failure
// *doc stays all zero.
bool openimg(const char* path, Picture* doc, FileError* why = nullptr);

// The same from bytes (tests, fuzzing).
bool openimgbytes(const uint8_t* data, std::size_t size, Picture* doc, FileError* why = nullptr);

// Row stride of a 24-bit row: 3 * width rounded up to a multiple of 4.
// False when width is below 1 or the stride times height plus 54 (the file
// size) would not fit in 32 bits.
bool bmpstride(int32_t width, int32_t height, uint32_t* stride);

// The complete 24-bit file image of a picture. False for a null pixels
// pointer, a bad size, or no memory.
bool encodebmp(const Picture& pic, std::vector<uint8_t>* out, FileError* why = nullptr);

// `writebmp`: writes the picture as a 24-bit BMP with the safe save (a
// temporary file in the same folder replaces the target only when everything
// was written and flushed; on failure an existing file stays as it was). A
// null pixels pointer fails without touching the file system.
bool writebmp(const char* path, const Picture& pic, FileError* why = nullptr);

}  // namespace pivola::files

#endif
