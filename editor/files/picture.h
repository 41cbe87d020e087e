// The picture record and the pixel helpers shared by every import path.
//
// A picture is rows of 32-bit pixels, top row first, no padding between rows.
// The editor's pixel layout is 0x00BBGGRR (byte 0 red, byte 1 green, byte 2
// blue, byte 3 carries no colour). Clipboard buffers arrive in device-
// independent-bitmap order 0x00RRGGBB and are swapped on the way in.
#ifndef PIVOLA_FILES_PICTURE_H
#define PIVOLA_FILES_PICTURE_H

#include <cstddef>
#include <cstdint>

namespace pivola::files {

// The four fields in this order: pixels, byte size (width * height * 4),
// width, height. An empty record has all four zero.
struct Picture {
    uint32_t* pixels;
    int32_t bytesize;
    int32_t width;
    int32_t height;
};

// Width of the clamp-to-edge border around the document picture.
inline constexpr int32_t kBorder = 2;

// width * height * 4 as a signed 32-bit byte count. False (and *bytes left
// alone) when width or height is below 1 or the product does not fit; on
// 32-bit Windows size_t is 32 bits, so every allocation size goes through here.
bool picturebytes(int32_t width, int32_t height, int32_t* bytes);

// Allocates a zero-filled width x height pixel block (std::calloc) and fills
// all four fields. On failure (bad size, no memory) the record is all zero.
// Any pixels the record held before are not freed.
bool allocpicture(Picture* pic, int32_t width, int32_t height);

// `freebmp`: releases the pixel block (std::free) if the pointer is not null.
// The record itself is not cleared.
void freebmp(const Picture& pic);

// Releases the pixel block and sets all four fields to zero.
void clearpicture(Picture* pic);

// Swaps bytes 0 and 2 of count pixels in place (red and blue change places;
// bytes 1 and 3 stay).
void swaprb(uint32_t* pixels, std::size_t count);

// The border rule, applied to a document picture whose inner area (columns 2
// to width - 3, rows 2 to height - 3) already holds the picture: every outer
// pixel takes the value of the nearest inner pixel (clamp to edge). Fill
// order: the two top and two bottom rows along the inner columns, then the
// two left and two right columns along the inner rows, then the four 2 x 2
// corners. Does nothing when the record is smaller than 5 x 5 or has no pixels.
void fillborder(Picture* doc);

// Makes a document picture from a width x height source: frees what *doc held
// and clears it, allocates (width + 4) x (height + 4) pixels, copies source
// pixel (x, y) to (x + 2, y + 2) — swapping bytes 0 and 2 when swap is
// true, for clipboard buffers in DIB order — and fills the border. On failure
// *doc is all zero. File import and clipboard import both go through here.
bool addborder(const uint32_t* src, int32_t width, int32_t height, bool swap, Picture* doc);

}  // namespace pivola::files

#endif
