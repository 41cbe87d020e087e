#include "core/drag.h"

#include <algorithm>
#include <cmath>

#include "core/view.h"
#include "platform/messages.h"

namespace pivola {

namespace {

std::int32_t clampto(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Mouse position to picture position: signed 16-bit client coordinates plus
// the scroll offsets, clamped to the picture.
void topicture(const Document& d, std::intptr_t position, std::int32_t& x, std::int32_t& y) {
    x = clampto(loword_signed(position) + d.hoff, 0, d.width() - 1);
    y = clampto(hiword_signed(position) + d.voff, 0, d.height() - 1);
}

// Ctrl alone keeps x, Shift alone keeps y; both or neither leave it free.
void axislock(const DragState& g, std::uint32_t keys, std::int32_t& x, std::int32_t& y) {
    const bool ctrl = (keys & mk::control) != 0;
    const bool shift = (keys & mk::shift) != 0;
    if (ctrl && !shift) x = g.x0;
    if (shift && !ctrl) y = g.y0;
}

void movepoint(App& app, Port& port, std::int32_t x, std::int32_t y) {
    Document& d = app.doc;
    limitpoint(d, x, y);
    d.map.defx[d.drag.index] = x;
    d.map.defy[d.drag.index] = y;
    refreshview(app, port);
}

// A drag state is usable only while its point lies in the current lattice.
bool dragvalid(const Document& d) {
    return d.drag.active && d.drag.col >= 0 && d.drag.col < d.map.cols && d.drag.row >= 0 &&
           d.drag.row < d.map.rows;
}

}  // namespace

bool hitpoint(const Document& d, std::int32_t x, std::int32_t y, Hit* hit) {
    if (d.map.orgx == nullptr) return false;
    const std::int32_t h = d.halfsize;
    for (std::int32_t r = 0; r < d.map.rows; ++r) {
        for (std::int32_t c = 0; c < d.map.cols; ++c) {
            const std::int32_t i = r * d.map.cols + c;
            const std::int32_t px = d.map.defx[i];
            const std::int32_t py = d.map.defy[i];
            if (x - h <= px && px <= x + h && y - h <= py && py <= y + h) {
                *hit = Hit{i, c, r};
                return true;
            }
        }
    }
    return false;
}

void limitline(std::int32_t a1, std::int32_t b1, std::int32_t a2, std::int32_t b2, std::int32_t s,
               std::int32_t& t, Side side) {
    if (s < a1 || s > a2) return;
    if (a1 == a2) {
        const std::int32_t lo = b1 < b2 ? b1 : b2;
        const std::int32_t hi = b1 < b2 ? b2 : b1;
        t = clampto(t, lo, hi);
        return;
    }
    const double along = static_cast<double>(s) - a1;
    const double rise = static_cast<double>(b2) - b1;
    const double run = static_cast<double>(a2) - a1;
    // Lattices loaded from a drag-point file may hold any 32-bit values, so
    // the segment's t is formed in double and kept within the int range.
    const double exact = static_cast<double>(b1) + std::trunc(along * rise / run + 0.5);
    const std::int32_t tl =
        static_cast<std::int32_t>(std::clamp(exact, -2147483648.0, 2147483647.0));
    if (side == Side::atleast) {
        if (t <= tl) t = tl;
    } else {
        if (t >= tl) t = tl;
    }
}

void limitpoint(const Document& d, std::int32_t& x, std::int32_t& y) {
    const WarpMap& m = d.map;
    const std::int32_t cols = m.cols;
    const std::int32_t rows = m.rows;
    const std::int32_t r = d.drag.row;
    const std::int32_t c = d.drag.col;
    struct P {
        std::int32_t x, y;
    };
    auto at = [&](std::int32_t rr, std::int32_t cc) {
        const std::int32_t i = rr * cols + cc;
        return P{m.defx[i], m.defy[i]};
    };
    const bool up = r > 0;
    const bool down = r < rows - 1;
    const bool left = c > 0;
    const bool right = c < cols - 1;
    auto jump = [&](P p) {
        x = p.x;
        y = p.y;
    };

    if (up && left) {  // 1: UL-U, y at least
        const P ul = at(r - 1, c - 1), u = at(r - 1, c);
        limitline(ul.x, ul.y, u.x, u.y, x, y, Side::atleast);
        if (x < ul.x && x < u.x && y < ul.y) jump(ul);
    }
    if (up && right) {  // 2: U-UR, y at least
        const P u = at(r - 1, c), ur = at(r - 1, c + 1);
        limitline(u.x, u.y, ur.x, ur.y, x, y, Side::atleast);
        if (x > u.x && x > ur.x && y < ur.y) jump(ur);
    }
    if (down && left) {  // 3: DL-D, y at most
        const P dl = at(r + 1, c - 1), dn = at(r + 1, c);
        limitline(dl.x, dl.y, dn.x, dn.y, x, y, Side::atmost);
        if (x < dl.x && x < dn.x && y > dl.y) jump(dl);
    }
    if (down && right) {  // 4: D-DR, y at most
        const P dn = at(r + 1, c), dr = at(r + 1, c + 1);
        limitline(dn.x, dn.y, dr.x, dr.y, x, y, Side::atmost);
        if (x > dn.x && x > dr.x && y > dr.y) jump(dr);
    }
    if (left && up) {  // 5: UL-L along y, x at least
        const P ul = at(r - 1, c - 1), l = at(r, c - 1);
        limitline(ul.y, ul.x, l.y, l.x, y, x, Side::atleast);
        if (y < ul.y && y < l.y && x < ul.x) jump(ul);
    }
    if (left && down) {  // 6: L-DL along y, x at least
        const P l = at(r, c - 1), dl = at(r + 1, c - 1);
        limitline(l.y, l.x, dl.y, dl.x, y, x, Side::atleast);
        if (y > l.y && y > dl.y && x < dl.x) jump(dl);
    }
    if (right && up) {  // 7: UR-R along y, x at most
        const P ur = at(r - 1, c + 1), rt = at(r, c + 1);
        limitline(ur.y, ur.x, rt.y, rt.x, y, x, Side::atmost);
        if (y < ur.y && y < rt.y && x > ur.x) jump(ur);
    }
    if (right && down) {  // 8: R-DR along y, x at most
        const P rt = at(r, c + 1), dr = at(r + 1, c + 1);
        limitline(rt.y, rt.x, dr.y, dr.x, y, x, Side::atmost);
        if (y > rt.y && y > dr.y && x > dr.x) jump(dr);
    }
    x = clampto(x, 0, m.lastx);
    y = clampto(y, 0, m.lasty);
}

bool dragbegin(App& app, Port& port, std::uint32_t keys, std::intptr_t position) {
    Document& d = app.doc;
    if (!loaded(d)) return false;
    std::int32_t x, y;
    topicture(d, position, x, y);
    Hit hit;
    if (!hitpoint(d, x, y, &hit)) return false;
    d.drag.index = hit.index;
    d.drag.col = hit.col;
    d.drag.row = hit.row;
    d.drag.x0 = d.map.defx[hit.index];
    d.drag.y0 = d.map.defy[hit.index];
    axislock(d.drag, keys, x, y);
    movepoint(app, port, x, y);
    port.capturemouse();
    d.drag.active = true;
    return true;
}

bool dragmove(App& app, Port& port, std::uint32_t keys, std::intptr_t position) {
    Document& d = app.doc;
    if (!loaded(d) || !dragvalid(d) || (keys & mk::lbutton) == 0) return false;
    std::int32_t x, y;
    topicture(d, position, x, y);
    axislock(d.drag, keys, x, y);
    movepoint(app, port, x, y);
    return true;
}

bool dragend(App& app, Port& port, std::uint32_t keys, std::intptr_t position) {
    Document& d = app.doc;
    if (!loaded(d) || !dragvalid(d)) return false;
    std::int32_t x, y;
    topicture(d, position, x, y);
    axislock(d.drag, keys, x, y);
    if (x != d.map.defx[d.drag.index] || y != d.map.defy[d.drag.index]) movepoint(app, port, x, y);
    pushundo(d.undo, d.drag.index, d.drag.x0, d.drag.y0);
    port.releasemouse();
    d.drag.active = false;
    return true;
}

bool dragcancel(App& app, Port& port) {
    Document& d = app.doc;
    if (!loaded(d) || !dragvalid(d)) return false;
    d.map.defx[d.drag.index] = d.drag.x0;
    d.map.defy[d.drag.index] = d.drag.y0;
    refreshview(app, port);
    port.releasemouse();
    d.drag.active = false;
    return true;
}

void abandondrag(App& app, Port& port) {
    if (!app.doc.drag.active) return;
    app.doc.drag.active = false;
    port.releasemouse();
}

void pushundo(UndoRing& ring, std::int32_t index, std::int32_t x, std::int32_t y) {
    ring.slots[ring.head] = UndoEntry{index, x, y};
    ring.head = ring.head == kUndoSlots - 1 ? 0 : ring.head + 1;
    if (ring.head == ring.tail) ring.tail = ring.tail == kUndoSlots - 1 ? 0 : ring.tail + 1;
}

bool popundo(UndoRing& ring, UndoEntry* entry) {
    if (ring.empty()) return false;
    ring.head = ring.head == 0 ? kUndoSlots - 1 : ring.head - 1;
    *entry = ring.slots[ring.head];
    return true;
}

void clearundo(UndoRing& ring) {
    ring.head = 0;
    ring.tail = 0;
}

bool undolast(App& app, Port& port) {
    Document& d = app.doc;
    if (!loaded(d) || d.undo.empty()) return false;
    UndoEntry e;
    popundo(d.undo, &e);
    if (e.index < 0 || e.index >= d.map.cols * d.map.rows) return false;
    d.map.defx[e.index] = e.x;
    d.map.defy[e.index] = e.y;
    refreshview(app, port);
    return true;
}

}  // namespace pivola
