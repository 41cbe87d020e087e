// pivola.exe: the Windows GUI entry point hands over to the program entry.
#include <windows.h>

#include "platform/win32/entry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandline, int) {
    return pivola::runprogram(instance, commandline);
}
