// Output rendering: the warped picture at the output interpolation, border
// removed, written to a .BMP file or put on the clipboard.
#ifndef PIVOLA_CORE_OUTPUT_H
#define PIVOLA_CORE_OUTPUT_H

#include <cstdint>

#include "core/state.h"

namespace pivola {

// Renders and saves to path, or copies to the clipboard when path is null.
// False when the document is not loaded, memory runs out, or the writer or
// the clipboard fails; the document and the view are never changed.
bool outputimg(App& app, Port& port, const char* path);

// `copyimg`: puts a width x height picture (editor layout) on the clipboard
// as a 24-bit CF_DIB block.
bool copyimg(Port& port, const std::uint32_t* pixels, std::int32_t width, std::int32_t height);

}  // namespace pivola

#endif
