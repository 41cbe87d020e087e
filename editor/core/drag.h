// Dragging drag points with the mouse, the neighbour constraint and the undo
// ring. The handlers answer true when they handled the message; false sends
// it on to the default window procedure.
#ifndef PIVOLA_CORE_DRAG_H
#define PIVOLA_CORE_DRAG_H

#include <cstdint>

#include "core/state.h"

namespace pivola {

bool dragbegin(App& app, Port& port, std::uint32_t keys, std::intptr_t position);
bool dragmove(App& app, Port& port, std::uint32_t keys, std::intptr_t position);
bool dragend(App& app, Port& port, std::uint32_t keys, std::intptr_t position);
bool dragcancel(App& app, Port& port);

struct Hit {
    std::int32_t index = 0;
    std::int32_t col = 0;
    std::int32_t row = 0;
};

// The first deformed drag point, row by row and left to right, within the
// drag-point half-size of (x, y) in both axes.
bool hitpoint(const Document& d, std::int32_t x, std::int32_t y, Hit* hit);

enum class Side { atleast, atmost };

// Limits t against the segment (a1, b1)-(a2, b2) followed along its first
// axis, at the first-axis position s.
void limitline(std::int32_t a1, std::int32_t b1, std::int32_t a2, std::int32_t b2, std::int32_t s,
               std::int32_t& t, Side side);

// Keeps a candidate position of the dragged point (drag state's column and
// row) inside the outline of its eight neighbours and inside the picture.
void limitpoint(const Document& d, std::int32_t& x, std::int32_t& y);

void pushundo(UndoRing& ring, std::int32_t index, std::int32_t x, std::int32_t y);
// False (and nothing changed) when the ring is empty.
bool popundo(UndoRing& ring, UndoEntry* entry);
void clearundo(UndoRing& ring);

// The Undo command: puts the most recently dragged point back. False when
// the document is not loaded or there is nothing to undo.
bool undolast(App& app, Port& port);

// Ends a drag in progress without recording it (the document is about to
// be replaced).
void abandondrag(App& app, Port& port);

}  // namespace pivola

#endif
