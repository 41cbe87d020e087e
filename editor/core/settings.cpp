#include "core/settings.h"

#include <cstdio>

#include "platform/messages.h"
#include "shell/resource.h"

namespace pivola {

bool ischecked(Port& port, int id) {
    return port.menustate(id) == mf::checked;
}

namespace {

int groupinterp(Port& port, int nearest, int bilinear, int bicubic) {
    if (ischecked(port, nearest)) return TRAMAP_NEAREST;
    if (ischecked(port, bilinear)) return TRAMAP_BILINEAR;
    if (ischecked(port, bicubic)) return TRAMAP_BICUBIC;
    return TRAMAP_NEAREST;
}

}  // namespace

int displayinterp(Port& port) {
    return groupinterp(port, IDM_VIEW_NEAREST, IDM_VIEW_BILINEAR, IDM_VIEW_BICUBIC);
}

int outputinterp(Port& port) {
    return groupinterp(port, IDM_OUT_NEAREST, IDM_OUT_BILINEAR, IDM_OUT_BICUBIC);
}

bool hideresult(Port& port) {
    return ischecked(port, IDM_HIDERESULT);
}
bool hidepoints(Port& port) {
    return ischecked(port, IDM_HIDEPOINTS);
}
bool hideimage(Port& port) {
    return ischecked(port, IDM_HIDEIMAGE);
}
bool onepixel(Port& port) {
    return ischecked(port, IDM_ONEPIXEL);
}

std::string sizeindicatortext(const App& app, bool clear) {
    const Document& d = app.doc;
    if (clear || !pictureopen(d) || d.view.bitmap == Bitmap::none) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%d × %d", static_cast<int>(d.picture.width - 4),
                  static_cast<int>(d.picture.height - 4));
    return text;
}

void setsizeindicator(App& app, Port& port, bool clear) {
    port.setindicator(IDM_SIZEINDICATOR, sizeindicatortext(app, clear));
}

}  // namespace pivola
