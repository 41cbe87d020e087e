// Checks of the editor's resources as the shipped pivola.exe carries them:
// the menu template, the grid-size dialog template, the accelerator table
// and the icon's sizes, every text compared byte for byte in Shift-JIS.
#ifndef PIVOLA_E2E_RESOURCES_CHECK_H
#define PIVOLA_E2E_RESOURCES_CHECK_H

#include <windows.h>

#include <string>

namespace e2e {

// Compares a menu bar (from the template or a live window) with the menu
// the editor is meant to have; where names the menu in failure messages.
void checkmenubar(HMENU bar, const std::string& where);

// Loads pivola.exe from the working folder as a data file and checks its
// menu 101, dialog 102, icon 103 and accelerators 104.
void checkresources(const char* program);

}  // namespace e2e

#endif
