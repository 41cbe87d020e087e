// The program entry of the editor, shared by pivola.exe's WinMain and the
// end-to-end test program, which runs the very same code on its main thread.
#ifndef PIVOLA_PLATFORM_ENTRY_H
#define PIVOLA_PLATFORM_ENTRY_H

#include <windows.h>

namespace pivola {

// Runs the editor: single-instance check, window class, main window,
// message loop. commandline is the text after the program's own name.
// Returns the process exit code (0 also when another copy already runs).
int runprogram(HINSTANCE instance, const char* commandline);

}  // namespace pivola

#endif
