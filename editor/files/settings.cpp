// The 3072-byte settings record.
#include "settings.h"

#include <cstdio>
#include <cstring>

#include "le.h"
#include "safesave.h"

namespace pivola::files {

namespace {

enum Offset : std::size_t {
    kCustom = 0,
    kPointColor = 64,
    kGridCols = 68,
    kGridRows = 72,
    kOutInterp = 76,
    kDispInterp = 84,
    kHideResult = 88,
    kHidePoints = 92,
    kHideImage = 96,
    kOnePixel = 100,
    kBackground = 104,
};

int32_t writtencode(int32_t code) {
    return code >= 0 && code <= 2 ? code : 0;
}
int32_t readcode(int32_t code) {
    return code == 1 || code == 2 ? code : 0;
}

}  // namespace

Settings defaultsettings() {
    Settings s{};
    for (uint32_t& c : s.customcolors) c = 0x00FFFFFFu;
    s.pointcolor = 0x00FF0000u;
    s.gridcols = 8;
    s.gridrows = 8;
    s.outinterp = 2;
    s.dispinterp = 0;
    s.background = 0x00000000u;
    return s;
}

void encodesettings(const Settings& s, uint8_t out[kSettingsBytes]) {
    std::memset(out, 0, kSettingsBytes);
    for (int i = 0; i < 16; ++i) le::put32(out + kCustom + 4 * i, s.customcolors[i]);
    le::put32(out + kPointColor, s.pointcolor);
    le::puti32(out + kGridCols, s.gridcols);
    le::puti32(out + kGridRows, s.gridrows);
    le::puti32(out + kOutInterp, writtencode(s.outinterp));
    le::puti32(out + kDispInterp, writtencode(s.dispinterp));
    le::puti32(out + kHideResult, s.hideresult ? 1 : 0);
    le::puti32(out + kHidePoints, s.hidepoints ? 1 : 0);
    le::puti32(out + kHideImage, s.hideimage ? 1 : 0);
    le::puti32(out + kOnePixel, s.onepixel ? 1 : 0);
    le::put32(out + kBackground, s.background);
}

FileError decodesettings(const uint8_t* bytes, std::size_t size, Settings* s) {
    if (!bytes || size < kSettingsMinBytes) return FileError::readfailed;
    uint8_t rec[kSettingsBytes] = {};
    std::memcpy(rec, bytes, size < kSettingsBytes ? size : kSettingsBytes);
    Settings r{};
    r.gridcols = le::geti32(rec + kGridCols);
    r.gridrows = le::geti32(rec + kGridRows);
    if (!gridcountok(r.gridcols) || !gridcountok(r.gridrows)) return FileError::badcounts;
    for (int i = 0; i < 16; ++i) r.customcolors[i] = le::get32(rec + kCustom + 4 * i);
    r.pointcolor = le::get32(rec + kPointColor);
    r.outinterp = readcode(le::geti32(rec + kOutInterp));
    r.dispinterp = readcode(le::geti32(rec + kDispInterp));
    r.hideresult = le::geti32(rec + kHideResult) == 1;
    r.hidepoints = le::geti32(rec + kHidePoints) == 1;
    r.hideimage = le::geti32(rec + kHideImage) == 1;
    r.onepixel = le::geti32(rec + kOnePixel) == 1;
    r.background = le::get32(rec + kBackground);
    *s = r;
    return FileError::none;
}

FileError savesettingsfile(const char* path, const Settings& s) {
    uint8_t rec[kSettingsBytes];
    encodesettings(s, rec);
    SafeFile file;
    if (!file.open(path)) return FileError::cannotopen;
    if (!file.write(rec, sizeof rec) || !file.commit()) return FileError::writefailed;
    return FileError::none;
}

FileError loadsettingsfile(const char* path, Settings* s) {
    std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return FileError::cannotopen;
    uint8_t rec[kSettingsBytes];
    const std::size_t got = std::fread(rec, 1, sizeof rec, f);
    const bool error = std::ferror(f) != 0;
    std::fclose(f);
    if (error) return FileError::readfailed;
    return decodesettings(rec, got, s);
}

}  // namespace pivola::files
