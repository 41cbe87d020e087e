// The range of grid counts (drag points across or down) the editor accepts,
// from the grid-size dialog, a drag-point file or a settings file.
//
// At least 3: the smallest lattice with an inner point to drag. At most 1000:
// a 1000 x 1000 lattice takes 4 MB per grid array (16 MB for the four), which
// a 32-bit process can always allocate next to its pictures, and the product
// cols * rows * 4 stays far from the 32-bit limit; 1000 points across is
// already finer than any picture on screen can show as separate handles.
#ifndef PIVOLA_FILES_GRIDLIMITS_H
#define PIVOLA_FILES_GRIDLIMITS_H

#include <cstdint>

namespace pivola::files {

inline constexpr int32_t kGridMin = 3;
inline constexpr int32_t kGridMax = 1000;

inline constexpr bool gridcountok(int32_t n) {
    return n >= kGridMin && n <= kGridMax;
}

}  // namespace pivola::files

#endif
