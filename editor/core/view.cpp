#include "core/view.h"

#include <algorithm>

#include "core/settings.h"

namespace pivola {

namespace {

inline void putpixel(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 16);  // blue
    p[1] = static_cast<std::uint8_t>(value >> 8);   // green
    p[2] = static_cast<std::uint8_t>(value);        // red
}

}  // namespace

void composeview(App& app, const std::uint32_t* pixels) {
    Document& d = app.doc;
    const ViewBuffer& v = d.view;
    if (v.bits == nullptr || pixels == nullptr) return;
    const std::int32_t w = d.width();
    const std::int32_t h = d.height();
    const Colour bg = app.settings.background;
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = v.bits + static_cast<std::size_t>(y) * v.stride;
        const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * w;
        for (std::int32_t x = 0; x < w; ++x) putpixel(row + 3 * x, src[x]);
        for (std::int32_t x = w; x < kViewMinWidth; ++x) putpixel(row + 3 * x, bg);
    }
    for (std::int32_t y = h; y < kViewMinHeight; ++y) {
        std::uint8_t* row = v.bits + static_cast<std::size_t>(y) * v.stride;
        for (std::int32_t x = 0; x < v.width; ++x) putpixel(row + 3 * x, bg);
    }
}

void drawgrid(App& app, Port& port) {
    Document& d = app.doc;
    if (d.view.bitmap == Bitmap::none || d.map.orgx == nullptr) return;
    const std::int32_t h = onepixel(port) ? 0 : 5;
    d.halfsize = h;

    const Surface s = app.shell.surface;
    const Brush brush = port.createbrush(app.settings.pointcolour);
    Brush kept = Brush::none;
    if (brush != Brush::none) kept = port.selectbrush(s, brush);

    const std::int32_t cols = d.map.cols;
    const std::int32_t rows = d.map.rows;
    const std::int32_t* px = d.map.defx;
    const std::int32_t* py = d.map.defy;
    auto line = [&](std::int32_t a, std::int32_t b) {
        port.moveto(s, px[a], py[a]);
        port.lineto(s, px[b], py[b]);
    };
    auto square = [&](std::int32_t i) {
        port.rectangle(s, px[i] - h, py[i] - h, px[i] + h, py[i] + h);
    };
    for (std::int32_t r = 0; r < rows - 1; ++r) {
        for (std::int32_t c = 0; c < cols - 1; ++c) {
            const std::int32_t i = r * cols + c;
            const std::int32_t j = i + cols;
            line(i, i + 1);
            line(j, j + 1);
            line(i, j);
            line(i + 1, j + 1);
            square(i);
        }
        square(r * cols + cols - 1);
    }
    for (std::int32_t c = 0; c < cols; ++c) square((rows - 1) * cols + c);

    if (brush != Brush::none) {
        port.selectbrush(s, kept);
        port.deletebrush(brush);
    }
}

void refreshview(App& app, Port& port) {
    Document& d = app.doc;
    if (!loaded(d)) {
        port.invalidate(false);
        return;
    }
    if (hideimage(port)) {
        port.setcursor(Cursor::wait);
        port.fillrect(app.shell.surface, Rect{0, 0, d.width(), d.height()});
        if (!hidepoints(port)) drawgrid(app, port);
        port.setcursor(Cursor::arrow);
        port.invalidate(false);
        return;
    }
    if (!hideresult(port) && d.warped) {
        const int type = displayinterp(port);
        port.setcursor(Cursor::wait);
        genmapadr(&d.map);
        mapimg(&d.map, d.warped.get(), d.picture.pixels, type, app.settings.background);
        composeview(app, d.warped.get());
    } else {
        port.setcursor(Cursor::wait);
        composeview(app, d.picture.pixels);
    }
    if (!hidepoints(port)) drawgrid(app, port);
    port.setcursor(Cursor::arrow);
    port.invalidate(false);
}

void paintview(App& app, Port& port, const Rect& update) {
    const Document& d = app.doc;
    if (d.view.bitmap != Bitmap::none) {
        port.blitwindow(update, app.shell.surface, update.left + d.hoff, update.top + d.voff);
    } else {
        port.fillwindow(app.shell.background, update);
    }
}

void eraseclient(App& app, Port& port) {
    port.fillwindow(app.shell.background, port.clientrect());
}

}  // namespace pivola
