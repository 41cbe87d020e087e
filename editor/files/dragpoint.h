// The drag-point file (.DP): a 256-byte header (W, H, grid columns, grid rows
// as little-endian int32, then 240 zero bytes) followed by the four lattice
// arrays orgx, orgy, defx, defy, each cols * rows int32 in row-major order.
// W and H are the size of the bordered document picture the lattice was made
// for.
//
// Before anything reaches the warp map, a header is checked: grid counts must
// lie in kGridMin..kGridMax (so cols * rows * 4 always fits), W and H must be
// at least 1, and the file must be long enough for the four arrays.
// Coordinates are taken as they stand (the engine clips whatever it is given).
#ifndef PIVOLA_FILES_DRAGPOINT_H
#define PIVOLA_FILES_DRAGPOINT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "fileerror.h"
#include "gridlimits.h"
#include "tramap32.h"

namespace pivola::files {

inline constexpr std::size_t kDpHeaderBytes = 256;

struct DpHeader {
    int32_t width;   // W: document picture width the lattice was made for
    int32_t height;  // H
    int32_t cols;    // grid columns
    int32_t rows;    // grid rows
};

// File size for a header's counts: 256 + 16 * cols * rows (counts in range).
std::size_t dpfilebytes(int32_t cols, int32_t rows);

// FileError::none when the header may reach the warp map; badcounts for grid
// counts out of range, badsize for W or H below 1.
FileError checkdpheader(const DpHeader& h);

// Decodes the first 256 bytes: readfailed when size < 256, otherwise the
// verdict of checkdpheader (the fields are filled in either case).
FileError decodedpheader(const uint8_t* bytes, std::size_t size, DpHeader* h);

// Reads the four arrays behind the 256-byte header into an allocated map
// (map->cols * map->rows entries each). False when the bytes end before the
// last array does; the arrays are then partly filled.
bool decodedparrays(const uint8_t* bytes, std::size_t size, WarpMap* map);

// Header (W = map.width, H = map.height, map.cols, map.rows) and the four
// arrays. False when the map holds no arrays or the counts are out of range.
bool encodedp(const WarpMap& map, std::vector<uint8_t>* out);

// `savedp`'s file half, through the safe save: cannotopen when the temporary
// file cannot be created, writefailed when a write, the flush or the replace
// fails (an existing file then stays as it was), none on success.
FileError savedpfile(const char* path, const WarpMap& map);

// `loaddp`'s file half in the steps the editor needs around its confirmation
// question: open, read and check the header, then (after freemap / allocmap
// for the header's counts) read the arrays. The file closes with the object.
class DpReader {
  public:
    DpReader() = default;
    DpReader(const DpReader&) = delete;
    DpReader& operator=(const DpReader&) = delete;
    ~DpReader();

    FileError open(const char* path);  // cannotopen or none
    // readfailed when the header is short or the file too short for the
    // arrays it announces; badcounts, badsize; or none.
    FileError readheader(DpHeader* h);
    bool readarrays(WarpMap* map);  // false when the file ends early
    void close();

  private:
    std::FILE* file_ = nullptr;
};

// The whole load for callers without a confirmation step (the batch tool):
// reads and checks the header, replaces *map (freemap, then allocmap for the
// picture size width x height and the file's counts), reads the arrays and
// rescales them with scaledp when the file was made for another size. A file
// refused with its header (short, bad counts or sizes, too short for its
// arrays) leaves *map untouched; a later failure leaves it without arrays.
// *header (if given) receives the header.
FileError loaddpfile(const char* path, int32_t width, int32_t height, WarpMap* map,
                     DpHeader* header = nullptr);

// `scaledp`: rescales the four arrays in place from a filew x fileh document
// to map->width x map->height. For x: v == filew - 1 gives width - 1;
// otherwise t = v * (width / filew) + 0.5 in double precision (the quotient
// formed once), t < 0 gives 0, t >= width gives width - 1, else trunc(t).
// y alike with fileh and height. Both axes are always rescaled.
void scaledp(WarpMap* map, int32_t filew, int32_t fileh);

}  // namespace pivola::files

#endif
