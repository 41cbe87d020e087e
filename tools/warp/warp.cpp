// The batch warp pipeline and its command line.
#include "warp.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gridlimits.h"
#include "safesave.h"

namespace pivola::warp {

using files::FileError;
using files::Picture;

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Whole-string decimal count, no sign, no spaces.
bool parsecount(const std::string& s, int32_t* n) {
    if (s.empty() || s.size() > 9) return false;
    int32_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *n = v;
    return true;
}

}  // namespace

bool parseinterp(const std::string& s, int* code) {
    const std::string v = lower(s);
    if (v == "nearest" || v == "0")
        *code = TRAMAP_NEAREST;
    else if (v == "bilinear" || v == "1")
        *code = TRAMAP_BILINEAR;
    else if (v == "bicubic" || v == "2")
        *code = TRAMAP_BICUBIC;
    else
        return false;
    return true;
}

bool parsecolor(const std::string& s, uint32_t* pixel) {
    const std::string v = !s.empty() && s[0] == '#' ? s.substr(1) : s;
    if (v.size() != 6) return false;
    uint32_t rgb = 0;
    for (char c : v) {
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0) return false;
        rgb = rgb << 4 | uint32_t(d);
    }
    // Web order 0xRRGGBB to the pixel layout 0x00BBGGRR.
    *pixel = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
    return true;
}

bool parsegrid(const std::string& s, int32_t* cols, int32_t* rows) {
    const std::size_t x = lower(s).find('x');
    if (x == std::string::npos) return false;
    int32_t c, r;
    if (!parsecount(s.substr(0, x), &c) || !parsecount(s.substr(x + 1), &r)) return false;
    if (!files::gridcountok(c) || !files::gridcountok(r)) return false;
    *cols = c;
    *rows = r;
    return true;
}

bool parseargs(const std::vector<std::string>& args, Options* opt, std::string* error) {
    *opt = Options{};
    std::vector<std::string> names;
    bool optionsdone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        if (optionsdone || a.size() < 2 || a[0] != '-') {
            names.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsdone = true;
            continue;
        }
        std::string value;
        bool hasvalue = false;
        if (a.rfind("--", 0) == 0) {
            const std::size_t eq = a.find('=');
            if (eq != std::string::npos) {
                value = a.substr(eq + 1);
                hasvalue = true;
                a = a.substr(0, eq);
            }
        }
        if (a == "-h" || a == "--help") {
            opt->help = true;
            continue;
        }
        if (a == "--version") {
            opt->version = true;
            continue;
        }
        if (a == "-q" || a == "--quiet") {
            opt->quiet = true;
            continue;
        }
        const bool takesvalue = a == "--interp" || a == "--background" || a == "--grid" ||
                                a == "--dp" || a == "-o" || a == "--output-dir";
        if (!takesvalue) {
            *error = "unknown option '" + a + "' (see --help)";
            return false;
        }
        if (!hasvalue) {
            if (i + 1 >= args.size()) {
                *error = "option '" + a + "' needs a value (see --help)";
                return false;
            }
            value = args[++i];
        }
        if (a == "--interp") {
            if (!parseinterp(value, &opt->interp)) {
                *error = "--interp: '" + value + "' is not nearest, bilinear, bicubic, 0, 1 or 2";
                return false;
            }
        } else if (a == "--background") {
            if (!parsecolor(value, &opt->background)) {
                *error = "--background: '" + value + "' is not a colour RRGGBB (six hex digits)";
                return false;
            }
        } else if (a == "--grid") {
            if (!parsegrid(value, &opt->cols, &opt->rows)) {
                *error = "--grid: '" + value + "' is not CxR with counts from " +
                         std::to_string(files::kGridMin) + " to " + std::to_string(files::kGridMax);
                return false;
            }
        } else if (value.empty()) {
            *error = "option '" + a + "' needs a value (see --help)";
            return false;
        } else if (a == "--dp") {
            opt->dp = value;
        } else {
            opt->outdir = value;
        }
    }
    if (opt->help || opt->version) return true;
    if (!opt->outdir.empty()) {
        if (names.empty()) {
            *error = "no input files (see --help)";
            return false;
        }
        opt->inputs = names;
        return true;
    }
    if (names.size() != 2) {
        *error = names.size() < 2 ? "need an input and an output file (see --help)"
                                  : "more than two file names: use -o FOLDER for several "
                                    "inputs (see --help)";
        return false;
    }
    opt->inputs = {names[0]};
    opt->output = names[1];
    return true;
}

FileError loadlattice(const char* path, Lattice* lat) {
    *lat = Lattice{};
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return FileError::cannotopen;
    uint8_t head[files::kDpHeaderBytes];
    const std::size_t got = std::fread(head, 1, sizeof head, f);
    FileError e =
        std::ferror(f) ? FileError::readfailed : files::decodedpheader(head, got, &lat->header);
    if (e == FileError::none) {
        // The header is sound, so the size is small enough to hold.
        const std::size_t need = files::dpfilebytes(lat->header.cols, lat->header.rows);
        lat->bytes.assign(head, head + sizeof head);
        lat->bytes.resize(need);
        const std::size_t rest = need - sizeof head;
        if (std::fread(lat->bytes.data() + sizeof head, 1, rest, f) != rest) {
            e = FileError::readfailed;
        }
    }
    std::fclose(f);
    if (e != FileError::none) *lat = Lattice{};
    return e;
}

FileError warppicture(const Picture& doc, const Options& opt, const Lattice* lat, Picture* out) {
    *out = Picture{};
    const int32_t W = doc.width, H = doc.height;
    const int32_t cols = lat ? lat->header.cols : opt.cols;
    const int32_t rows = lat ? lat->header.rows : opt.rows;
    WarpMap map{};
    if (!allocmap(&map, W, H, cols, rows)) return FileError::nomemory;
    if (lat) {
        files::decodedparrays(lat->bytes.data(), lat->bytes.size(), &map);
        if (lat->header.width != W || lat->header.height != H) {
            files::scaledp(&map, lat->header.width, lat->header.height);
        }
    }
    Picture full;
    if (!files::allocpicture(&full, W, H) ||
        !files::allocpicture(out, W - 2 * files::kBorder, H - 2 * files::kBorder)) {
        files::clearpicture(&full);
        freemap(&map);
        return FileError::nomemory;
    }
    genmapadr(&map);
    mapimg(&map, full.pixels, doc.pixels, opt.interp, opt.background);
    freemap(&map);
    for (int32_t y = 0; y < out->height; ++y) {
        std::memcpy(out->pixels + std::size_t(y) * std::size_t(out->width),
                    full.pixels + std::size_t(y + files::kBorder) * std::size_t(W) + files::kBorder,
                    std::size_t(out->width) * 4);
    }
    files::clearpicture(&full);
    return FileError::none;
}

FileError warpfile(const std::string& input, const std::string& output, const Options& opt,
                   const Lattice* lat, std::string* failedpath) {
    *failedpath = input;
    Picture doc{};
    FileError e;
    if (!files::openimg(input.c_str(), &doc, &e)) return e;
    Picture out;
    e = warppicture(doc, opt, lat, &out);
    files::clearpicture(&doc);
    if (e != FileError::none) return e;
    *failedpath = output;
    files::writebmp(output.c_str(), out, &e);
    files::clearpicture(&out);
    return e;
}

std::string outputpath(const std::string& folder, const std::string& input) {
    const std::string name = input.substr(files::folderlength(input));
    if (folder.empty()) return name;
    const bool separated = files::folderlength(folder) == folder.size();
#ifdef _WIN32
    return separated ? folder + name : folder + "\\" + name;
#else
    return separated ? folder + name : folder + "/" + name;
#endif
}

const char* usage() {
    return "Usage: pivola-warp [OPTIONS] INPUT.bmp OUTPUT.bmp\n"
           "       pivola-warp [OPTIONS] -o FOLDER INPUT.bmp...\n"
           "\n"
           "Warps pictures the way the editor's Save As does: the picture gets its\n"
           "two-pixel border, the lattice is laid over it (or taken from a drag-point\n"
           "file and fitted to the picture's size), the picture is resampled through\n"
           "the lattice, and the result is saved as a 24-bit BMP of the input's size.\n"
           "Inputs are uncompressed 1-, 4-, 8- or 24-bit BMP files.\n"
           "\n"
           "Options:\n"
           "  --interp MODE       nearest, bilinear or bicubic (or 0, 1, 2);\n"
           "                      default bicubic\n"
           "  --background RRGGBB colour of areas the lattice leaves uncovered, web\n"
           "                      order (ff0000 is red); default 000000\n"
           "  --grid CxR          lattice of C points across and R down, 3 to 1000;\n"
           "                      default 8x8 (ignored with --dp)\n"
           "  --dp FILE           drag-point file (.DP) saved by the editor; its lattice\n"
           "                      and grid size are used, rescaled to each picture\n"
           "  -o, --output-dir DIR  write each output as DIR/<input file name>; then any\n"
           "                      number of inputs may follow\n"
           "  -q, --quiet         no progress display\n"
           "  -h, --help          this text\n"
           "      --version       the program's version\n"
           "\n"
           "An existing output file is replaced only after the new one is completely\n"
           "written; a failure leaves no partial file. Exit status: 0 when every\n"
           "picture was written, 1 when any failed, 2 for a usage error.\n"
           "\n"
           "Example: pivola-warp --dp face.dp -o out/ a.bmp b.bmp c.bmp\n";
}

}  // namespace pivola::warp
