#include "core/scroll.h"

namespace pivola {

namespace {

// One axis of hscroll/vscroll. The offset always stays in [0, max(0, top)],
// also when a scroll message arrives while the picture fits the client area.
std::int32_t scrollstep(std::int32_t offset, std::uint32_t code, std::uint32_t thumb,
                        std::int32_t page, std::int32_t top) {
    std::int64_t next = offset;
    switch (code) {
        case sb::lineup:
            next = static_cast<std::int64_t>(offset) - 1;
            break;
        case sb::linedown:
            next = static_cast<std::int64_t>(offset) + 1;
            break;
        case sb::pageup:
            next = static_cast<std::int64_t>(offset) - page;
            break;
        case sb::pagedown:
            next = static_cast<std::int64_t>(offset) + page;
            break;
        case sb::thumbposition:
        case sb::thumbtrack:
            next = thumb;
            break;
        default:
            return offset;
    }
    if (next > top) next = top;
    if (next < 0) next = 0;
    return static_cast<std::int32_t>(next);
}

}  // namespace

void hscroll(App& app, Port& port, std::uintptr_t request) {
    Document& d = app.doc;
    const Rect client = port.clientrect();
    d.hoff = scrollstep(d.hoff, loword(request), hiword(request), client.width(),
                        d.width() - client.width());
    port.setscrollpos(ScrollBar::horizontal, d.hoff, true);
    port.invalidate(false);
}

void vscroll(App& app, Port& port, std::uintptr_t request) {
    Document& d = app.doc;
    const Rect client = port.clientrect();
    d.voff = scrollstep(d.voff, loword(request), hiword(request), client.height(),
                        d.height() - client.height());
    port.setscrollpos(ScrollBar::vertical, d.voff, true);
    port.invalidate(false);
}

void fitscroll(App& app, Port& port, std::int32_t cw, std::int32_t ch) {
    Document& d = app.doc;
    const std::int32_t w = d.width();
    const std::int32_t h = d.height();
    if (d.hoff + cw > w) d.hoff = w - cw < 0 ? 0 : w - cw;
    if (d.voff + ch > h) d.voff = h - ch < 0 ? 0 : h - ch;
    if (w > cw) {
        port.setscrollrange(ScrollBar::horizontal, w - cw, d.hoff, false);
        port.showscrollbar(ScrollBar::horizontal, true);
    } else {
        port.showscrollbar(ScrollBar::horizontal, false);
        d.hoff = 0;
    }
    const std::int32_t ch2 = port.clientrect().height();
    if (h > ch2) {
        port.setscrollrange(ScrollBar::vertical, h - ch2, d.voff, false);
        port.showscrollbar(ScrollBar::vertical, true);
    } else {
        port.showscrollbar(ScrollBar::vertical, false);
        d.voff = 0;
    }
}

void reframe(Port& port) {
    const Rect r = port.windowrect();
    port.resizewindow(r.width(), r.height(), true);
    port.invalidate(false);
}

void tracklimits(App& app, Port& port, MinMaxInfo& info) {
    const Document& d = app.doc;
    const Rect client = port.clientrect();
    const Rect frame = port.framerect(Rect{0, 0, d.width(), d.height()}, port.windowstyle(), true);
    info.maxtrackx =
        frame.width() + (d.width() > client.width() ? port.metric(Metric::vscrollwidth) : 0);
    info.maxtracky =
        frame.height() + (d.height() > client.height() ? port.metric(Metric::hscrollheight) : 0);
    info.mintrackx = kViewMinWidth;
    info.mintracky = kViewMinHeight;
}

void initscroll(App& app, Port& port) {
    const Document& d = app.doc;
    const Rect client = port.clientrect();
    port.setscrollrange(ScrollBar::horizontal, d.width() - client.width(), d.hoff, false);
    port.setscrollrange(ScrollBar::vertical, d.height() - client.height(), d.voff, false);
    port.showscrollbar(ScrollBar::horizontal, d.width() > client.width());
    port.showscrollbar(ScrollBar::vertical, d.height() > port.clientrect().height());
}

Size loadwindowsize(Port& port, std::int32_t w, std::int32_t h) {
    const std::int32_t cw =
        w < kViewMinWidth ? kViewMinWidth : w + port.metric(Metric::vscrollwidth);
    const std::int32_t ch =
        h < kViewMinHeight ? kViewMinHeight : h + port.metric(Metric::hscrollheight);
    const Rect frame = port.framerect(Rect{0, 0, cw, ch}, ws::mainwindow, true);
    const std::int32_t sw = port.metric(Metric::screenwidth);
    const std::int32_t sh = port.metric(Metric::screenheight);
    return Size{2 * sw / 3 >= w ? frame.width() : kViewMinWidth,
                2 * sh / 3 >= h ? frame.height() : kViewMinHeight};
}

}  // namespace pivola
