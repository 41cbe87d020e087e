#include "platform/win32/win32port.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <limits>

#include "verpanel.h"

namespace pivola {

namespace {

// The port's opaque handles carry the Win32 handle's bits.
template <typename H, typename E>
H handle(E value) {
    return reinterpret_cast<H>(static_cast<std::uintptr_t>(value));
}
template <typename E, typename H>
E wrap(H value) {
    return static_cast<E>(reinterpret_cast<std::uintptr_t>(value));
}

HDC dc(Surface surface) {
    return handle<HDC>(surface);
}

Rect torect(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

// Copies text into a NUL-terminated buffer of capacity bytes, cut if longer.
void copytext(char* buffer, std::size_t capacity, const std::string& text) {
    std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

Win32Port::Win32Port(HINSTANCE instance)
    : instance_(instance),
      arrow_(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))),  // IDC_ARROW
      wait_(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))) {  // IDC_WAIT
}

Win32Port::WindowDC::WindowDC(Win32Port& port)
    : window_(port.window_),
      dc_(port.painting_ ? port.paint_.hdc : GetDC(port.window_)),
      own_(!port.painting_) {}

Win32Port::WindowDC::~WindowDC() {
    if (own_ && dc_) ReleaseDC(window_, dc_);
}

// --- messages and the window ------------------------------------------------

Answer Win32Port::messagebox(const std::string& text, const std::string& caption, BoxKind kind) {
    UINT style = MB_ICONERROR | MB_OK;
    if (kind == BoxKind::question) style = MB_ICONQUESTION | MB_YESNO;
    if (kind == BoxKind::warning) style = MB_ICONWARNING | MB_YESNO;
    HWND owner = window_ ? window_ : GetDesktopWindow();
    switch (MessageBoxA(owner, text.c_str(), caption.c_str(), style)) {
        case IDYES:
            return Answer::yes;
        case IDNO:
            return Answer::no;
        default:
            return Answer::ok;
    }
}

void Win32Port::settitle(const std::string& text) {
    SetWindowTextA(window_, text.c_str());
}

void Win32Port::invalidate(bool erase) {
    InvalidateRect(window_, nullptr, erase ? TRUE : FALSE);
}

void Win32Port::capturemouse() {
    SetCapture(window_);
}

void Win32Port::releasemouse() {
    ReleaseCapture();
}

void Win32Port::setcursor(Cursor cursor) {
    SetCursor(cursor == Cursor::wait ? wait_ : arrow_);
}

void Win32Port::postcommand(std::uintptr_t wparam, std::intptr_t lparam) {
    PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
}

void Win32Port::postquit(int code) {
    PostQuitMessage(code);
}

void Win32Port::destroywindow() {
    DestroyWindow(window_);
}

void Win32Port::acceptdrops() {
    DragAcceptFiles(window_, TRUE);
}

// --- menus --------------------------------------------------------------------

std::uint32_t Win32Port::menustate(int id) {
    return GetMenuState(GetMenu(window_), static_cast<UINT>(id), MF_BYCOMMAND);
}

void Win32Port::checkmenu(int id, bool checked) {
    CheckMenuItem(GetMenu(window_), static_cast<UINT>(id),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32Port::enablemenu(int id, ItemState state) {
    EnableMenuItem(GetMenu(window_), static_cast<UINT>(id),
                   MF_BYCOMMAND | static_cast<UINT>(state));
}

bool Win32Port::ismenubar(std::uintptr_t menu) {
    HMENU bar = GetMenu(window_);
    return bar && reinterpret_cast<HMENU>(menu) == bar;
}

void Win32Port::setindicator(int id, const std::string& text) {
    HMENU bar = GetMenu(window_);
    ModifyMenuA(bar, static_cast<UINT>(id),
                MF_BYCOMMAND | MF_STRING | MF_RIGHTJUSTIFY | MF_DISABLED, static_cast<UINT_PTR>(id),
                text.c_str());
    EnableMenuItem(bar, static_cast<UINT>(id), MF_BYCOMMAND | MF_DISABLED);
    DrawMenuBar(window_);
}

void Win32Port::addsystemitem(int id, const std::string& text) {
    HMENU menu = GetSystemMenu(window_, FALSE);
    InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(id), text.c_str());
    InsertMenuA(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

// --- geometry and scroll bars ---------------------------------------------------

Rect Win32Port::clientrect() {
    RECT r{};
    GetClientRect(window_, &r);
    return torect(r);
}

Rect Win32Port::windowrect() {
    RECT r{};
    GetWindowRect(window_, &r);
    return torect(r);
}

std::uint32_t Win32Port::windowstyle() {
    return static_cast<std::uint32_t>(GetWindowLongA(window_, GWL_STYLE));
}

Rect Win32Port::framerect(const Rect& client, std::uint32_t style, bool menu) {
    RECT r{client.left, client.top, client.right, client.bottom};
    AdjustWindowRect(&r, style, menu ? TRUE : FALSE);
    return torect(r);
}

void Win32Port::resizewindow(int width, int height, bool framechanged) {
    SetWindowPos(window_, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | (framechanged ? SWP_FRAMECHANGED : 0));
}

int Win32Port::metric(Metric which) {
    switch (which) {
        case Metric::screenwidth:
            return GetSystemMetrics(SM_CXSCREEN);
        case Metric::screenheight:
            return GetSystemMetrics(SM_CYSCREEN);
        case Metric::vscrollwidth:
            return GetSystemMetrics(SM_CXVSCROLL);
        case Metric::hscrollheight:
            return GetSystemMetrics(SM_CYHSCROLL);
    }
    return 0;
}

void Win32Port::setscrollpos(ScrollBar bar, int pos, bool redraw) {
    SetScrollPos(window_, static_cast<int>(bar), pos, redraw ? TRUE : FALSE);
}

void Win32Port::setscrollrange(ScrollBar bar, int max, int pos, bool redraw) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMin = 0;
    info.nMax = max;
    info.nPos = pos;
    SetScrollInfo(window_, static_cast<int>(bar), &info, redraw ? TRUE : FALSE);
}

void Win32Port::showscrollbar(ScrollBar bar, bool show) {
    ShowScrollBar(window_, static_cast<int>(bar), show ? TRUE : FALSE);
}

// --- drawing objects and the view surface ----------------------------------------

Pen Win32Port::createpen(Colour colour) {
    return wrap<Pen>(CreatePen(PS_SOLID, 0, colour));
}

Brush Win32Port::createbrush(Colour colour) {
    return wrap<Brush>(CreateSolidBrush(colour));
}

void Win32Port::deletepen(Pen pen) {
    DeleteObject(handle<HPEN>(pen));
}

void Win32Port::deletebrush(Brush brush) {
    DeleteObject(handle<HBRUSH>(brush));
}

Surface Win32Port::createsurface() {
    HDC window = GetDC(window_);
    if (!window) return Surface::none;
    HDC surface = CreateCompatibleDC(window);
    ReleaseDC(window_, window);
    return wrap<Surface>(surface);
}

void Win32Port::deletesurface(Surface surface) {
    DeleteDC(dc(surface));
}

ViewBits Win32Port::createviewbuffer(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC window = GetDC(window_);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (window) ReleaseDC(window_, window);
    if (!bitmap) return ViewBits{};
    return ViewBits{wrap<Bitmap>(bitmap), static_cast<std::uint8_t*>(bits)};
}

void Win32Port::deletebitmap(Bitmap bitmap) {
    DeleteObject(handle<HBITMAP>(bitmap));
}

Pen Win32Port::selectpen(Surface surface, Pen pen) {
    return wrap<Pen>(SelectObject(dc(surface), handle<HPEN>(pen)));
}

Brush Win32Port::selectbrush(Surface surface, Brush brush) {
    return wrap<Brush>(SelectObject(dc(surface), handle<HBRUSH>(brush)));
}

Bitmap Win32Port::selectbitmap(Surface surface, Bitmap bitmap) {
    return wrap<Bitmap>(SelectObject(dc(surface), handle<HBITMAP>(bitmap)));
}

void Win32Port::fillrect(Surface surface, const Rect& rect) {
    PatBlt(dc(surface), rect.left, rect.top, rect.width(), rect.height(), PATCOPY);
}

void Win32Port::moveto(Surface surface, int x, int y) {
    MoveToEx(dc(surface), x, y, nullptr);
}

void Win32Port::lineto(Surface surface, int x, int y) {
    LineTo(dc(surface), x, y);
}

void Win32Port::rectangle(Surface surface, int left, int top, int right, int bottom) {
    Rectangle(dc(surface), left, top, right, bottom);
}

// --- the window's own drawing context ----------------------------------------------

Rect Win32Port::beginpaint() {
    paint_ = PAINTSTRUCT{};
    BeginPaint(window_, &paint_);
    painting_ = true;
    return torect(paint_.rcPaint);
}

void Win32Port::endpaint() {
    if (!painting_) return;
    EndPaint(window_, &paint_);
    painting_ = false;
}

void Win32Port::fillwindow(Brush brush, const Rect& rect) {
    WindowDC window(*this);
    if (!window.get()) return;
    HGDIOBJ old = SelectObject(window.get(), handle<HBRUSH>(brush));
    PatBlt(window.get(), rect.left, rect.top, rect.width(), rect.height(), PATCOPY);
    SelectObject(window.get(), old);
}

void Win32Port::blitwindow(const Rect& rect, Surface surface, int srcx, int srcy) {
    WindowDC window(*this);
    if (!window.get()) return;
    BitBlt(window.get(), rect.left, rect.top, rect.width(), rect.height(), dc(surface), srcx, srcy,
           SRCCOPY);
}

// --- clipboard ------------------------------------------------------------------------

bool Win32Port::openclipboard() {
    return OpenClipboard(window_) != FALSE;
}

void Win32Port::closeclipboard() {
    CloseClipboard();
}

int Win32Port::priorityformat(const std::vector<std::uint32_t>& formats) {
    std::vector<UINT> list(formats.begin(), formats.end());
    return GetPriorityClipboardFormat(list.data(), static_cast<int>(list.size()));
}

std::optional<std::vector<std::uint8_t>> Win32Port::clipboardbitmap() {
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    if (!bitmap) return std::nullopt;
    BITMAP shape{};
    if (GetObjectA(bitmap, sizeof shape, &shape) == 0) return std::nullopt;
    long long width = shape.bmWidth;
    long long height =
        shape.bmHeight < 0 ? -static_cast<long long>(shape.bmHeight) : shape.bmHeight;
    // The rows must fit in memory and their byte count in a signed 32-bit value.
    if (width <= 0 || height <= 0 ||
        width * height > (std::numeric_limits<std::int32_t>::max() - 40) / 4) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> block;
    try {
        block.resize(40 + static_cast<std::size_t>(width * height * 4));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = -static_cast<LONG>(height);  // top row first
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::memcpy(block.data(), &header, sizeof header);
    HDC window = GetDC(window_);
    int lines = GetDIBits(window, bitmap, 0, static_cast<UINT>(height), block.data() + 40,
                          reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
    if (window) ReleaseDC(window_, window);
    if (lines <= 0) return std::nullopt;
    return block;
}

std::optional<std::vector<std::uint8_t>> Win32Port::clipboarddib() {
    HANDLE data = GetClipboardData(CF_DIB);
    if (!data) return std::nullopt;
    const void* bytes = GlobalLock(data);
    if (!bytes) return std::nullopt;
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    std::optional<std::vector<std::uint8_t>> copy;
    try {
        copy.emplace(begin, begin + GlobalSize(data));
    } catch (const std::bad_alloc&) {
        copy.reset();
    }
    GlobalUnlock(data);
    return copy;
}

bool Win32Port::emptyclipboard() {
    return EmptyClipboard() != FALSE;
}

bool Win32Port::setclipboarddib(const std::vector<std::uint8_t>& block) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
    if (!memory) return false;
    void* bytes = GlobalLock(memory);
    if (!bytes) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(bytes, block.data(), block.size());
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_DIB, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;  // the block belongs to the clipboard now
}

// --- dialogs --------------------------------------------------------------------------

bool Win32Port::filedialog(const FileDialog& dialog, std::string& path) {
    char file[MAX_PATH + 1];
    copytext(file, sizeof file, path);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window_;
    ofn.lpstrFilter = dialog.filter.c_str();  // pairs end with an empty string + this NUL
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = dialog.title.c_str();
    ofn.lpstrDefExt = dialog.defext.c_str();
    BOOL confirmed;
    if (dialog.save) {
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        confirmed = GetSaveFileNameA(&ofn);
    } else {
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        confirmed = GetOpenFileNameA(&ofn);
    }
    if (!confirmed) return false;
    file[MAX_PATH] = '\0';
    path = file;
    return true;
}

bool Win32Port::choosecolour(Colour& colour, Colour (&custom)[16]) {
    static_assert(sizeof(COLORREF) == sizeof(Colour));
    COLORREF colours[16];
    for (int i = 0; i < 16; ++i) colours[i] = custom[i];
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = window_;
    cc.rgbResult = colour;
    cc.lpCustColors = colours;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    BOOL confirmed = ChooseColorA(&cc);
    // The user's edits to the custom colours last whether or not the dialog is confirmed.
    for (int i = 0; i < 16; ++i) custom[i] = colours[i];
    if (!confirmed) return false;
    colour = cc.rgbResult;
    return true;
}

void Win32Port::versionpanel(int icon, const std::string& title, const std::string& version,
                             const std::string& notice) {
    const char* texts[3] = {title.c_str(), version.c_str(), notice.c_str()};
    Verpanel(instance_, window_, icon, texts);
}

// --- process, outside libraries, drops ----------------------------------------------------

bool Win32Port::claiminstance(const char* name) {
    // The handle stays open until the process ends: it is what keeps the name taken.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    return !(mutex && GetLastError() == ERROR_ALREADY_EXISTS);
}

Library Win32Port::loadlibrary(const char* name) {
    return wrap<Library>(LoadLibraryA(name));
}

void* Win32Port::findfunction(Library library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(handle<HMODULE>(library), name));
}

void Win32Port::freelibrary(Library library) {
    FreeLibrary(handle<HMODULE>(library));
}

std::string Win32Port::droppedfile(std::uintptr_t drop) {
    char path[MAX_PATH + 1] = {};
    if (DragQueryFileA(reinterpret_cast<HDROP>(drop), 0, path, sizeof path) == 0) return {};
    path[MAX_PATH] = '\0';
    return path;
}

void Win32Port::releasedrop(std::uintptr_t drop) {
    DragFinish(reinterpret_cast<HDROP>(drop));
}

}  // namespace pivola
