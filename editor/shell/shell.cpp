#include "shell/shell.h"

#include <cstdio>
#include <cstring>

#include "core/document.h"
#include "core/drag.h"
#include "shell/menus.h"
#include "shell/texts.h"

namespace pivola {

bool sjislead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::size_t lastchar(const std::string& text) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < text.size();) {
        last = i;
        i += sjislead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    return last;
}

std::string extension(const std::string& path) {
    // The file-name part starts after the last separator; a second byte of a
    // double-byte character may look like a backslash and is skipped.
    std::size_t name = 0;
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < path.size();) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (sjislead(c) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':') {
            name = i + 1;
            dot = std::string::npos;
        } else if (c == '.') {
            dot = i;
        }
        ++i;
    }
    if (dot == std::string::npos || dot < name) return {};
    return path.substr(dot);
}

namespace {

bool sameascii(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return true;
}

}  // namespace

DropKind dropkind(const std::string& path) {
    std::string ext = extension(path);
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    if (sameascii(ext, "bmp")) return DropKind::picture;
    if (sameascii(ext, "inf")) return DropKind::settings;
    if (sameascii(ext, "dp")) return DropKind::dragpoints;
    return DropKind::other;
}

std::string parsecommandline(const char* commandline) {
    if (commandline == nullptr) return {};
    std::string path(commandline);
    if (!path.empty() && path[0] == '"') path.erase(0, 1);
    const std::size_t last = lastchar(path);
    if (last != std::string::npos && path[last] == '"') path.erase(last);
    // A longer path cannot be opened through the narrow API anyway; cutting
    // it could name another file, so it is refused.
    if (path.size() > kMaxPath) return {};
    return path;
}

void bindcalc(App& app, Port& port) {
    app.shell.calculator = Calculator{};
    for (const char* name : kCalcNames) {
        const Library lib = port.loadlibrary(name);
        if (lib == Library::none) continue;
        if (void* entry = port.findfunction(lib, kCalcFunction)) {
            app.shell.calculator = Calculator{lib, entry, name};
            return;
        }
        port.freelibrary(lib);
    }
}

bool initshell(App& app, Port& port) {
    Shell& s = app.shell;
    bindcalc(app, port);
    port.acceptdrops();
    port.showscrollbar(ScrollBar::both, false);
    app.doc.hoff = 0;
    app.doc.voff = 0;
    clearundo(app.doc.undo);
    s.background = port.createbrush(app.settings.background);
    s.guide = port.createpen(app.settings.pointcolour);
    s.surface = port.createsurface();
    if (s.surface == Surface::none) return false;
    port.selectbrush(s.surface, s.background);
    port.selectpen(s.surface, s.guide);
    initmenus(app, port);
    return true;
}

void releaseshell(App& app, Port& port) {
    Shell& s = app.shell;
    Document& d = app.doc;
    if (s.surface != Surface::none) {
        port.deletesurface(s.surface);
        s.surface = Surface::none;
        s.surfacebitmap = Bitmap::none;
    }
    if (d.view.bitmap != Bitmap::none) {
        port.deletebitmap(d.view.bitmap);
        d.view = ViewBuffer{};
    }
    if (s.guide != Pen::none) {
        port.deletepen(s.guide);
        s.guide = Pen::none;
    }
    if (s.background != Brush::none) {
        port.deletebrush(s.background);
        s.background = Brush::none;
    }
    files::clearpicture(&d.picture);
    d.warped.reset();
    freemap(&d.map);
    d.map = WarpMap{};
    if (s.calculator.library != Library::none) {
        port.freelibrary(s.calculator.library);
    }
    s.calculator = Calculator{};
}

bool confirmquit(Port& port) {
    return port.messagebox(text::quit, kProduct, BoxKind::question) == Answer::yes;
}

void dropfile(App& app, Port& port, std::uintptr_t drop) {
    const std::string path = port.droppedfile(drop).substr(0, kMaxPath);
    app.shell.droppath = path;
    switch (dropkind(path)) {
        case DropKind::picture:
            if (!loadimg(app, port, path.c_str())) {
                char message[kMaxPath + 64];
                std::snprintf(message, sizeof message, text::cannotopenfmt, path.c_str());
                port.messagebox(message, kProduct, BoxKind::error);
            }
            break;
        case DropKind::settings:
        case DropKind::dragpoints:
            // Settings and drag-point files are read by the file commands'
            // operations, which come with the settings and drag-point work;
            // until then such a drop is taken and released unread.
        case DropKind::other:
            break;
    }
    port.releasedrop(drop);
}

}  // namespace pivola
