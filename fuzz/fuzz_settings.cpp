// Settings reader: any length is accepted or refused cleanly, interpretation
// is total, and a decoded record written again decodes to the same values.
#include <cstring>

#include "fuzz_util.h"
#include "settings.h"

using namespace pivola::files;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings s = defaultsettings();
    const Settings before = s;
    const FileError e = decodesettings(data, size, &s);
    if (e != FileError::none) {
        FUZZ_CHECK(std::memcmp(&s, &before, sizeof s) == 0);
        FUZZ_CHECK(size < kSettingsMinBytes || e == FileError::badcounts);
        return 0;
    }
    FUZZ_CHECK(size >= kSettingsMinBytes);
    FUZZ_CHECK(s.outinterp >= 0 && s.outinterp <= 2 && s.dispinterp >= 0 && s.dispinterp <= 2);
    FUZZ_CHECK(gridcountok(s.gridcols) && gridcountok(s.gridrows));
    uint8_t rec[kSettingsBytes];
    encodesettings(s, rec);
    Settings again{};
    FUZZ_CHECK(decodesettings(rec, sizeof rec, &again) == FileError::none);
    FUZZ_CHECK(std::memcmp(&again, &s, sizeof s) == 0);
    // The colours and counts are carried unchanged.
    FUZZ_CHECK(std::memcmp(rec, data, 76) == 0 && std::memcmp(rec + 104, data + 104, 4) == 0);
    return 0;
}
