// View rendering: the view buffer is brought up to date by `refreshview`
// (warp, composition, lattice) and only copied to the window by `paintview`.
#ifndef PIVOLA_CORE_VIEW_H
#define PIVOLA_CORE_VIEW_H

#include <cstdint>

#include "core/state.h"

namespace pivola {

// Recomputes the warp at the display interpolation (unless a hide flag says
// otherwise), recomposes the view buffer, draws the lattice and invalidates.
void refreshview(App& app, Port& port);

// Writes a W x H pixel buffer into the view buffer's top-left corner and the
// background colour into the rest of the minimum 640 x 480 area.
void composeview(App& app, const std::uint32_t* pixels);

// Draws the guide lines and drag points (deformed positions) into the view
// surface and sets the drag-point half-size.
void drawgrid(App& app, Port& port);

// Copies the update rectangle from the view surface at the scroll offsets,
// or fills it with the background brush when there is no view buffer. Runs
// between the port's beginpaint and endpaint.
void paintview(App& app, Port& port, const Rect& update);

// Fills the whole client area with the background brush.
void eraseclient(App& app, Port& port);

}  // namespace pivola

#endif
