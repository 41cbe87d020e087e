// Helpers of the end-to-end suite: counting checks, waiting for conditions
// with timeouts, finding and answering message boxes, reading menus and
// screenshots of a window's client area, writing test pictures, and the
// initial lattice as the engine lays it out.
#ifndef PIVOLA_E2E_HARNESS_H
#define PIVOLA_E2E_HARNESS_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Counts a check; prints the failures as they happen.
void check(bool ok, const std::string& what);
int passedcount();
int failedcount();

// Everything here is slower where 32-bit Windows programs run under
// emulation: every timeout is multiplied by this factor there.
DWORD scaled(DWORD milliseconds);

// Polls condition every few milliseconds until it holds or the (scaled)
// timeout passes; answers whether it held.
bool waitfor(const std::function<bool()>& condition, DWORD milliseconds);

std::string windowtext(HWND window);
std::string classname(HWND window);

// The visible top-level window of this class that belongs to process pid.
HWND findwindow(const char* classname, DWORD pid);

// A message box as the user sees it.
struct Box {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    HICON icon = nullptr;                      // what its icon control shows
    bool yes = false, no = false, ok = false;  // which buttons it has
};

// The message box (dialog class "#32770" with a text control) of process
// pid, owned by owner when owner is given.
HWND findbox(DWORD pid, HWND owner);
Box readbox(HWND box);
// Presses a button of a dialog as a click would.
void press(HWND dialog, int id);

// A menu item's text and state by command id.
std::string menutext(HMENU menu, UINT id);
std::string menutextat(HMENU menu, int position);

// The client area of a window, copied from the window's drawing context:
// pixels 0x00RRGGBB, top row first.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool operator==(const Shot& other) const = default;
};
Shot screenshot(HWND window);
// Saves a shot as a 24-bit BMP (for looking at a failure).
bool saveshot(const Shot& shot, const std::string& path);

// Writes a 24-bit bottom-up BMP of width x height whose pixel (x, y) is
// colour(x, y) (0x00RRGGBB).
bool writebmp(const std::string& path, int width, int height,
              const std::function<std::uint32_t(int, int)>& colour);
bool writefile(const std::string& path, const std::string& bytes);

// The engine's initial lattice positions along one axis: size pixels of the
// bordered picture, count points.
std::vector<int> lattice(int size, int count);

// A DROPFILES block in global memory naming one file, as the shell hands it
// to a window with WM_DROPFILES; the receiver releases it.
HGLOBAL makedrop(const std::string& path);

}  // namespace e2e

#endif
