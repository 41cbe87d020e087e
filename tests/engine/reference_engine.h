// A literal, line-by-line implementation of the warp engine, kept as the
// yardstick that every faster path of the real engine must match bit for bit.
// It trades all speed for obviousness; do not optimise it.
#ifndef PIVOLA_TESTS_REFERENCE_ENGINE_H
#define PIVOLA_TESTS_REFERENCE_ENGINE_H

#include <cstdint>

#include "tramap32.h"

namespace reference {

int allocmap(WarpMap* map, int width, int height, int cols, int rows);
void freemap(WarpMap* map);
void initvert(WarpMap* map);
void initadr(WarpMap* map);
void genmapadr(WarpMap* map);
void mapimg(WarpMap* map, uint32_t* dst, const uint32_t* src, int type, uint32_t background);

}  // namespace reference

#endif
