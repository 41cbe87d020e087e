#include "fakeport.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/messages.h"

namespace pivola {

namespace {

// The objects a fresh memory surface holds before anything is selected.
constexpr Bitmap kStockBitmap = static_cast<Bitmap>(1);
constexpr Brush kStockBrush = static_cast<Brush>(2);
constexpr Pen kStockPen = static_cast<Pen>(3);
constexpr Colour kStockBrushColour = 0x00FFFFFF;
constexpr Colour kStockPenColour = 0x00000000;

}  // namespace

FakePort::FakePort() = default;

bool FakePort::checked(int id) const {
    return state(id) == mf::checked;
}

std::uint32_t FakePort::state(int id) const {
    auto it = menu.find(id);
    return it == menu.end() ? 0u : it->second;
}

void FakePort::clearrecords() {
    boxes.clear();
    cursors.clear();
    lines.clear();
    rectangles.clear();
    fills.clear();
    ops.clear();
    blits.clear();
    windowfills.clear();
    invalidations = 0;
    erasinginvalidations = 0;
    resizes.clear();
}

const FakePort::FakeBitmap* FakePort::selectedbitmap(Surface s) const {
    auto st = surfacestate.find(s);
    if (st == surfacestate.end()) return nullptr;
    auto b = bitmaps.find(st->second.bitmap);
    return b == bitmaps.end() ? nullptr : &b->second;
}

Colour FakePort::pixel(Surface s, int x, int y) const {
    const FakeBitmap* b = selectedbitmap(s);
    if (b == nullptr || x < 0 || y < 0 || x >= b->width || y >= b->height) return 0xFFFFFFFF;
    const std::uint8_t* p = b->bits.data() + static_cast<std::size_t>(y) * b->stride + 3 * x;
    return static_cast<Colour>(p[2]) | static_cast<Colour>(p[1]) << 8 |
           static_cast<Colour>(p[0]) << 16;
}

Size FakePort::clientsize() const {
    int w = window.width() - frame.left - frame.right - (vbar.shown ? vscrollwidth : 0);
    int h = window.height() - frame.top - frame.bottom - (hbar.shown ? hscrollheight : 0);
    return Size{std::max(w, 0), std::max(h, 0)};
}

void FakePort::plot(Surface s, int x, int y, Colour c) {
    auto st = surfacestate.find(s);
    if (st == surfacestate.end()) return;
    auto b = bitmaps.find(st->second.bitmap);
    if (b == bitmaps.end()) return;
    FakeBitmap& bm = b->second;
    if (x < 0 || y < 0 || x >= bm.width || y >= bm.height) return;
    std::uint8_t* p = bm.bits.data() + static_cast<std::size_t>(y) * bm.stride + 3 * x;
    p[0] = static_cast<std::uint8_t>(c >> 16);
    p[1] = static_cast<std::uint8_t>(c >> 8);
    p[2] = static_cast<std::uint8_t>(c);
}

// --- messages and the window -------------------------------------------------

Answer FakePort::messagebox(const std::string& text, const std::string& caption, BoxKind kind) {
    boxes.push_back(Box{text, caption, kind});
    if (!answers.empty()) {
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return kind == BoxKind::error ? Answer::ok : Answer::no;
}

void FakePort::settitle(const std::string& text) {
    title = text;
    titles.push_back(text);
}

void FakePort::invalidate(bool erase) {
    ++invalidations;
    if (erase) ++erasinginvalidations;
}

void FakePort::capturemouse() {
    captured = true;
    ++captures;
}

void FakePort::releasemouse() {
    captured = false;
    ++releases;
}

void FakePort::setcursor(Cursor cursor) {
    cursors.push_back(cursor);
}

void FakePort::postcommand(std::uintptr_t wparam, std::intptr_t lparam) {
    postedcommands.push_back(Posted{wparam, lparam});
}

void FakePort::postquit(int code) {
    quitcode = code;
}
void FakePort::destroywindow() {
    destroyed = true;
}
void FakePort::acceptdrops() {
    dropsaccepted = true;
}

// --- menus -------------------------------------------------------------------

std::uint32_t FakePort::menustate(int id) {
    auto it = menu.find(id);
    return it == menu.end() ? mf::missing : it->second;
}

void FakePort::checkmenu(int id, bool on) {
    std::uint32_t& s = menu[id];
    s = on ? (s | mf::checked) : (s & ~mf::checked);
}

void FakePort::enablemenu(int id, ItemState st) {
    std::uint32_t& s = menu[id];
    s = (s & ~(mf::grayed | mf::disabled)) | static_cast<std::uint32_t>(st);
}

bool FakePort::ismenubar(std::uintptr_t m) {
    return m == menubar;
}

void FakePort::setindicator(int id, const std::string& text) {
    indicators[id] = text;
    menu[id] = mf::disabled;
    ++indicatorupdates;
}

void FakePort::addsystemitem(int id, const std::string& text) {
    systemitems.emplace_back(id, text);
}

// --- geometry and scroll bars -------------------------------------------------

Rect FakePort::clientrect() {
    const Size s = clientsize();
    return Rect{0, 0, s.width, s.height};
}

Rect FakePort::windowrect() {
    return window;
}

std::uint32_t FakePort::windowstyle() {
    return ws::mainwindow;
}

Rect FakePort::framerect(const Rect& client, std::uint32_t, bool hasmenu) {
    return Rect{client.left - frame.left, client.top - frame.top + (hasmenu ? 0 : menuheight),
                client.right + frame.right, client.bottom + frame.bottom};
}

void FakePort::resizewindow(int width, int height, bool framechanged) {
    resizes.emplace_back(Size{width, height}, framechanged);
    window.right = window.left + width;
    window.bottom = window.top + height;
}

int FakePort::metric(Metric which) {
    switch (which) {
        case Metric::screenwidth:
            return screenwidth;
        case Metric::screenheight:
            return screenheight;
        case Metric::vscrollwidth:
            return vscrollwidth;
        case Metric::hscrollheight:
            return hscrollheight;
    }
    return 0;
}

void FakePort::setscrollpos(ScrollBar bar, int pos, bool) {
    if (bar != ScrollBar::vertical) hbar.pos = pos;
    if (bar != ScrollBar::horizontal) vbar.pos = pos;
}

void FakePort::setscrollrange(ScrollBar bar, int max, int pos, bool) {
    if (bar != ScrollBar::vertical) hbar.max = max, hbar.pos = pos;
    if (bar != ScrollBar::horizontal) vbar.max = max, vbar.pos = pos;
}

void FakePort::showscrollbar(ScrollBar bar, bool show) {
    if (bar != ScrollBar::vertical) hbar.shown = show;
    if (bar != ScrollBar::horizontal) vbar.shown = show;
}

// --- drawing objects ------------------------------------------------------------

Pen FakePort::createpen(Colour colour) {
    if (failpens > 0) {
        --failpens;
        return Pen::none;
    }
    const Pen p = static_cast<Pen>(newhandle());
    pens[p] = colour;
    return p;
}

Brush FakePort::createbrush(Colour colour) {
    if (failbrushes > 0) {
        --failbrushes;
        return Brush::none;
    }
    const Brush b = static_cast<Brush>(newhandle());
    brushes[b] = colour;
    return b;
}

void FakePort::deletepen(Pen pen) {
    ++deletes;
    if (pens.erase(pen) == 0) errors.push_back("delete of an unknown pen");
}

void FakePort::deletebrush(Brush brush) {
    ++deletes;
    if (brushes.erase(brush) == 0) errors.push_back("delete of an unknown brush");
}

Surface FakePort::createsurface() {
    if (failsurface) return Surface::none;
    const Surface s = static_cast<Surface>(newhandle());
    surfaces.insert(s);
    surfacestate[s] = SurfaceState{kStockPen, kStockBrush, kStockBitmap, 0, 0};
    return s;
}

void FakePort::deletesurface(Surface surface) {
    ++deletes;
    if (surfaces.erase(surface) == 0) errors.push_back("delete of an unknown surface");
    surfacestate.erase(surface);
}

ViewBits FakePort::createviewbuffer(int width, int height) {
    if (failviewbuffer || width <= 0 || height <= 0) return ViewBits{};
    const Bitmap b = static_cast<Bitmap>(newhandle());
    FakeBitmap& bm = bitmaps[b];
    bm.width = width;
    bm.height = height;
    bm.stride = (3 * width + 3) / 4 * 4;
    // A fresh DIB section holds zeros; fill with a marker instead so that a
    // test sees every byte the editor failed to write.
    bm.bits.assign(static_cast<std::size_t>(bm.stride) * height, 0xA5);
    return ViewBits{b, bm.bits.data()};
}

void FakePort::deletebitmap(Bitmap bitmap) {
    ++deletes;
    for (const auto& [s, st] : surfacestate) {
        if (st.bitmap == bitmap) {
            // GDI refuses to delete a bitmap selected into a drawing context.
            errors.push_back("delete of a bitmap still selected into a surface");
            return;
        }
    }
    if (bitmaps.erase(bitmap) == 0) errors.push_back("delete of an unknown bitmap");
}

Pen FakePort::selectpen(Surface surface, Pen pen) {
    auto st = surfacestate.find(surface);
    if (st == surfacestate.end() || (pen != kStockPen && pens.count(pen) == 0)) return Pen::none;
    return std::exchange(st->second.pen, pen);
}

Brush FakePort::selectbrush(Surface surface, Brush brush) {
    auto st = surfacestate.find(surface);
    if (st == surfacestate.end() || (brush != kStockBrush && brushes.count(brush) == 0)) {
        return Brush::none;
    }
    return std::exchange(st->second.brush, brush);
}

Bitmap FakePort::selectbitmap(Surface surface, Bitmap bitmap) {
    auto st = surfacestate.find(surface);
    if (st == surfacestate.end() || (bitmap != kStockBitmap && bitmaps.count(bitmap) == 0)) {
        return Bitmap::none;
    }
    return std::exchange(st->second.bitmap, bitmap);
}

namespace {

template <class Map, class Handle, class Stock>
Colour colourof(const Map& m, Handle h, Stock stock, Colour stockcolour) {
    if (h == stock) return stockcolour;
    auto it = m.find(h);
    return it == m.end() ? stockcolour : it->second;
}

}  // namespace

void FakePort::fillrect(Surface surface, const Rect& rect) {
    fills.push_back(rect);
    ops.push_back("fill " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                  std::to_string(rect.right) + "," + std::to_string(rect.bottom));
    auto st = surfacestate.find(surface);
    if (st == surfacestate.end()) return;
    const Colour c = colourof(brushes, st->second.brush, kStockBrush, kStockBrushColour);
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) plot(surface, x, y, c);
}

void FakePort::moveto(Surface surface, int x, int y) {
    auto st = surfacestate.find(surface);
    if (st == surfacestate.end()) return;
    st->second.curx = x;
    st->second.cury = y;
}

void FakePort::lineto(Surface surface, int x, int y) {
    auto st = surfacestate.find(surface);
    if (st == surfacestate.end()) return;
    const Colour c = colourof(pens, st->second.pen, kStockPen, kStockPenColour);
    const int x0 = st->second.curx, y0 = st->second.cury;
    lines.push_back(Line{x0, y0, x, y, c});
    ops.push_back("line " + std::to_string(x0) + "," + std::to_string(y0) + " " +
                  std::to_string(x) + "," + std::to_string(y));
    // Steps along the longer axis; the end pixel is left out, as in GDI.
    const long long dx = x - x0, dy = y - y0;
    const long long n = std::max(std::llabs(dx), std::llabs(dy));
    auto rnd = [](long long num, long long den) {  // to nearest, halves away from zero
        return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
    };
    for (long long i = 0; i < n; ++i) {
        plot(surface, x0 + static_cast<int>(rnd(dx * i, n)), y0 + static_cast<int>(rnd(dy * i, n)),
             c);
    }
    st->second.curx = x;
    st->second.cury = y;
}

void FakePort::rectangle(Surface surface, int left, int top, int right, int bottom) {
    auto st = surfacestate.find(surface);
    if (st == surfacestate.end()) return;
    const Colour pc = colourof(pens, st->second.pen, kStockPen, kStockPenColour);
    const Colour bc = colourof(brushes, st->second.brush, kStockBrush, kStockBrushColour);
    rectangles.push_back(Rectangle{left, top, right, bottom, pc, bc});
    ops.push_back("rect " + std::to_string(left) + "," + std::to_string(top) + "," +
                  std::to_string(right) + "," + std::to_string(bottom));
    // Right and bottom edges excluded: the outline runs on columns left and
    // right - 1 and rows top and bottom - 1; an empty rectangle draws nothing.
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const bool edge = x == left || x == right - 1 || y == top || y == bottom - 1;
            plot(surface, x, y, edge ? pc : bc);
        }
    }
}

// --- the window's own drawing context ---------------------------------------------

Rect FakePort::beginpaint() {
    ++paints;
    painting = true;
    return updaterect;
}

void FakePort::endpaint() {
    painting = false;
}

void FakePort::fillwindow(Brush brush, const Rect& rect) {
    windowfills.push_back(WindowFill{brush, rect});
}

void FakePort::blitwindow(const Rect& rect, Surface surface, int srcx, int srcy) {
    blits.push_back(Blit{rect, surface, srcx, srcy});
}

// --- clipboard ----------------------------------------------------------------------

bool FakePort::openclipboard() {
    if (clipboardlocked || clipopen_) return false;
    clipopen_ = true;
    ++clipboardopens;
    return true;
}

void FakePort::closeclipboard() {
    if (!clipopen_) errors.push_back("clipboard closed without being open");
    clipopen_ = false;
    ++clipboardcloses;
}

int FakePort::priorityformat(const std::vector<std::uint32_t>& formats) {
    if (!clipbitmap && !clipdib) return 0;
    for (std::uint32_t f : formats) {
        if (f == cf::bitmap && clipbitmap) return static_cast<int>(f);
        if (f == cf::dib && clipdib) return static_cast<int>(f);
    }
    return -1;
}

std::optional<std::vector<std::uint8_t>> FakePort::clipboardbitmap() {
    if (!clipopen_) errors.push_back("clipboard read while closed");
    return clipbitmap;
}

std::optional<std::vector<std::uint8_t>> FakePort::clipboarddib() {
    if (!clipopen_) errors.push_back("clipboard read while closed");
    return clipdib;
}

bool FakePort::emptyclipboard() {
    if (!clipopen_) return false;
    clipbitmap.reset();
    clipdib.reset();
    return true;
}

bool FakePort::setclipboarddib(const std::vector<std::uint8_t>& block) {
    if (!clipopen_) return false;
    clipdib = block;
    clipboardsets.push_back(block);
    return true;
}

// --- dialogs ------------------------------------------------------------------------

bool FakePort::filedialog(const FileDialog& dialog, std::string& path) {
    filedialogs.push_back(dialog);
    filedialogpaths.push_back(path);
    if (fileanswers.empty()) return false;
    FileAnswer a = fileanswers.front();
    fileanswers.pop_front();
    if (a.confirm) path = a.path;
    return a.confirm;
}

bool FakePort::choosecolour(Colour& colour, Colour (&)[16]) {
    if (colouranswers.empty()) return false;
    ColourAnswer a = colouranswers.front();
    colouranswers.pop_front();
    if (a.confirm) colour = a.colour;
    return a.confirm;
}

void FakePort::versionpanel(int icon, const std::string& t, const std::string& v,
                            const std::string& n) {
    versions.push_back(Version{icon, t, v, n});
}

// --- process, libraries, drops ------------------------------------------------------------

bool FakePort::claiminstance(const char*) {
    return !instancetaken;
}

Library FakePort::loadlibrary(const char* name) {
    libraryloads.emplace_back(name);
    if (libraries.count(name) == 0) return Library::none;
    const Library l = static_cast<Library>(newhandle());
    loaded_[l] = name;
    return l;
}

void* FakePort::findfunction(Library library, const char* name) {
    auto it = loaded_.find(library);
    if (it == loaded_.end()) return nullptr;
    auto f = functions.find(it->second);
    if (f == functions.end() || f->second.count(name) == 0) return nullptr;
    // Any non-null address identifies the function; it is never called here.
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(library));
}

void FakePort::freelibrary(Library library) {
    auto it = loaded_.find(library);
    if (it == loaded_.end()) {
        errors.push_back("free of an unknown library");
        return;
    }
    libraryfrees.push_back(it->second);
    loaded_.erase(it);
}

std::string FakePort::droppedfile(std::uintptr_t) {
    if (dropfiles.empty()) return {};
    return dropfiles.front().substr(0, 260);
}

void FakePort::releasedrop(std::uintptr_t drop) {
    releaseddrops.push_back(drop);
}

}  // namespace pivola
