// Poses the shipped pivola.exe for the picture in the documentation: starts
// it, opens the picture named on the command line through File > Open (its
// real file dialog), drags a few drag points with mouse messages, and leaves
// the editor running for make-screenshot.sh to photograph. Not a test.
#include <windows.h>

#include <cstdio>
#include <string>

#include "harness.h"
#include "shell/resource.h"

using namespace e2e;

namespace {

void drag(HWND window, int x, int y, int tox, int toy) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (int step = 1; step <= 4; ++step) {
        const int mx = x + (tox - x) * step / 4, my = y + (toy - y) * step / 4;
        PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(mx, my));
    }
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(tox, toy));
}

int fail(const char* what) {
    std::printf("showcase: %s\n", what);
    writefile("showcase.ready", std::string("failed: ") + what + "\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return fail("usage: showcase PICTURE.BMP");
    char full[MAX_PATH] = "";
    GetFullPathNameA(argv[1], sizeof full, full, nullptr);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandline = "pivola.exe";
    if (!CreateProcessA("pivola.exe", commandline.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return fail("pivola.exe does not start");
    }
    const DWORD pid = process.dwProcessId;
    HWND window = nullptr;
    if (!waitfor([&] { return (window = findwindow("Pivola", pid)) != nullptr; }, 20000)) {
        return fail("no window");
    }

    PostMessageA(window, WM_COMMAND, IDM_OPEN, 0);
    HWND dialog = nullptr;
    if (!waitfor([&] { return (dialog = findbox(pid, window)) != nullptr; }, 10000)) {
        return fail("no file dialog");
    }
    // The file-name field of the common dialog: a combo box (cmb13) in the
    // newer layout, an edit field (edt1) in the older one.
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name) name = GetDlgItem(dialog, 0x480);
    SetWindowTextA(name, full);
    press(dialog, IDOK);
    if (!waitfor([&] { return windowtext(window) == std::string("Pivola - ") + full; }, 10000)) {
        return fail("the picture did not open");
    }

    // The picture's lattice is 8 x 8 over the bordered picture.
    const std::vector<int> xs = lattice(404, 8), ys = lattice(304, 8);
    drag(window, xs[3], ys[3], xs[3] + 30, ys[3] - 22);
    drag(window, xs[5], ys[4], xs[5] - 14, ys[4] + 26);
    drag(window, xs[2], ys[5], xs[2] - 18, ys[5] + 12);
    Sleep(scaled(1500));  // the last repaint; this tool only poses for a picture
    std::printf("showcase: ready\n");
    // make-screenshot.sh waits for this file and crops the screen to the window.
    RECT frame{};
    GetWindowRect(window, &frame);
    char ready[100];
    std::snprintf(ready, sizeof ready, "ready %ldx%ld+%ld+%ld\n", frame.right - frame.left,
                  frame.bottom - frame.top, frame.left, frame.top);
    writefile("showcase.ready", ready);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
