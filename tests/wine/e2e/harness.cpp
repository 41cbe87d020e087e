#include "harness.h"

#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace e2e {

namespace {

std::atomic<int> passed{0};
std::atomic<int> failed{0};

struct Search {
    const char* classname;
    DWORD pid;
    HWND owner;
    HWND found;
};

bool ownedby(HWND window, DWORD pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == pid;
}

BOOL CALLBACK findclass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window) || !ownedby(window, search->pid)) return TRUE;
    if (classname(window) != search->classname) return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

void check(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
        std::fflush(stdout);
    }
}

int passedcount() {
    return passed;
}
int failedcount() {
    return failed;
}

DWORD scaled(DWORD milliseconds) {
    return sizeof(void*) == 4 ? milliseconds * 20 : milliseconds;
}

bool waitfor(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD limit = scaled(milliseconds);
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > limit) return condition();
        Sleep(10);
    }
}

std::string windowtext(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string classname(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND findwindow(const char* name, DWORD pid) {
    Search search{name, pid, nullptr, nullptr};
    EnumWindows(findclass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findbox(DWORD pid, HWND owner) {
    Search search{"#32770", pid, owner, nullptr};
    EnumWindows(findclass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Box readbox(HWND window) {
    Box box;
    box.window = window;
    box.caption = windowtext(window);
    char text[1024] = "";
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);  // the message text's control
    box.text = text;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (classname(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
            box.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        }
    }
    box.yes = GetDlgItem(window, IDYES) != nullptr;
    box.no = GetDlgItem(window, IDNO) != nullptr;
    box.ok = GetDlgItem(window, IDOK) != nullptr;
    return box;
}

void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string menutext(HMENU menu, UINT id) {
    char text[256] = "";
    GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

std::string menutextat(HMENU menu, int position) {
    char text[256] = "";
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

Shot screenshot(HWND window) {
    Shot shot;
    RECT client{};
    GetClientRect(window, &client);
    shot.width = client.right;
    shot.height = client.bottom;
    if (shot.width <= 0 || shot.height <= 0) return Shot{};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
        for (size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = pixels[i] & 0x00FFFFFF;
        SelectObject(memory, old);
    } else {
        shot = Shot{};
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(window, screen);
    return shot;
}

bool writebmp(const std::string& path, int width, int height,
              const std::function<std::uint32_t(int, int)>& colour) {
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t imagesize = static_cast<std::uint32_t>(stride) * height;
    std::string bytes(54 + imagesize, '\0');
    auto put16 = [&](size_t at, std::uint32_t v) {
        bytes[at] = static_cast<char>(v & 0xFF);
        bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    auto put32 = [&](size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + imagesize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    put16(26, 1);
    put16(28, 24);
    put32(34, imagesize);
    for (int y = 0; y < height; ++y) {
        size_t row = 54 + static_cast<size_t>(height - 1 - y) * stride;  // bottom row first
        for (int x = 0; x < width; ++x) {
            std::uint32_t c = colour(x, y);
            bytes[row + 3 * x] = static_cast<char>(c & 0xFF);              // blue
            bytes[row + 3 * x + 1] = static_cast<char>((c >> 8) & 0xFF);   // green
            bytes[row + 3 * x + 2] = static_cast<char>((c >> 16) & 0xFF);  // red
        }
    }
    return writefile(path, bytes);
}

bool saveshot(const Shot& shot, const std::string& path) {
    return writebmp(path, shot.width, shot.height, [&](int x, int y) { return shot.at(x, y); });
}

bool writefile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::vector<int> lattice(int size, int count) {
    std::vector<int> positions(static_cast<size_t>(count));
    const double step = static_cast<double>(size) / (count - 1);
    for (int i = 0; i < count; ++i) positions[i] = static_cast<int>(i * step + 0.5);
    positions[count - 1] = size - 1;
    return positions;
}

HGLOBAL makedrop(const std::string& path) {
    // The header, the file name, its NUL and the NUL that ends the list.
    HGLOBAL memory =
        GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + path.size() + 2);
    if (!memory) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt.x = 10;
    drop->pt.y = 10;
    drop->fNC = FALSE;
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.data(), path.size());
    GlobalUnlock(memory);
    return memory;
}

}  // namespace e2e
