#include "shell/menus.h"

#include <algorithm>
#include <cstdio>

#include "core/document.h"
#include "core/drag.h"
#include "core/output.h"
#include "core/settings.h"
#include "core/view.h"
#include "platform/messages.h"
#include "shell/resource.h"
#include "shell/shell.h"
#include "shell/texts.h"

namespace pivola {

namespace {

// A NUL-separated filter list; the literal's own terminator ends the list.
template <std::size_t N>
std::string filterlist(const char (&pairs)[N]) {
    return std::string(pairs, N - 1);
}

void choose(Port& port, int chosen, int first, int last) {
    for (int id = first; id <= last; ++id) port.checkmenu(id, false);
    port.checkmenu(chosen, true);
}

void setenabled(Port& port, int id, bool enabled) {
    port.enablemenu(id, enabled ? ItemState::enabled : ItemState::greyed);
}

void error(Port& port, const char* message) {
    port.messagebox(message, kProduct, BoxKind::error);
}

void hideimagerule(App& app, Port& port) {
    if (ischecked(port, IDM_HIDEIMAGE)) {
        port.checkmenu(IDM_HIDEIMAGE, false);
        port.enablemenu(IDM_HIDERESULT, ItemState::enabled);
    } else {
        port.checkmenu(IDM_HIDEIMAGE, true);
        port.enablemenu(IDM_HIDERESULT, ItemState::greyed);
    }
    refreshview(app, port);
}

void resetpoints(App& app, Port& port) {
    Document& d = app.doc;
    if (!pictureopen(d) || d.map.defx == nullptr) return;
    if (port.messagebox(text::editslost, kProduct, BoxKind::question) == Answer::no) return;
    clearundo(d.undo);
    const std::size_t n = static_cast<std::size_t>(d.map.cols) * d.map.rows;
    std::copy(d.map.orgx, d.map.orgx + n, d.map.defx);
    std::copy(d.map.orgy, d.map.orgy + n, d.map.defy);
    refreshview(app, port);
}

void openpicture(App& app, Port& port) {
    app.shell.dialogpath = app.doc.path;
    if (!openfiledlg(port, app.shell.dialogpath, FileKind::picture)) return;
    if (!loadimg(app, port, app.shell.dialogpath.c_str())) error(port, text::cannotopen);
}

void savepicture(App& app, Port& port) {
    if (!loaded(app.doc)) return;
    app.shell.dialogpath = app.doc.path;
    if (!savefiledlg(port, app.shell.dialogpath, FileKind::picture)) return;
    if (!outputimg(app, port, app.shell.dialogpath.c_str())) error(port, text::cannotsave);
}

void paste(App& app, Port& port) {
    if (pictureopen(app.doc) &&
        port.messagebox(text::editslost, kProduct, BoxKind::warning) == Answer::no) {
        return;
    }
    if (!loadimg(app, port, nullptr)) error(port, text::pastefailed);
}

void copy(App& app, Port& port) {
    // Only a loaded document can be rendered; the menu greys Copy otherwise,
    // and a command that arrives anyway does nothing.
    if (!loaded(app.doc)) return;
    if (!outputimg(app, port, nullptr)) error(port, text::copyfailed);
}

}  // namespace

void initmenus(App& app, Port& port) {
    port.addsystemitem(IDM_VERSION, text::versionitem);
    choose(port, IDM_VIEW_NEAREST, IDM_VIEW_NEAREST, IDM_VIEW_BICUBIC);
    choose(port, IDM_OUT_BICUBIC, IDM_OUT_NEAREST, IDM_OUT_BICUBIC);
    for (int id : {IDM_HIDERESULT, IDM_HIDEPOINTS, IDM_HIDEIMAGE, IDM_ONEPIXEL}) {
        port.checkmenu(id, false);
    }
    setsizeindicator(app, port, true);
}

void updatemenus(App& app, Port& port, std::uintptr_t menu) {
    if (!port.ismenubar(menu)) return;
    if (!port.openclipboard()) return;
    const int format = port.priorityformat({cf::bitmap, cf::dib});
    port.closeclipboard();
    const Document& d = app.doc;
    setenabled(port, IDM_PASTE, format > 0);
    setenabled(port, IDM_UNDO, !d.undo.empty());
    const bool editable = pictureopen(d) && d.map.orgx != nullptr;
    for (int id : {IDM_SAVEDP, IDM_SAVEAS, IDM_COPY, IDM_RESET}) setenabled(port, id, editable);
    setenabled(port, IDM_LOADDP, pictureopen(d));
}

void togglecheck(Port& port, int id) {
    port.checkmenu(id, !ischecked(port, id));
}

void showversion(App& app, Port& port) {
    char title[128];
    char version[128];
    std::snprintf(title, sizeof title, text::versiontitlefmt, kProduct);
    if (app.shell.calculator.name != nullptr) {
        std::snprintf(version, sizeof version, text::versioncalcfmt, kProduct,
                      app.shell.calculator.name);
    } else {
        std::snprintf(version, sizeof version, text::versionfmt, kProduct);
    }
    port.versionpanel(IDI_PIVOLA, title, version, text::versionnotice);
}

void pickdragcolour(App& app, Port& port) {
    Colour c = app.settings.pointcolour;
    if (!port.choosecolour(c, app.settings.custom)) return;
    app.settings.pointcolour = c;
    const Pen pen = port.createpen(c);
    if (pen != Pen::none) {
        port.selectpen(app.shell.surface, pen);
        if (app.shell.guide != Pen::none) port.deletepen(app.shell.guide);
        app.shell.guide = pen;
    }
    refreshview(app, port);
}

void pickbackcolour(App& app, Port& port) {
    Colour c = app.settings.background;
    if (!port.choosecolour(c, app.settings.custom)) return;
    app.settings.background = c;
    const Brush brush = port.createbrush(c);
    if (brush != Brush::none) {
        port.selectbrush(app.shell.surface, brush);
        if (app.shell.background != Brush::none) port.deletebrush(app.shell.background);
        app.shell.background = brush;
    }
    refreshview(app, port);
}

FileDialog filedialogfor(FileKind kind, bool save) {
    FileDialog f;
    f.save = save;
    switch (kind) {
        case FileKind::picture:
            f.filter = filterlist("ﾋﾞｯﾄﾏｯﾌﾟ ﾌｧｲﾙ(*.BMP)\0*.BMP\0All files (*.*)\0*.*\0");
            f.title = save ? "ﾋﾞｯﾄﾏｯﾌﾟ ﾌｧｲﾙの保存" : "ﾋﾞｯﾄﾏｯﾌﾟ ﾌｧｲﾙを開く";
            f.defext = "BMP";
            break;
        case FileKind::dragpoints:
            f.filter = filterlist("ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄ ﾌｧｲﾙ(*.DP)\0*.DP\0All files (*.*)\0*.*\0");
            f.title = save ? "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄ ﾌｧｲﾙの保存" : "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄ ﾌｧｲﾙを開く";
            f.defext = "DP";
            break;
        case FileKind::settings:
            f.filter = filterlist("設定ﾌｧｲﾙ(*.INF)\0*.INF\0All files (*.*)\0*.*\0");
            f.title = save ? "設定ﾌｧｲﾙの保存" : "設定ﾌｧｲﾙを開く";
            f.defext = "INF";
            break;
    }
    return f;
}

bool openfiledlg(Port& port, std::string& path, FileKind kind) {
    if (kind != FileKind::picture && kind != FileKind::dragpoints && kind != FileKind::settings) {
        return false;
    }
    return port.filedialog(filedialogfor(kind, false), path);
}

bool savefiledlg(Port& port, std::string& path, FileKind kind) {
    if (kind != FileKind::picture && kind != FileKind::dragpoints && kind != FileKind::settings) {
        return false;
    }
    return port.filedialog(filedialogfor(kind, true), path);
}

bool docommand(App& app, Port& port, int id) {
    switch (id) {
        case IDM_EXIT:
            if (confirmquit(port)) port.destroywindow();
            return true;
        case IDM_OPEN:
            openpicture(app, port);
            return true;
        case IDM_SAVEAS:
            savepicture(app, port);
            return true;
        case IDM_OUT_NEAREST:
        case IDM_OUT_BILINEAR:
        case IDM_OUT_BICUBIC:
            choose(port, id, IDM_OUT_NEAREST, IDM_OUT_BICUBIC);
            return true;
        case IDM_VIEW_NEAREST:
        case IDM_VIEW_BILINEAR:
        case IDM_VIEW_BICUBIC:
            choose(port, id, IDM_VIEW_NEAREST, IDM_VIEW_BICUBIC);
            refreshview(app, port);
            return true;
        case IDM_HIDERESULT:
        case IDM_HIDEPOINTS:
        case IDM_ONEPIXEL:
            togglecheck(port, id);
            refreshview(app, port);
            return true;
        case IDM_HIDEIMAGE:
            hideimagerule(app, port);
            return true;
        case IDM_POINTCOLOUR:
            pickdragcolour(app, port);
            return true;
        case IDM_BACKCOLOUR:
            pickbackcolour(app, port);
            return true;
        case IDM_VERSION:
            showversion(app, port);
            return true;
        case IDM_RESET:
            resetpoints(app, port);
            return true;
        case IDM_PASTE:
            paste(app, port);
            return true;
        case IDM_COPY:
            copy(app, port);
            return true;
        case IDM_UNDO:
            undolast(app, port);
            return true;
        case IDM_REFRESH:
            refreshview(app, port);
            return true;
        default:
            return false;
    }
}

}  // namespace pivola
