/*
 * tramap32 — piecewise-affine warp engine.
 *
 * The engine keeps no state of its own: everything about one warp lives in a
 * caller-owned WarpMap record. allocmap() sizes the record and lays out an even
 * lattice; genmapadr() turns the original and the deformed lattice into the
 * address map (a source position for every destination pixel); mapimg()
 * resamples a picture through the address map.
 *
 * Usable from C and C++. On 32-bit Windows the record is 60 bytes, every field
 * four bytes wide, and the six operations use the C calling convention.
 */
#ifndef TRAMAP32_H
#define TRAMAP32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(TRAMAP32_BUILDING)
#define TRAMAP32_API __declspec(dllexport)
#else
#define TRAMAP32_API
#endif
#if defined(_WIN32) && defined(__i386__)
#define TRAMAP32_CALL __cdecl
#else
#define TRAMAP32_CALL
#endif

typedef struct WarpMap {
    int32_t* orgx;    /* original lattice x, cols * rows entries, row-major */
    int32_t* orgy;    /* original lattice y */
    int32_t* defx;    /* deformed lattice x (where the user dragged each point) */
    int32_t* defy;    /* deformed lattice y */
    float* adrx;      /* source x of every destination pixel; -1.0 = no source */
    float* adry;      /* source y of every destination pixel; -1.0 = no source */
    int32_t width;    /* picture width in pixels */
    int32_t height;   /* picture height in pixels */
    int32_t lastx;    /* width - 1 */
    int32_t lasty;    /* height - 1 */
    int32_t cols;     /* lattice points across */
    int32_t rows;     /* lattice points down */
    int32_t cellcols; /* cols - 1 */
    int32_t cellrows; /* rows - 1 */
    uint32_t npixels; /* width * height */
} WarpMap;

/* Interpolation codes of mapimg(). */
enum { TRAMAP_NEAREST = 0, TRAMAP_BILINEAR = 1, TRAMAP_BICUBIC = 2 };

/* Clears the record, sizes it for a width x height picture and a cols x rows
 * lattice, allocates the six arrays and lays out the even lattice in both the
 * original and the deformed arrays. The address map is left undefined.
 * Returns 1 on success. Returns 0, with all six pointers null, when an
 * allocation fails or the arguments are unusable (cols or rows below 2,
 * width or height below 1, an array whose byte count does not fit 32 bits). */
TRAMAP32_API int TRAMAP32_CALL allocmap(WarpMap* map, int width, int height, int cols, int rows);

/* Releases the six arrays and nulls their pointers; the size fields stay.
 * Safe on a zero-filled record and when called twice. */
TRAMAP32_API void TRAMAP32_CALL freemap(WarpMap* map);

/* Resets both lattices to the even initial lattice. */
TRAMAP32_API void TRAMAP32_CALL initvert(WarpMap* map);

/* Marks every address-map entry as having no source (-1.0). */
TRAMAP32_API void TRAMAP32_CALL initadr(WarpMap* map);

/* Computes the smoothed address map from the original and deformed lattices. */
TRAMAP32_API void TRAMAP32_CALL genmapadr(WarpMap* map);

/* Builds the warped picture dst from src through the address map, with the
 * interpolation code type (0, 1, 2; any other code leaves dst untouched) and
 * the background pixel value for destinations without a usable source. */
TRAMAP32_API void TRAMAP32_CALL mapimg(WarpMap* map, uint32_t* dst, const uint32_t* src, int type,
                                       uint32_t background);

#ifdef __cplusplus
}
#endif

#if defined(_WIN32) && defined(__i386__)
#ifdef __cplusplus
static_assert(sizeof(WarpMap) == 60, "WarpMap must be 60 bytes on 32-bit Windows");
#else
_Static_assert(sizeof(WarpMap) == 60, "WarpMap must be 60 bytes on 32-bit Windows");
#endif
#endif

#endif /* TRAMAP32_H */
