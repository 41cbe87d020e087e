// Scrolling and window geometry: the scroll offsets, the two scroll bars,
// the tracking limits and the window size for a newly loaded picture.
#ifndef PIVOLA_CORE_SCROLL_H
#define PIVOLA_CORE_SCROLL_H

#include <cstdint>

#include "core/state.h"
#include "platform/messages.h"

namespace pivola {

// WM_HSCROLL / WM_VSCROLL: request = the message's wParam.
void hscroll(App& app, Port& port, std::uintptr_t request);
void vscroll(App& app, Port& port, std::uintptr_t request);

// WM_SIZE with the new client size; `reframe` follows at once.
void fitscroll(App& app, Port& port, std::int32_t cw, std::int32_t ch);
void reframe(Port& port);

// WM_GETMINMAXINFO while a view buffer exists.
void tracklimits(App& app, Port& port, MinMaxInfo& info);

// Sets both bars for the current picture and offsets (after a load).
void initscroll(App& app, Port& port);

// The outer window size `loadimg` asks for, for a W x H document picture.
Size loadwindowsize(Port& port, std::int32_t w, std::int32_t h);

}  // namespace pivola

#endif
