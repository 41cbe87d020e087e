// Pieces of address-map generation shared between the engine's files.
#ifndef TRAMAP32_ADDRMAP_INTERNAL_H
#define TRAMAP32_ADDRMAP_INTERNAL_H

#include <cstddef>

#include "isa.h"
#include "tramap32.h"

namespace tramap32_internal {

// The whole address map (addrmap.cpp): cleared, drawn and smoothed band by
// band. pixeltest forces the per-pixel edge test for every triangle.
void genmap(WarpMap* m, Isa isa, bool pixeltest);

// Columns the smoothing's row buffer holds: pictures up to this wide are
// smoothed in the same sweep as they are drawn.
constexpr int kRowBuffer = 8192;

// Both smoothing passes over one width x height array, fed band by band
// (smooth.cpp): rows(y0, y1) is called for consecutive bands from the top as
// soon as their rows are drawn, then finish() once.
class Smoother {
  public:
    Smoother(float* a, int width, int height, Isa isa);
    void rows(int y0, int y1);
    void finish();

  private:
    float* row(int y) const { return a_ + size_t(y) * size_t(w_); }
    float* a_;
    int w_, h_;
    void (*pass1_)(float* row, int w);
    void (*pass2_)(float* prev, float* row, const float* next, int count);
    int next_ = 1;  // next row for pass 2
    float prev_[kRowBuffer];
};

// Both passes over a whole array at once.
void smoothmap(float* a, int width, int height, Isa isa);

}  // namespace tramap32_internal

#endif
