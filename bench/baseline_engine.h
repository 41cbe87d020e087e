// The engine before its fast paths (baseline_engine.cpp), for comparison.
#ifndef PIVOLA_BENCH_BASELINE_ENGINE_H
#define PIVOLA_BENCH_BASELINE_ENGINE_H

#include <cstdint>

#include "tramap32.h"

namespace baseline {

void initadr(WarpMap* map);
void genmapadr(WarpMap* map);
void mapimg(WarpMap* map, uint32_t* dst, const uint32_t* src, int type, uint32_t background);

}  // namespace baseline

#endif
