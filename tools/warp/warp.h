// The batch warp: what the editor's Save As does, from the command line.
#ifndef PIVOLA_TOOLS_WARP_H
#define PIVOLA_TOOLS_WARP_H

#include <cstdint>
#include <string>
#include <vector>

#include "bmp.h"
#include "dragpoint.h"

namespace pivola::warp {

struct Options {
    int interp = TRAMAP_BICUBIC;
    uint32_t background = 0;  // pixel layout 0x00BBGGRR
    int32_t cols = 8;
    int32_t rows = 8;
    std::string dp;      // drag-point file, empty for none
    std::string outdir;  // -o: output folder, empty for the two-name form
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> inputs;
    std::string output;  // two-name form only
};

// Parses the arguments after the program name. False with *error set for a
// bad option or value, or a wrong number of file names.
bool parseargs(const std::vector<std::string>& args, Options* opt, std::string* error);

// "nearest" / "bilinear" / "bicubic" / "0" / "1" / "2" (any letter case).
bool parseinterp(const std::string& s, int* code);
// "RRGGBB" (web order, optional leading '#') to 0x00BBGGRR.
bool parsecolor(const std::string& s, uint32_t* pixel);
// "CxR" with both counts in kGridMin..kGridMax.
bool parsegrid(const std::string& s, int32_t* cols, int32_t* rows);

// A drag-point file held in memory, checked once and applied to each picture.
struct Lattice {
    files::DpHeader header{};
    std::vector<uint8_t> bytes;
};

// Reads and checks a drag-point file: header, counts, and that the file holds
// all four arrays.
files::FileError loadlattice(const char* path, Lattice* lat);

// The warp of one document picture (with its border) into the output picture
// (without it): lattice of cols x rows or the drag-point file's, rescaled by
// scaledp when made for another size; genmapadr; mapimg at interp with the
// background; the inner area cut out. *out is a new picture (freebmp it).
files::FileError warppicture(const files::Picture& doc, const Options& opt, const Lattice* lat,
                             files::Picture* out);

// openimg, warppicture, writebmp. On failure *failedpath names the file the
// reason belongs to and no output file is left behind.
files::FileError warpfile(const std::string& input, const std::string& output, const Options& opt,
                          const Lattice* lat, std::string* failedpath);

// Output name for an input in folder mode: the folder joined with the
// input's file name.
std::string outputpath(const std::string& folder, const std::string& input);

// The text of --help.
const char* usage();

}  // namespace pivola::warp

#endif
