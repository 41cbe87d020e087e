#include "shell/dispatch.h"

#include "core/drag.h"
#include "core/scroll.h"
#include "core/view.h"
#include "platform/messages.h"
#include "shell/menus.h"
#include "shell/resource.h"
#include "shell/shell.h"

namespace pivola {

namespace {

Outcome handledornot(bool handled) {
    return handled ? answered(0) : passon();
}

bool viewexists(const App& app) {
    return app.doc.view.bitmap != Bitmap::none;
}

}  // namespace

Outcome dispatch(App& app, Port& port, std::uint32_t message, std::uintptr_t wparam,
                 std::intptr_t lparam) {
    switch (message) {
        case wm::create:
            if (initshell(app, port)) return answered(0);
            releaseshell(app, port);
            return answered(-1);
        case wm::destroy:
            releaseshell(app, port);
            port.postquit(0);
            return answered(0);
        case wm::size:
            if (viewexists(app)) {
                fitscroll(app, port,
                          static_cast<std::int32_t>(loword(static_cast<std::uintptr_t>(lparam))),
                          static_cast<std::int32_t>(hiword(static_cast<std::uintptr_t>(lparam))));
                reframe(port);
            }
            return answered(0);
        case wm::paint: {
            const Rect update = port.beginpaint();
            paintview(app, port, update);
            port.endpaint();
            return answered(0);
        }
        case wm::close:
            if (confirmquit(port)) port.destroywindow();
            return answered(0);
        case wm::getminmaxinfo: {
            auto* info = reinterpret_cast<MinMaxInfo*>(lparam);
            if (info == nullptr) return answered(0);
            if (viewexists(app)) {
                tracklimits(app, port, *info);
            } else {
                info->mintrackx = info->maxtrackx = kViewMinWidth;
                info->mintracky = info->maxtracky = kViewMinHeight;
            }
            return answered(0);
        }
        case wm::command:
            return handledornot(docommand(app, port, static_cast<int>(loword(wparam))));
        case wm::syscommand:
            if (loword(wparam) == IDM_VERSION) {
                port.postcommand(wparam, lparam);
                return answered(0);
            }
            return passon();
        case wm::hscroll:
            if (viewexists(app)) hscroll(app, port, wparam);
            return answered(0);
        case wm::vscroll:
            if (viewexists(app)) vscroll(app, port, wparam);
            return answered(0);
        case wm::initmenu:
            updatemenus(app, port, wparam);
            return passon();
        case wm::mousemove:
            return handledornot(dragmove(app, port, static_cast<std::uint32_t>(wparam), lparam));
        case wm::lbuttondown:
            return handledornot(dragbegin(app, port, static_cast<std::uint32_t>(wparam), lparam));
        case wm::lbuttonup:
            return handledornot(dragend(app, port, static_cast<std::uint32_t>(wparam), lparam));
        case wm::rbuttondown:
            return handledornot(dragcancel(app, port));
        case wm::dropfiles:
            dropfile(app, port, wparam);
            return answered(0);
        default:
            return passon();
    }
}

}  // namespace pivola
