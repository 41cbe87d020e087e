// An in-memory port for the native tests. It records what the editor asked
// for, answers message boxes and dialogs from a script the test sets, keeps
// menu states, scroll bars and a simple window geometry, and holds real
// in-memory view buffers so that composition can be checked pixel by pixel.
// Drawing into a surface is both recorded (lines, rectangles, fills) and
// rasterised into the selected bitmap (GDI rules for rectangles and fills; a
// simple line raster that leaves out the end pixel).
#ifndef PIVOLA_PLATFORM_FAKEPORT_H
#define PIVOLA_PLATFORM_FAKEPORT_H

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/port.h"

namespace pivola {

class FakePort : public Port {
  public:
    // --- what the test scripts ----------------------------------------------
    std::deque<Answer> answers;  // message-box answers, in order; empty: ok / no
    struct FileAnswer {
        bool confirm = false;
        std::string path;
    };
    std::deque<FileAnswer> fileanswers;  // file dialogs; empty: cancelled
    struct ColourAnswer {
        bool confirm = false;
        Colour colour = 0;
    };
    std::deque<ColourAnswer> colouranswers;                  // colour dialogs; empty: cancelled
    std::set<std::string> libraries;                         // library file name -> loads
    std::map<std::string, std::set<std::string>> functions;  // library -> its functions
    bool instancetaken = false;                              // another process holds the mutex
    bool clipboardlocked = false;                            // openclipboard fails
    std::optional<std::vector<std::uint8_t>> clipbitmap;     // CF_BITMAP as a 32-bit DIB
    std::optional<std::vector<std::uint8_t>> clipdib;        // CF_DIB block
    std::vector<std::string> dropfiles;  // files of the drop handed to droppedfile
    std::uintptr_t menubar = 0x1000;     // the main window's menu handle
    Rect updaterect{0, 0, 0, 0};         // beginpaint's answer
    bool failsurface = false;            // createsurface fails
    bool failviewbuffer = false;         // createviewbuffer fails
    int failpens = 0;                    // the next n createpen calls fail
    int failbrushes = 0;                 // the next n createbrush calls fail
    // Geometry: screen, scroll bar sizes and the frame around the client.
    int screenwidth = 1280;
    int screenheight = 1024;
    int vscrollwidth = 16;
    int hscrollheight = 16;
    Rect frame{4, 42, 4, 4};  // added left, top (caption and menu), right, bottom
    int menuheight = 19;      // part of frame.top

    // --- what the fake recorded ---------------------------------------------
    struct Box {
        std::string text, caption;
        BoxKind kind;
    };
    std::vector<Box> boxes;
    std::vector<FileDialog> filedialogs;
    std::vector<std::string> filedialogpaths;  // the proposed path of each
    std::string title;
    std::vector<std::string> titles;  // every title set, in order
    int invalidations = 0;
    int erasinginvalidations = 0;
    bool captured = false;
    int captures = 0;
    int releases = 0;
    std::vector<Cursor> cursors;
    struct Posted {
        std::uintptr_t wparam;
        std::intptr_t lparam;
    };
    std::vector<Posted> postedcommands;
    std::optional<int> quitcode;
    bool destroyed = false;
    bool dropsaccepted = false;
    std::vector<std::uintptr_t> releaseddrops;
    std::map<int, std::uint32_t> menu;      // command id -> MF_* state
    std::map<int, std::string> indicators;  // setindicator texts
    int indicatorupdates = 0;
    std::vector<std::pair<int, std::string>> systemitems;
    struct Bar {
        int pos = 0;
        int max = 0;
        bool shown = true;
    };
    Bar hbar, vbar;
    Rect window{100, 100, 740, 580};             // outer rectangle; 640 x 480 at start
    std::vector<std::pair<Size, bool>> resizes;  // (size, framechanged)
    std::vector<std::string> libraryloads;
    std::vector<std::string> libraryfrees;
    int paints = 0;
    bool painting = false;
    struct Blit {
        Rect rect;
        Surface surface;
        int srcx, srcy;
    };
    std::vector<Blit> blits;
    struct WindowFill {
        Brush brush;
        Rect rect;
    };
    std::vector<WindowFill> windowfills;
    int clipboardopens = 0;
    int clipboardcloses = 0;
    std::vector<std::vector<std::uint8_t>> clipboardsets;
    struct Version {
        int icon;
        std::string title, version, notice;
    };
    std::vector<Version> versions;

    // Drawing objects: every created object until deleted, with its colour.
    std::map<Pen, Colour> pens;
    std::map<Brush, Colour> brushes;
    std::set<Surface> surfaces;
    int deletes = 0;                  // deletions of pens, brushes, bitmaps, surfaces
    std::vector<std::string> errors;  // misuse: double deletes, deleting a selected bitmap
    struct FakeBitmap {
        int width = 0, height = 0, stride = 0;
        std::vector<std::uint8_t> bits;
    };
    std::map<Bitmap, FakeBitmap> bitmaps;
    struct SurfaceState {
        Pen pen = Pen::none;
        Brush brush = Brush::none;
        Bitmap bitmap = Bitmap::none;
        int curx = 0, cury = 0;
    };
    std::map<Surface, SurfaceState> surfacestate;
    struct Line {
        int x1, y1, x2, y2;
        Colour colour;
    };
    struct Rectangle {
        int left, top, right, bottom;
        Colour pen, brush;
    };
    std::vector<Line> lines;
    std::vector<Rectangle> rectangles;
    std::vector<Rect> fills;
    // Lines, rectangles and fills in the order drawn: "line x1,y1 x2,y2",
    // "rect l,t,r,b", "fill l,t,r,b".
    std::vector<std::string> ops;

    FakePort();

    // Helpers for tests.
    bool checked(int id) const;
    std::uint32_t state(int id) const;
    void clearrecords();  // forget drawing records, boxes, cursors and counters
    const FakeBitmap* selectedbitmap(Surface s) const;
    // The (r, g, b) pixel of the bitmap selected into the surface, as 0x00BBGGRR.
    Colour pixel(Surface s, int x, int y) const;
    Size clientsize() const;  // from the window size, frame and shown bars

    // --- Port ------------------------------------------------------------------
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
    std::uintptr_t next_ = 0x100;  // handle values handed out
    std::map<Library, std::string> loaded_;
    bool clipopen_ = false;
    void plot(Surface s, int x, int y, Colour c);
    std::uintptr_t newhandle() { return next_++; }
};

}  // namespace pivola

#endif
