// The editor's window-system port.
//
// Everything the editor asks of the window system goes through one Port,
// which is bound to the main window: the Win32 implementation makes a few
// real API calls per operation, the fake (editor/platform/fake) records what
// was asked and answers from a script. No Win32 header is included here;
// handles are opaque integers and every message constant the editor needs is
// in messages.h with its Win32 value.
//
// Texts are narrow strings, passed through unchanged (Shift-JIS on the
// shipped build).
#ifndef PIVOLA_PLATFORM_PORT_H
#define PIVOLA_PLATFORM_PORT_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pivola {

// Opaque handles. The value 0 means "none"; the Win32 implementation stores
// the real handle's bits (HPEN, HBRUSH, HBITMAP, HDC, HMODULE).
enum class Pen : std::uintptr_t { none = 0 };
enum class Brush : std::uintptr_t { none = 0 };
enum class Bitmap : std::uintptr_t { none = 0 };
enum class Surface : std::uintptr_t { none = 0 };
enum class Library : std::uintptr_t { none = 0 };

// A colour or pixel value in the layout 0x00BBGGRR (a COLORREF).
using Colour = std::uint32_t;

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const Size&) const = default;
};

// Message boxes: the icon and the buttons come together.
enum class BoxKind {
    error,     // error icon, OK
    question,  // question icon, Yes and No
    warning,   // warning icon, Yes and No
};
enum class Answer { ok, yes, no };

enum class Cursor { arrow, wait };

enum class Metric {
    screenwidth,    // SM_CXSCREEN
    screenheight,   // SM_CYSCREEN
    vscrollwidth,   // SM_CXVSCROLL
    hscrollheight,  // SM_CYHSCROLL
};

enum class ScrollBar { horizontal = 0, vertical = 1, both = 3 };  // SB_HORZ, SB_VERT, SB_BOTH

// How a menu item is made unavailable (EnableMenuItem's MF_ENABLED,
// MF_GRAYED, MF_DISABLED).
enum class ItemState { enabled = 0, greyed = 1, disabled = 2 };

// A newly created view buffer: a 24-bit top-down DIB section. Rows are
// 3 * width bytes rounded up to a multiple of 4 (the caller computes the
// stride); bits stays valid until the bitmap is deleted.
struct ViewBits {
    Bitmap bitmap = Bitmap::none;
    std::uint8_t* bits = nullptr;
};

// A file dialog's fixed texts. filter is a list of NUL-separated display
// text / pattern pairs ending with an empty string, as OPENFILENAME wants.
struct FileDialog {
    bool save = false;  // save dialog (path must exist, overwrite prompt) or open
    std::string filter;
    std::string title;
    std::string defext;
};

class Port {
  public:
    virtual ~Port() = default;

    // --- messages and the window ------------------------------------------
    // Modal message box owned by the main window (by the desktop when there
    // is no main window yet).
    virtual Answer messagebox(const std::string& text, const std::string& caption,
                              BoxKind kind) = 0;
    virtual void settitle(const std::string& text) = 0;
    virtual void invalidate(bool erase) = 0;  // the whole client area
    virtual void capturemouse() = 0;
    virtual void releasemouse() = 0;
    virtual void setcursor(Cursor cursor) = 0;
    virtual void postcommand(std::uintptr_t wparam, std::intptr_t lparam) = 0;  // WM_COMMAND
    virtual void postquit(int code) = 0;
    virtual void destroywindow() = 0;
    virtual void acceptdrops() = 0;  // DragAcceptFiles(window, TRUE)

    // --- menus (the check marks are the settings store) --------------------
    // GetMenuState of a main-menu item by command id: MF_CHECKED, MF_GRAYED,
    // MF_DISABLED bits (messages.h, namespace mf); 0xFFFFFFFF when missing.
    virtual std::uint32_t menustate(int id) = 0;
    virtual void checkmenu(int id, bool checked) = 0;
    virtual void enablemenu(int id, ItemState state) = 0;
    // True when the menu handle (WM_INITMENU's wParam) is the main window's
    // menu bar.
    virtual bool ismenubar(std::uintptr_t menu) = 0;
    // Turns menu-bar item id into a right-justified, disabled (not greyed)
    // string item with this text and redraws the menu bar.
    virtual void setindicator(int id, const std::string& text) = 0;
    // Inserts a string item (id, text) at position 0 of the window's system
    // menu and a separator at position 1.
    virtual void addsystemitem(int id, const std::string& text) = 0;

    // --- geometry and scroll bars ------------------------------------------
    virtual Rect clientrect() = 0;
    virtual Rect windowrect() = 0;            // screen coordinates
    virtual std::uint32_t windowstyle() = 0;  // GWL_STYLE
    // AdjustWindowRect: the window rectangle around a client rectangle.
    virtual Rect framerect(const Rect& client, std::uint32_t style, bool menu) = 0;
    // SetWindowPos with SWP_NOMOVE | SWP_NOZORDER (| SWP_FRAMECHANGED).
    virtual void resizewindow(int width, int height, bool framechanged) = 0;
    virtual int metric(Metric which) = 0;
    virtual void setscrollpos(ScrollBar bar, int pos, bool redraw) = 0;
    // SetScrollInfo with SIF_RANGE | SIF_POS: range 0..max, position pos.
    virtual void setscrollrange(ScrollBar bar, int max, int pos, bool redraw) = 0;
    virtual void showscrollbar(ScrollBar bar, bool show) = 0;

    // --- drawing objects and the view surface ------------------------------
    virtual Pen createpen(Colour colour) = 0;      // solid, width 0 (one pixel)
    virtual Brush createbrush(Colour colour) = 0;  // solid
    virtual void deletepen(Pen pen) = 0;
    virtual void deletebrush(Brush brush) = 0;
    // A memory drawing surface compatible with the main window; none on failure.
    virtual Surface createsurface() = 0;
    virtual void deletesurface(Surface surface) = 0;
    // A 24-bit top-down DIB section of width x height; bitmap none on failure.
    virtual ViewBits createviewbuffer(int width, int height) = 0;
    virtual void deletebitmap(Bitmap bitmap) = 0;
    // Each select returns the object it replaced in the surface.
    virtual Pen selectpen(Surface surface, Pen pen) = 0;
    virtual Brush selectbrush(Surface surface, Brush brush) = 0;
    virtual Bitmap selectbitmap(Surface surface, Bitmap bitmap) = 0;
    // Drawing into a surface with its current pen and brush (GDI rules: a
    // line leaves out its end pixel, a rectangle its right and bottom edges).
    virtual void fillrect(Surface surface, const Rect& rect) = 0;  // PatBlt PATCOPY
    virtual void moveto(Surface surface, int x, int y) = 0;
    virtual void lineto(Surface surface, int x, int y) = 0;
    virtual void rectangle(Surface surface, int left, int top, int right, int bottom) = 0;

    // --- the window's own drawing context ----------------------------------
    // BeginPaint; returns the update rectangle. Until endpaint, the two
    // window drawing operations below draw on the paint context; outside a
    // paint they take the window's context and release it again.
    virtual Rect beginpaint() = 0;
    virtual void endpaint() = 0;
    // Fills rect of the client area with the brush (PatBlt PATCOPY).
    virtual void fillwindow(Brush brush, const Rect& rect) = 0;
    // BitBlt SRCCOPY from the surface at (srcx, srcy) to rect of the client area.
    virtual void blitwindow(const Rect& rect, Surface surface, int srcx, int srcy) = 0;

    // --- clipboard ----------------------------------------------------------
    virtual bool openclipboard() = 0;  // owner: the main window
    virtual void closeclipboard() = 0;
    // GetPriorityClipboardFormat: the first of formats on offer, 0 for an
    // empty clipboard, -1 when none of them is there.
    virtual int priorityformat(const std::vector<std::uint32_t>& formats) = 0;
    // With the clipboard open: CF_BITMAP converted by GetDIBits into a
    // 32-bit top-down DIB, returned as its 40-byte header (as the
    // conversion left it) followed by the rows; nothing when there is no
    // bitmap or the conversion delivered no lines.
    virtual std::optional<std::vector<std::uint8_t>> clipboardbitmap() = 0;
    // With the clipboard open: a copy of the CF_DIB block; nothing when
    // there is none or it cannot be locked.
    virtual std::optional<std::vector<std::uint8_t>> clipboarddib() = 0;
    // With the clipboard open: empty it and hand it this CF_DIB block.
    virtual bool emptyclipboard() = 0;
    virtual bool setclipboarddib(const std::vector<std::uint8_t>& block) = 0;

    // --- dialogs ------------------------------------------------------------
    // File dialog owned by the main window; path is the proposed name in and
    // the chosen path out (at most 260 characters). False when cancelled.
    virtual bool filedialog(const FileDialog& dialog, std::string& path) = 0;
    // ChooseColor, CC_RGBINIT | CC_FULLOPEN; colour in and out, the 16
    // custom colours edited in place. False when cancelled.
    virtual bool choosecolour(Colour& colour, Colour (&custom)[16]) = 0;
    // The about box of the outside library: Verpanel(instance, window, icon,
    // texts) with the three texts title, version, notice.
    virtual void versionpanel(int icon, const std::string& title, const std::string& version,
                              const std::string& notice) = 0;

    // --- process, outside libraries, drops -----------------------------------
    // Creates or opens the named mutex (kept open until the process ends);
    // false when another process already holds the name.
    virtual bool claiminstance(const char* name) = 0;
    virtual Library loadlibrary(const char* name) = 0;  // none when missing
    virtual void* findfunction(Library library, const char* name) = 0;
    virtual void freelibrary(Library library) = 0;
    // The first dropped file's full path, at most 260 characters.
    virtual std::string droppedfile(std::uintptr_t drop) = 0;
    virtual void releasedrop(std::uintptr_t drop) = 0;
};

}  // namespace pivola

#endif
