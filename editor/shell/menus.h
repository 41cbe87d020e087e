// Menus and commands: the initial check marks, the menu refresh, the command
// table and the dialogs the commands open.
#ifndef PIVOLA_SHELL_MENUS_H
#define PIVOLA_SHELL_MENUS_H

#include <cstdint>
#include <string>

#include "core/state.h"

namespace pivola {

// Version item in the system menu, initial check marks, empty size indicator.
void initmenus(App& app, Port& port);

// WM_INITMENU: enables and greys the items for the menu bar `menu`.
void updatemenus(App& app, Port& port, std::uintptr_t menu);

// Exactly checked becomes unchecked; any other state becomes checked.
void togglecheck(Port& port, int id);

// The command table. False for an id that is not handled here.
bool docommand(App& app, Port& port, int id);

void showversion(App& app, Port& port);
void pickdragcolour(App& app, Port& port);
void pickbackcolour(App& app, Port& port);

enum class FileKind { picture = 0, dragpoints = 1, settings = 2 };

// The fixed texts of the open or save dialog for a kind.
FileDialog filedialogfor(FileKind kind, bool save);
bool openfiledlg(Port& port, std::string& path, FileKind kind);
bool savefiledlg(Port& port, std::string& path, FileKind kind);

}  // namespace pivola

#endif
