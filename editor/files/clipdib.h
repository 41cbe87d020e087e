// The clipboard's CF_DIB block as pure byte work. The window-system half
// (opening the clipboard, global memory, CF_BITMAP conversion) lives in the
// editor; it hands these functions the block it locked or allocated.
#ifndef PIVOLA_FILES_CLIPDIB_H
#define PIVOLA_FILES_CLIPDIB_H

#include <cstddef>
#include <cstdint>

#include "bmp.h"

namespace pivola::files {

// Size of the block `copyimg` hands over: 40 + stride * height, stride as in a
// 24-bit BMP. False when width or height is below 1 or the size does not fit
// in 32 bits.
bool dibsize(int32_t width, int32_t height, uint32_t* bytes);

// Fills a block of dibsize() bytes with the 40-byte header (biSize 40,
// biWidth, positive biHeight, biPlanes 1, biBitCount 24, BI_RGB, all other
// fields 0) and the rows, bottom row first, each pixel blue, green, red, with
// zero padding. pixels is in the editor's layout (0x00BBGGRR).
void filldib(const uint32_t* pixels, int32_t width, int32_t height, uint8_t* block);

// What `readclip` does with a CF_DIB block of size bytes: accepts biBitCount
// 24 or 32 with BI_RGB (anything else gives null), copies the first 40 bytes
// into *info with biHeight made positive, and returns a new std::malloc'd
// buffer of width * height pixels, top row first, each pixel b0 | b1 << 8 |
// b2 << 16 (DIB order 0x00RRGGBB; the fourth byte of a 32-bit pixel dropped).
// Positive biHeight stores the bottom row first, negative the top row first.
// The rows start behind the header (biSize bytes, at least 40) and a colour
// table of biClrUsed entries if the header announces one; rows or bytes beyond
// the end of the block read as zero. Returns null for a block shorter than
// 40 bytes, biSize below 40, or a size that does not fit in 32 bits. The
// caller frees the buffer with std::free.
uint32_t* parsedib(const uint8_t* block, std::size_t size, BmpInfo* info, FileError* why = nullptr);

// `pasteimg` after the clipboard was read: frees and clears *doc, parses the
// block and makes it the document picture with its border, blue and red
// swapped into the editor's layout. On failure *doc is all zero.
bool pastedib(const uint8_t* block, std::size_t size, Picture* doc, FileError* why = nullptr);

}  // namespace pivola::files

#endif
