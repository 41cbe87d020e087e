// The settings file (.INF): one 3072-byte little-endian record.
//
//   0   16 x colour  custom colours          68  int32  grid columns
//   64  colour       drag-point colour       72  int32  grid rows
//   76  int32        output interpolation    80  reserved (0, never read)
//   84  int32        display interpolation   88..100  flags: hide result, hide
//   104 colour       background colour                drag points, hide image,
//   108..3071        zero                             one-pixel drag points
//
// Reading accepts 256 to 3072 bytes (missing fields read as zero; bytes past
// 3072 are not read). An interpolation code 1 is bilinear, 2 bicubic, any
// other value nearest neighbour; a flag is set only when its field is exactly
// 1. Grid counts outside kGridMin..kGridMax make the whole file refused
// (FileError::badcounts): this program never writes such counts, and a
// refused file changes no setting, which a clamped one would not promise.
//
// Which menu items are checked is the editor's business: it fills a Settings
// from its check marks before saving and sets them from one after loading.
#ifndef PIVOLA_FILES_SETTINGS_H
#define PIVOLA_FILES_SETTINGS_H

#include <cstddef>
#include <cstdint>

#include "fileerror.h"
#include "gridlimits.h"

namespace pivola::files {

inline constexpr std::size_t kSettingsBytes = 3072;
inline constexpr std::size_t kSettingsMinBytes = 256;

struct Settings {
    uint32_t customcolors[16];  // colour dialog's custom colours, 0x00BBGGRR
    uint32_t pointcolor;        // drag-point colour
    int32_t gridcols;
    int32_t gridrows;
    int32_t outinterp;   // 0 nearest, 1 bilinear, 2 bicubic
    int32_t dispinterp;  // same codes
    bool hideresult;
    bool hidepoints;
    bool hideimage;
    bool onepixel;
    uint32_t background;  // background colour
};

// The values at every start: custom colours white, drag points blue
// (0x00FF0000), grid 8 x 8, output bicubic, display nearest, no flags,
// background black.
Settings defaultsettings();

// Writes the 3072-byte record. Interpolation codes outside 0..2 are written
// as 0 (nearest neighbour).
void encodesettings(const Settings& s, uint8_t out[kSettingsBytes]);

// Reads a record of size bytes (only the first 3072 are used). readfailed for
// fewer than 256 bytes, badcounts for grid counts out of range; *s is changed
// only on success.
FileError decodesettings(const uint8_t* bytes, std::size_t size, Settings* s);

// `savesettings`' file half, through the safe save: cannotopen, writefailed
// or none. An existing file survives a failed save.
FileError savesettingsfile(const char* path, const Settings& s);

// `loadsettings`' file half: cannotopen, readfailed, badcounts or none; *s is
// changed only on success.
FileError loadsettingsfile(const char* path, Settings* s);

}  // namespace pivola::files

#endif
