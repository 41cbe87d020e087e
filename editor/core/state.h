// The program-wide editor state: one App object, created at start-up and
// passed explicitly to every operation, so that each test starts from a
// fresh one. Nothing else in the editor holds mutable state.
#ifndef PIVOLA_CORE_STATE_H
#define PIVOLA_CORE_STATE_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "picture.h"
#include "platform/port.h"
#include "tramap32.h"

namespace pivola {

inline constexpr const char* kProduct = "Pivola";
inline constexpr std::size_t kMaxPath = 260;  // characters of a path, NUL not counted
inline constexpr int kUndoSlots = 51;         // one slot stays free: at most 50 entries
inline constexpr std::int32_t kViewMinWidth = 640;
inline constexpr std::int32_t kViewMinHeight = 480;

// The view buffer: a 24-bit top-down DIB section of width x height, kept
// selected into the view surface while it exists.
struct ViewBuffer {
    Bitmap bitmap = Bitmap::none;
    std::uint8_t* bits = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;   // bytes per row, padding included
    std::int32_t padding = 0;  // bytes after the 3 * width pixel bytes of a row
};

struct DragState {
    bool active = false;
    std::int32_t index = 0;
    std::int32_t col = 0;
    std::int32_t row = 0;
    std::int32_t x0 = 0;  // the point's deformed position when the drag began
    std::int32_t y0 = 0;
};

struct UndoEntry {
    std::int32_t index = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Ring of kUndoSlots entries: head is the slot the next entry goes into,
// tail the oldest entry; empty when head == tail.
struct UndoRing {
    std::array<UndoEntry, kUndoSlots> slots{};
    std::int32_t head = 0;
    std::int32_t tail = 0;
    bool empty() const { return head == tail; }
};

struct Document {
    files::Picture picture{};                 // the bordered picture, W x H
    std::unique_ptr<std::uint32_t[]> warped;  // W x H, written by refreshview
    ViewBuffer view;
    WarpMap map{};
    std::string path;       // picture path, or the clipboard title
    std::int32_t hoff = 0;  // scroll offsets
    std::int32_t voff = 0;
    DragState drag;
    UndoRing undo;
    std::int32_t halfsize = 5;  // drag-point half-size, set by drawgrid

    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document();  // frees heap memory left behind (the port's objects are releaseshell's)

    std::int32_t width() const { return picture.width; }
    std::int32_t height() const { return picture.height; }
};

// Settings with a variable of their own; the interpolation choices and the
// hide flags live in the menu's check marks (settings.h).
struct Settings {
    Colour background = 0x00000000;
    Colour pointcolour = 0x00FF0000;
    Colour custom[16] = {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF,
                         0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF,
                         0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF};
    std::int32_t gridcols = 8;
    std::int32_t gridrows = 8;
};

// The calculator library, when one is bound.
struct Calculator {
    Library library = Library::none;
    void* entry = nullptr;
    const char* name = nullptr;  // the file name that was bound
};

// Resources and paths of the shell.
struct Shell {
    Surface surface = Surface::none;      // the off-screen view surface
    Bitmap surfacebitmap = Bitmap::none;  // the surface's own bitmap, put back
                                          // before a view buffer is deleted
    Brush background = Brush::none;       // selected into the surface
    Pen guide = Pen::none;                // selected into the surface
    Calculator calculator;
    std::string settingspath;  // command-line file, then the settings dialogs' file
    std::string droppath;      // first file of the latest drop
    std::string dppath;        // drag-point file dialogs' file
    std::string dialogpath;    // picture dialog path (Open, Save As)
};

struct App {
    Document doc;
    Settings settings;
    Shell shell;
};

// Document loaded: picture, view buffer and warp map all exist.
inline bool loaded(const Document& d) {
    return d.picture.pixels != nullptr && d.view.bitmap != Bitmap::none && d.map.orgx != nullptr;
}
inline bool pictureopen(const Document& d) {
    return d.picture.pixels != nullptr;
}

}  // namespace pivola

#endif
