#include "core/document.h"

#include <algorithm>
#include <new>

#include "bmp.h"
#include "clipdib.h"
#include "core/drag.h"
#include "core/scroll.h"
#include "core/settings.h"
#include "core/view.h"
#include "shell/resource.h"

namespace pivola {

Document::~Document() {
    files::clearpicture(&picture);
    freemap(&map);
}

void releaseview(App& app, Port& port) {
    ViewBuffer& v = app.doc.view;
    if (v.bitmap == Bitmap::none) return;
    if (app.shell.surface != Surface::none && app.shell.surfacebitmap != Bitmap::none) {
        port.selectbitmap(app.shell.surface, app.shell.surfacebitmap);
    }
    port.deletebitmap(v.bitmap);
    v = ViewBuffer{};
}

bool pasteimg(App& app, Port& port) {
    files::Picture& pic = app.doc.picture;
    files::clearpicture(&pic);
    if (!port.openclipboard()) return false;
    std::optional<std::vector<std::uint8_t>> block = port.clipboardbitmap();
    if (block && files::pastedib(block->data(), block->size(), &pic)) {
        port.closeclipboard();
        return true;
    }
    block = port.clipboarddib();
    port.closeclipboard();
    if (!block) return false;
    return files::pastedib(block->data(), block->size(), &pic);
}

bool loadimg(App& app, Port& port, const char* path) {
    Document& d = app.doc;
    port.settitle(kProduct);
    setsizeindicator(app, port, true);
    abandondrag(app, port);
    d.hoff = 0;
    d.voff = 0;
    clearundo(d.undo);
    port.checkmenu(IDM_HIDERESULT, false);
    port.checkmenu(IDM_HIDEPOINTS, false);
    port.checkmenu(IDM_HIDEIMAGE, false);
    port.enablemenu(IDM_HIDERESULT, ItemState::enabled);
    eraseclient(app, port);
    releaseview(app, port);

    const bool imported = path != nullptr ? files::openimg(path, &d.picture) : pasteimg(app, port);
    if (!imported) return false;
    const std::string name = path != nullptr ? std::string(path) : std::string(kClipboardTitle);
    const std::int32_t w = d.width();
    const std::int32_t h = d.height();

    d.warped.reset(new (std::nothrow)
                       std::uint32_t[static_cast<std::size_t>(d.picture.bytesize) / 4]);
    if (!d.warped) {
        files::clearpicture(&d.picture);
        return false;
    }

    const ViewBits bits =
        port.createviewbuffer(std::max(kViewMinWidth, w), std::max(kViewMinHeight, h));
    if (bits.bitmap == Bitmap::none || bits.bits == nullptr) {
        if (bits.bitmap != Bitmap::none) port.deletebitmap(bits.bitmap);
        files::clearpicture(&d.picture);
        return false;
    }
    ViewBuffer& v = d.view;
    v.bitmap = bits.bitmap;
    v.bits = bits.bits;
    v.width = std::max(kViewMinWidth, w);
    v.height = std::max(kViewMinHeight, h);
    v.padding = (4 - (3 * v.width) % 4) % 4;
    v.stride = 3 * v.width + v.padding;
    const Bitmap previous = port.selectbitmap(app.shell.surface, v.bitmap);
    if (app.shell.surfacebitmap == Bitmap::none) app.shell.surfacebitmap = previous;

    composeview(app, d.picture.pixels);

    if (d.map.orgx != nullptr) freemap(&d.map);
    if (allocmap(&d.map, w, h, app.settings.gridcols, app.settings.gridrows) == 0) {
        files::clearpicture(&d.picture);
        d.map = WarpMap{};
        return false;
    }
    if (!hidepoints(port)) drawgrid(app, port);
    initscroll(app, port);
    const Size size = loadwindowsize(port, w, h);
    port.resizewindow(size.width, size.height, false);
    port.invalidate(true);

    d.path = name.substr(0, kMaxPath);
    port.settitle(std::string(kProduct) + " - " + d.path);
    setsizeindicator(app, port, false);
    return true;
}

}  // namespace pivola
