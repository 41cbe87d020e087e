// The view and output settings that live in the menu's check marks. A reader
// asks the menu at the moment of use, and an item counts as checked only when
// its state is exactly "checked" (a checked and greyed item reads as not
// checked).
#ifndef PIVOLA_CORE_SETTINGS_H
#define PIVOLA_CORE_SETTINGS_H

#include <string>

#include "core/state.h"

namespace pivola {

bool ischecked(Port& port, int id);

// Interpolation codes (0 nearest, 1 bilinear, 2 bicubic) from the display
// and output groups: the first checked item of the group; nearest when none
// is checked.
int displayinterp(Port& port);
int outputinterp(Port& port);

bool hideresult(Port& port);
bool hidepoints(Port& port);
bool hideimage(Port& port);
bool onepixel(Port& port);

// `setsizeindicator`: "w × h" of the open picture (its border left out), or
// empty when no picture is shown or clear is true.
void setsizeindicator(App& app, Port& port, bool clear);
std::string sizeindicatortext(const App& app, bool clear);

}  // namespace pivola

#endif
