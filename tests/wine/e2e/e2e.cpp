// The end-to-end suite: the editor under Wine, driven with real window
// messages.
//
// First the shipped pivola.exe runs as its own process: it opens its window,
// a second copy exits at once with 0, and the close question is answered No
// and then Yes. Then this program runs the editor's very same entry (linked
// from the same objects and resources as pivola.exe) on its main thread,
// while a driver thread works the window as a user would: menus, a dropped
// picture, the view on screen, drags with the mouse, an accelerator, the
// about box, a dropped broken file, the quit question. Message boxes are
// found and answered here, never by a switch inside the program.
//
// Prints "N passed, M failed"; exit code 0 when nothing failed.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "harness.h"
#include "platform/win32/entry.h"
#include "resources_check.h"
#include "shell/resource.h"

using namespace e2e;

namespace {

constexpr DWORD kStart = 20000;  // a program's start, before scaling
constexpr DWORD kWait = 10000;   // anything else

// The colours of a fresh start, as screenshots give them (0x00RRGGBB).
constexpr std::uint32_t kPointColour = 0x000000FF;  // pure blue
constexpr std::uint32_t kBackground = 0x00000000;   // black

// The test picture: no pixel is blue or black, neighbours differ.
constexpr int kPictureWidth = 300;
constexpr int kPictureHeight = 200;
std::uint32_t picturecolour(int x, int y) {
    const std::uint32_t r = 40 + static_cast<std::uint32_t>(x % 200);
    const std::uint32_t g = 30 + static_cast<std::uint32_t>(y % 200);
    const std::uint32_t b = static_cast<std::uint32_t>((x + 2 * y) % 120) + 20;
    return (r << 16) | (g << 8) | b;
}

// Reports progress with the time since the suite started.
void phase(const char* name) {
    static const DWORD begin = GetTickCount();
    std::printf("[%6.2f s] %s\n", (GetTickCount() - begin) / 1000.0, name);
}

// --- the shipped program as its own process ---------------------------------

struct Process {
    PROCESS_INFORMATION info{};
    bool started = false;

    explicit Process(const char* program) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandline = program;
        started = CreateProcessA(program, commandline.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info) != FALSE;
    }
    ~Process() {
        if (!started) return;
        if (running()) TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }
    bool ended(DWORD milliseconds) const {
        return WaitForSingleObject(info.hProcess, scaled(milliseconds)) == WAIT_OBJECT_0;
    }
    DWORD exitcode() const {
        DWORD code = 12345;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
};

// Closes the window, expects the quit question and answers it.
bool answerquit(HWND window, DWORD pid, int answer, const std::string& where) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND box = nullptr;
    bool asked = waitfor([&] { return (box = findbox(pid, window)) != nullptr; }, kWait);
    check(asked, where + ": closing asks a question");
    if (!asked) return false;
    Box shown = readbox(box);
    check(shown.caption == "Pivola", where + ": the question's caption is \"Pivola\"");
    check(shown.text == "終了しますか？",
          where + ": the question is \"終了しますか？\" (found \"" + shown.text + "\")");
    check(shown.yes && shown.no && !shown.ok, where + ": the question offers Yes and No");
    press(box, answer);
    bool gone = waitfor([&] { return !IsWindow(box); }, kWait);
    check(gone, where + ": the question goes away when answered");
    return gone;
}

void shippedprogram() {
    Process first("pivola.exe");
    check(first.started, "pivola.exe starts");
    if (!first.started) return;
    const DWORD pid = first.info.dwProcessId;
    HWND window = nullptr;
    bool up = waitfor([&] { return (window = findwindow("Pivola", pid)) != nullptr; }, kStart);
    check(up, "pivola.exe shows a window of class \"Pivola\"");
    if (!up) return;
    check(windowtext(window) == "Pivola", "pivola.exe's title is \"Pivola\"");
    RECT frame{};
    GetWindowRect(window, &frame);
    check(frame.right - frame.left == 640 && frame.bottom - frame.top == 480,
          "pivola.exe's window is 640 x 480");

    // A second copy finds the name taken and leaves at once, silently.
    {
        Process second("pivola.exe");
        check(second.started, "a second pivola.exe starts");
        if (second.started) {
            check(second.ended(kStart), "the second copy ends by itself");
            check(second.exitcode() == 0, "the second copy's exit code is 0");
            check(findwindow("Pivola", second.info.dwProcessId) == nullptr &&
                      findbox(second.info.dwProcessId, nullptr) == nullptr,
                  "the second copy shows nothing");
        }
    }
    check(first.running() && IsWindow(window), "the first copy keeps running");

    if (answerquit(window, pid, IDNO, "pivola.exe, No")) {
        check(first.running() && IsWindow(window), "No keeps pivola.exe running");
        check(windowtext(window) == "Pivola", "No leaves the window as it was");
    }
    if (answerquit(window, pid, IDYES, "pivola.exe, Yes")) {
        check(first.ended(kWait), "Yes ends pivola.exe");
        check(first.exitcode() == 0, "pivola.exe's exit code after Yes is 0 (got " +
                                         std::to_string(first.exitcode()) + ")");
    }
}

// --- the editor's entry in this process, worked by a driver thread -----------

struct Driver {
    DWORD mainthread = 0;
    std::atomic<bool> returned{false};  // the editor's entry has returned
    HWND window = nullptr;
    std::string folder;

    std::string file(const char* name) const { return folder + name; }

    void drop(const std::string& path) {
        HGLOBAL handle = makedrop(path);
        check(handle != nullptr, "a drop handle is made");
        if (handle) PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
    }

    void mouse(UINT message, WPARAM keys, int x, int y) {
        PostMessageA(window, message, keys, MAKELPARAM(x, y));
    }

    void key(UINT vk) {
        PostMessageA(window, WM_KEYDOWN, vk, 1);
        PostMessageA(window, WM_KEYUP, vk, 0xC0000001);
    }

    // Refreshes the menu states as opening the menu would, from the
    // window's own thread.
    void initmenu() {
        SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window)), 0);
    }

    UINT state(UINT id) { return GetMenuState(GetMenu(window), id, MF_BYCOMMAND); }
    bool checked(UINT id) { return (state(id) & MF_CHECKED) != 0; }

    std::string indicator() { return menutext(GetMenu(window), IDM_SIZEINDICATOR); }

    // Waits for a screenshot that satisfies the condition; the last one taken
    // is left in shot.
    bool waitshot(Shot& shot, const std::function<bool(const Shot&)>& condition) {
        return waitfor(
            [&] {
                shot = screenshot(window);
                return shot.width > 0 && condition(shot);
            },
            kWait);
    }

    void run();
    void start();
    void picture();
    void badpicture();
    void quit();
};

// A 10 x 10 square of drag-point colour centred (as the editor draws it:
// x - 5 .. x + 4) on the point, clipped to the shot.
bool squareat(const Shot& shot, int x, int y) {
    for (int dy = -5; dy <= 4; ++dy) {
        for (int dx = -5; dx <= 4; ++dx) {
            if (shot.inside(x + dx, y + dy) && shot.at(x + dx, y + dy) != kPointColour) {
                return false;
            }
        }
    }
    return true;
}

void Driver::start() {
    check(windowtext(window) == "Pivola", "the title is \"Pivola\"");
    RECT frame{};
    GetWindowRect(window, &frame);
    check(frame.right - frame.left == 640 && frame.bottom - frame.top == 480,
          "the window is 640 x 480");
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    check((style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW,
          "the window is an overlapped window");
    check((style & (WS_HSCROLL | WS_VSCROLL)) == 0, "both scroll bars are hidden at start");
    check(GetClassLongPtrA(window, GCLP_HICON) != 0, "the window class has the program's icon");
    check(reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)) ==
              static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
          "the window class paints with the stock black brush");

    HMENU bar = GetMenu(window);
    check(bar != nullptr, "the window has a menu bar");
    if (!bar) return;
    checkmenubar(bar, "the window's menu bar");
    check(checked(IDM_VIEW_NEAREST) && !checked(IDM_VIEW_BILINEAR) && !checked(IDM_VIEW_BICUBIC),
          "display settings: nearest neighbour is checked");
    check(!checked(IDM_OUT_NEAREST) && !checked(IDM_OUT_BILINEAR) && checked(IDM_OUT_BICUBIC),
          "output settings: bicubic is checked");
    check(!checked(IDM_HIDERESULT) && !checked(IDM_HIDEPOINTS) && !checked(IDM_HIDEIMAGE) &&
              !checked(IDM_ONEPIXEL),
          "the four flags are unchecked");
    check(indicator().empty(), "the size indicator is empty");
    check((state(IDM_SIZEINDICATOR) & (MF_DISABLED | MF_GRAYED)) == MF_DISABLED,
          "the size indicator is disabled but not greyed");
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(bar, IDM_SIZEINDICATOR, FALSE, &info);
    check((info.fType & MFT_RIGHTJUSTIFY) != 0, "the size indicator is right-justified");

    HMENU system = GetSystemMenu(window, FALSE);
    check(GetMenuItemID(system, 0) == IDM_VERSION && menutextat(system, 0) == "ﾊﾞｰｼﾞｮﾝ情報(&A)",
          "the system menu starts with \"ﾊﾞｰｼﾞｮﾝ情報(&A)\"");
    MENUITEMINFOA separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(system, 1, TRUE, &separator);
    check((separator.fType & MFT_SEPARATOR) != 0, "a separator follows it");

    Shot shot;
    check(waitshot(shot,
                   [](const Shot& s) {
                       for (std::uint32_t p : s.pixels) {
                           if (p != kBackground) return false;
                       }
                       return true;
                   }),
          "without a picture the client area is black");
}

void Driver::picture() {
    const std::string path = file("picture.bmp");
    check(writebmp(path, kPictureWidth, kPictureHeight, picturecolour),
          "the test picture is written");
    drop(path);
    check(waitfor([&] { return windowtext(window) == "Pivola - " + path; }, kWait),
          "a dropped picture puts its path in the title (found \"" + windowtext(window) + "\")");
    check(waitfor([&] { return indicator() == "300 × 200"; }, kWait),
          "the size indicator shows \"300 × 200\" (found \"" + indicator() + "\")");

    // The document is the picture with a 2-pixel border; the lattice is 8 x 8.
    const int width = kPictureWidth + 4, height = kPictureHeight + 4;
    const std::vector<int> xs = lattice(width, 8), ys = lattice(height, 8);

    // At 1:1 from the top-left corner: inside every cell, away from its lines,
    // each pixel is the picture's own.
    auto cellsmatch = [&](const Shot& s, const Shot* reference, bool affected[7][7]) {
        for (int r = 0; r < 7; ++r) {
            for (int c = 0; c < 7; ++c) {
                if (affected && affected[r][c]) continue;
                for (int y = ys[r] + 6; y <= ys[r + 1] - 6; y += 2) {
                    for (int x = xs[c] + 6; x <= xs[c + 1] - 6; x += 2) {
                        const std::uint32_t want =
                            reference ? reference->at(x, y) : picturecolour(x - 2, y - 2);
                        if (s.at(x, y) != want) return false;
                    }
                }
            }
        }
        return true;
    };
    auto latticeshown = [&](const Shot& s) {
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 8; ++c) {
                if (!squareat(s, xs[c], ys[r])) return false;
                if (c < 7) {
                    for (int x = xs[c] + 5; x < xs[c + 1] - 5; ++x) {
                        if (s.at(x, ys[r]) != kPointColour) return false;
                    }
                }
                if (r < 7) {
                    for (int y = ys[r] + 5; y < ys[r + 1] - 5; ++y) {
                        if (s.at(xs[c], y) != kPointColour) return false;
                    }
                }
            }
        }
        return true;
    };
    auto backgroundaround = [&](const Shot& s) {
        for (int y = 0; y < s.height; ++y) {
            for (int x = 0; x < s.width; ++x) {
                if ((x >= width + 5 || y >= height + 5) && s.at(x, y) != kBackground) return false;
            }
        }
        return true;
    };

    Shot loaded;
    const bool shown = waitshot(loaded, [&](const Shot& s) {
        return s.width >= width + 8 && s.height >= height + 8 && cellsmatch(s, nullptr, nullptr) &&
               latticeshown(s) && backgroundaround(s);
    });
    check(loaded.width >= width + 8 && loaded.height >= height + 8,
          "the client area has room for the picture (found " + std::to_string(loaded.width) +
              " x " + std::to_string(loaded.height) + ")");
    check(shown && cellsmatch(loaded, nullptr, nullptr), "the view shows the picture at 1:1");
    check(shown && latticeshown(loaded), "the lattice is drawn in the drag-point colour");
    check(shown && backgroundaround(loaded),
          "the view around the picture is the background colour");
    if (!shown) {
        saveshot(loaded, file("loaded.bmp"));
        return;
    }

    // Drag point (3, 3) with the left button: the press takes it, the moves
    // carry it, the view follows.
    const int px = xs[3], py = ys[3];
    const int tx = px + 20, ty = py + 13;
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, px, py);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, px + 10, py + 6);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, tx, ty);
    Shot dragged;
    check(waitshot(dragged, [&](const Shot& s) { return squareat(s, tx, ty); }),
          "the dragged point follows the mouse");
    bool aroundpoint[7][7] = {};
    for (int r = 2; r <= 3; ++r) {
        for (int c = 2; c <= 3; ++c) aroundpoint[r][c] = true;
    }
    int changed = 0;
    for (int y = ys[2]; y < ys[4]; ++y) {
        for (int x = xs[2]; x < xs[4]; ++x) {
            if (dragged.at(x, y) != loaded.at(x, y) && dragged.at(x, y) != kPointColour) ++changed;
        }
    }
    check(changed > 500, "the picture around the point is deformed (" + std::to_string(changed) +
                             " pixels changed)");
    check(cellsmatch(dragged, &loaded, aroundpoint),
          "the cells away from the point stay as they were");
    mouse(WM_LBUTTONUP, 0, tx, ty);
    Shot afterdrag;
    check(waitshot(afterdrag, [&](const Shot& s) { return squareat(s, tx, ty); }),
          "the point stays where it was released");

    // A second drag, cancelled with the right button: the view goes back.
    const int qx = xs[5], qy = ys[5];
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, qx, qy);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, qx + 12, qy + 9);
    Shot moving;
    check(waitshot(moving, [&](const Shot& s) { return squareat(s, qx + 12, qy + 9); }),
          "a second drag moves its point");
    mouse(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, qx + 12, qy + 9);
    Shot cancelled;
    check(waitshot(cancelled, [&](const Shot& s) { return s == afterdrag; }),
          "the right button restores the view as it was before the drag");
    mouse(WM_RBUTTONUP, MK_LBUTTON, qx + 12, qy + 9);
    mouse(WM_LBUTTONUP, 0, qx + 12, qy + 9);

    // One finished drag was recorded, the cancelled one was not: one Undo
    // puts point (3, 3) back and leaves nothing more to undo.
    initmenu();
    check((state(IDM_UNDO) & MF_GRAYED) == 0, "Undo is available after a drag");
    PostMessageA(window, WM_COMMAND, IDM_UNDO, 0);
    Shot undone;
    check(waitshot(undone,
                   [&](const Shot& s) { return squareat(s, px, py) && !squareat(s, tx, ty); }),
          "Undo puts the dragged point back");
    initmenu();
    check((state(IDM_UNDO) & MF_GRAYED) != 0, "a cancelled drag leaves nothing to undo");

    // F3 through the accelerator table: the picture is hidden under the
    // background colour, the lattice stays, and "変形結果を表示しない" is greyed.
    key(VK_F3);
    Shot hidden;
    check(waitshot(hidden,
                   [&](const Shot& s) {
                       return s.at(xs[1] + 10, ys[1] + 10) == kBackground && latticeshown(s);
                   }),
          "F3 hides the picture and keeps the lattice");
    check(checked(IDM_HIDEIMAGE) && (state(IDM_HIDERESULT) & MF_GRAYED) != 0,
          "F3 checks its item and greys the hide-result item");
    key(VK_F3);
    Shot again;
    check(waitshot(again, [&](const Shot& s) { return s == undone; }),
          "F3 again shows the picture as before");
    check(!checked(IDM_HIDEIMAGE) && (state(IDM_HIDERESULT) & MF_GRAYED) == 0,
          "F3 again unchecks its item and enables the hide-result item");

    // The version item of the system menu opens the about box of verpanel.dll.
    PostMessageA(window, WM_SYSCOMMAND, IDM_VERSION, 0);
    HWND about = nullptr;
    const bool open =
        waitfor([&] { return (about = findbox(GetCurrentProcessId(), window)) != nullptr; }, kWait);
    check(open, "the version item opens the about box");
    if (open) {
        char version[256] = "";
        GetDlgItemTextA(about, 102, version, sizeof version);
        check(windowtext(about) == "Pivola Version Information",
              "the about box's title (found \"" + windowtext(about) + "\")");
        check(
            std::string(version) == "Pivola Ver 1.01 (Numexa35.dll)",
            "the version text names the bound calculator (found \"" + std::string(version) + "\")");
        check(SendDlgItemMessageA(about, 100, STM_GETICON, 0, 0) != 0,
              "the about box shows the icon");
        press(about, IDOK);
        check(waitfor([&] { return !IsWindow(about); }, kWait), "OK closes the about box");
    }
}

void Driver::badpicture() {
    const std::string path = file("壊れた.bmp");
    check(writefile(path, "BM this is not a picture"), "the broken file is written");
    drop(path);
    HWND box = nullptr;
    const bool shown =
        waitfor([&] { return (box = findbox(GetCurrentProcessId(), window)) != nullptr; }, kWait);
    check(shown, "a dropped unreadable .bmp shows a message");
    if (!shown) return;
    Box message = readbox(box);
    check(message.caption == "Pivola", "the message's caption is \"Pivola\"");
    check(message.text == path + "を開けません",
          "the message names the file (found \"" + message.text + "\")");
    check(message.icon == LoadIconA(nullptr, IDI_ERROR), "the message has the error icon");
    check(message.ok && !message.yes && !message.no, "the message has one OK button");
    press(box, IDOK);
    check(waitfor([&] { return !IsWindow(box); }, kWait), "OK closes the message");
    check(windowtext(window) == "Pivola", "after a failed load the title is \"Pivola\"");
    check(indicator().empty(), "after a failed load the size indicator is empty");
    Shot shot;
    check(waitshot(shot,
                   [](const Shot& s) {
                       for (std::uint32_t p : s.pixels) {
                           if (p != kBackground) return false;
                       }
                       return true;
                   }),
          "after a failed load the client area is black");
}

void Driver::quit() {
    const DWORD pid = GetCurrentProcessId();
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND box = nullptr;
    if (waitfor([&] { return (box = findbox(pid, window)) != nullptr; }, kWait)) {
        check(readbox(box).icon == LoadIconA(nullptr, IDI_QUESTION),
              "the quit question has the question icon");
        press(box, IDNO);
        check(waitfor([&] { return !IsWindow(box); }, kWait), "No closes the question");
    } else {
        check(false, "closing asks whether to quit");
    }
    check(IsWindow(window) && windowtext(window) == "Pivola", "No keeps the editor running");
    if (answerquit(window, pid, IDYES, "the editor, Yes")) {
        check(waitfor([&] { return !IsWindow(window); }, kWait), "Yes closes the window");
    }
}

void Driver::run() {
    const DWORD pid = GetCurrentProcessId();
    // An entry that returns at once (the name taken by a stray copy) ends the wait.
    const bool up =
        waitfor([&] { return (window = findwindow("Pivola", pid)) != nullptr || returned; },
                kStart) &&
        window != nullptr;
    check(up, "the editor's window appears");
    if (!up) return;
    phase("start");
    start();
    phase("picture");
    picture();
    phase("broken picture");
    badpicture();
    phase("quit");
    quit();
}

DWORD WINAPI drive(LPVOID parameter) {
    auto* driver = static_cast<Driver*>(parameter);
    driver->run();
    // Whatever happened, let the editor's loop end.
    if (driver->window && IsWindow(driver->window)) {
        PostThreadMessageA(driver->mainthread, WM_QUIT, 99, 0);
    }
    return 0;
}

std::string makefolder() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string folder =
        std::string(temp) + "pivola-e2e-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

int main() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    phase("resources");
    checkresources("pivola.exe");
    phase("shipped program");
    shippedprogram();
    phase("editor in this process");

    Driver driver;
    driver.mainthread = GetCurrentThreadId();
    driver.folder = makefolder();
    HANDLE thread = CreateThread(nullptr, 0, drive, &driver, 0, nullptr);
    check(thread != nullptr, "the driver thread starts");
    if (thread) {
        const int code = pivola::runprogram(GetModuleHandleA(nullptr), "");
        driver.returned = true;
        check(code == 0, "the editor's entry returns 0 (got " + std::to_string(code) + ")");
        check(WaitForSingleObject(thread, scaled(kWait)) == WAIT_OBJECT_0, "the driver finishes");
        CloseHandle(thread);
    }
    for (const char* name : {"picture.bmp", "壊れた.bmp"}) DeleteFileA(driver.file(name).c_str());
    if (failedcount() == 0) RemoveDirectoryA(driver.folder.c_str());

    phase("done");
    std::printf("%d passed, %d failed\n", passedcount(), failedcount());
    return failedcount() == 0 ? 0 : 1;
}
