#include "core/output.h"

#include <new>
#include <vector>

#include "bmp.h"
#include "clipdib.h"
#include "core/settings.h"

namespace pivola {

bool copyimg(Port& port, const std::uint32_t* pixels, std::int32_t width, std::int32_t height) {
    std::uint32_t bytes = 0;
    if (pixels == nullptr || !files::dibsize(width, height, &bytes)) return false;
    std::vector<std::uint8_t> block;
    try {
        block.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    files::filldib(pixels, width, height, block.data());
    if (!port.openclipboard()) return false;
    const bool ok = port.emptyclipboard() && port.setclipboarddib(block);
    port.closeclipboard();
    return ok;
}

bool outputimg(App& app, Port& port, const char* path) {
    Document& d = app.doc;
    if (!loaded(d)) return false;
    const int type = outputinterp(port);
    const std::int32_t w = d.width() - 4;
    const std::int32_t h = d.height() - 4;
    files::Picture out{};
    if (!files::allocpicture(&out, w, h)) return false;
    const std::size_t total = static_cast<std::size_t>(d.picture.bytesize) / 4;
    std::unique_ptr<std::uint32_t[]> full(new (std::nothrow) std::uint32_t[total]);
    if (!full) {
        files::clearpicture(&out);
        return false;
    }
    port.setcursor(Cursor::wait);
    genmapadr(&d.map);
    mapimg(&d.map, full.get(), d.picture.pixels, type, app.settings.background);
    port.setcursor(Cursor::arrow);
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint32_t* src = full.get() + static_cast<std::size_t>(y + 2) * d.width() + 2;
        std::uint32_t* dst = out.pixels + static_cast<std::size_t>(y) * w;
        for (std::int32_t x = 0; x < w; ++x) dst[x] = src[x];
    }
    full.reset();
    const bool ok = path != nullptr ? files::writebmp(path, out) : copyimg(port, out.pixels, w, h);
    files::clearpicture(&out);
    return ok;
}

}  // namespace pivola
