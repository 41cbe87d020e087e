// The window-system port for Win32: each operation is a few narrow ("A")
// API calls on the main window, nothing more. The program entry makes one
// Win32Port for the instance and binds it to the main window as soon as the
// window exists (inside WM_CREATE, before the editor handles it).
#ifndef PIVOLA_PLATFORM_WIN32PORT_H
#define PIVOLA_PLATFORM_WIN32PORT_H

#include <windows.h>

#include "platform/port.h"

namespace pivola {

class Win32Port final : public Port {
  public:
    explicit Win32Port(HINSTANCE instance);

    void bind(HWND window) { window_ = window; }
    HWND window() const { return window_; }
    HINSTANCE instance() const { return instance_; }

    Answer messagebox(const std::string& text, const std::string& caption, BoxKind kind) override;
    void settitle(const std::string& text) override;
    void invalidate(bool erase) override;
    void capturemouse() override;
    void releasemouse() override;
    void setcursor(Cursor cursor) override;
    void postcommand(std::uintptr_t wparam, std::intptr_t lparam) override;
    void postquit(int code) override;
    void destroywindow() override;
    void acceptdrops() override;

    std::uint32_t menustate(int id) override;
    void checkmenu(int id, bool checked) override;
    void enablemenu(int id, ItemState state) override;
    bool ismenubar(std::uintptr_t menu) override;
    void setindicator(int id, const std::string& text) override;
    void addsystemitem(int id, const std::string& text) override;

    Rect clientrect() override;
    Rect windowrect() override;
    std::uint32_t windowstyle() override;
    Rect framerect(const Rect& client, std::uint32_t style, bool menu) override;
    void resizewindow(int width, int height, bool framechanged) override;
    int metric(Metric which) override;
    void setscrollpos(ScrollBar bar, int pos, bool redraw) override;
    void setscrollrange(ScrollBar bar, int max, int pos, bool redraw) override;
    void showscrollbar(ScrollBar bar, bool show) override;

    Pen createpen(Colour colour) override;
    Brush createbrush(Colour colour) override;
    void deletepen(Pen pen) override;
    void deletebrush(Brush brush) override;
    Surface createsurface() override;
    void deletesurface(Surface surface) override;
    ViewBits createviewbuffer(int width, int height) override;
    void deletebitmap(Bitmap bitmap) override;
    Pen selectpen(Surface surface, Pen pen) override;
    Brush selectbrush(Surface surface, Brush brush) override;
    Bitmap selectbitmap(Surface surface, Bitmap bitmap) override;
    void fillrect(Surface surface, const Rect& rect) override;
    void moveto(Surface surface, int x, int y) override;
    void lineto(Surface surface, int x, int y) override;
    void rectangle(Surface surface, int left, int top, int right, int bottom) override;

    Rect beginpaint() override;
    void endpaint() override;
    void fillwindow(Brush brush, const Rect& rect) override;
    void blitwindow(const Rect& rect, Surface surface, int srcx, int srcy) override;

    bool openclipboard() override;
    void closeclipboard() override;
    int priorityformat(const std::vector<std::uint32_t>& formats) override;
    std::optional<std::vector<std::uint8_t>> clipboardbitmap() override;
    std::optional<std::vector<std::uint8_t>> clipboarddib() override;
    bool emptyclipboard() override;
    bool setclipboarddib(const std::vector<std::uint8_t>& block) override;

    bool filedialog(const FileDialog& dialog, std::string& path) override;
    bool choosecolour(Colour& colour, Colour (&custom)[16]) override;
    void versionpanel(int icon, const std::string& title, const std::string& version,
                      const std::string& notice) override;

    bool claiminstance(const char* name) override;
    Library loadlibrary(const char* name) override;
    void* findfunction(Library library, const char* name) override;
    void freelibrary(Library library) override;
    std::string droppedfile(std::uintptr_t drop) override;
    void releasedrop(std::uintptr_t drop) override;

  private:
    // The window's drawing context for one operation: the paint context
    // inside beginpaint/endpaint, else GetDC, released by the destructor.
    class WindowDC {
      public:
        explicit WindowDC(Win32Port& port);
        ~WindowDC();
        WindowDC(const WindowDC&) = delete;
        WindowDC& operator=(const WindowDC&) = delete;
        HDC get() const { return dc_; }

      private:
        HWND window_;
        HDC dc_;
        bool own_;
    };

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HCURSOR arrow_;
    HCURSOR wait_;
    PAINTSTRUCT paint_{};
    bool painting_ = false;
};

}  // namespace pivola

#endif
