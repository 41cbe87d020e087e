// Window-message constants the editor's dispatch needs, with their Win32
// values, usable without windows.h. Namespaced and lower case so that they
// never collide with the Win32 macros where both are visible.
#ifndef PIVOLA_PLATFORM_MESSAGES_H
#define PIVOLA_PLATFORM_MESSAGES_H

#include <cstdint>

namespace pivola {

namespace wm {
inline constexpr std::uint32_t create = 0x0001;
inline constexpr std::uint32_t destroy = 0x0002;
inline constexpr std::uint32_t size = 0x0005;
inline constexpr std::uint32_t paint = 0x000F;
inline constexpr std::uint32_t close = 0x0010;
inline constexpr std::uint32_t getminmaxinfo = 0x0024;
inline constexpr std::uint32_t command = 0x0111;
inline constexpr std::uint32_t syscommand = 0x0112;
inline constexpr std::uint32_t hscroll = 0x0114;
inline constexpr std::uint32_t vscroll = 0x0115;
inline constexpr std::uint32_t initmenu = 0x0116;
inline constexpr std::uint32_t mousemove = 0x0200;
inline constexpr std::uint32_t lbuttondown = 0x0201;
inline constexpr std::uint32_t lbuttonup = 0x0202;
inline constexpr std::uint32_t rbuttondown = 0x0204;
inline constexpr std::uint32_t dropfiles = 0x0233;
}  // namespace wm

// Key-state bits of mouse messages' wParam.
namespace mk {
inline constexpr std::uint32_t lbutton = 0x0001;
inline constexpr std::uint32_t rbutton = 0x0002;
inline constexpr std::uint32_t shift = 0x0004;
inline constexpr std::uint32_t control = 0x0008;
}  // namespace mk

// Scroll codes (low word of WM_HSCROLL / WM_VSCROLL wParam).
namespace sb {
inline constexpr std::uint32_t lineup = 0;
inline constexpr std::uint32_t linedown = 1;
inline constexpr std::uint32_t pageup = 2;
inline constexpr std::uint32_t pagedown = 3;
inline constexpr std::uint32_t thumbposition = 4;
inline constexpr std::uint32_t thumbtrack = 5;
inline constexpr std::uint32_t top = 6;
inline constexpr std::uint32_t bottom = 7;
inline constexpr std::uint32_t endscroll = 8;
}  // namespace sb

// Menu item state bits as GetMenuState reports them.
namespace mf {
inline constexpr std::uint32_t grayed = 0x0001;
inline constexpr std::uint32_t disabled = 0x0002;
inline constexpr std::uint32_t checked = 0x0008;
inline constexpr std::uint32_t missing = 0xFFFFFFFF;
}  // namespace mf

// Window styles the geometry arithmetic uses.
namespace ws {
inline constexpr std::uint32_t overlappedwindow = 0x00CF0000;
inline constexpr std::uint32_t hscroll = 0x00100000;
inline constexpr std::uint32_t vscroll = 0x00200000;
inline constexpr std::uint32_t mainwindow = overlappedwindow | hscroll | vscroll;  // 0x00FF0000
}  // namespace ws

// Clipboard formats.
namespace cf {
inline constexpr std::uint32_t bitmap = 2;
inline constexpr std::uint32_t dib = 8;
}  // namespace cf

// MINMAXINFO: five POINTs of two LONGs, the same 40 bytes on 32 and 64 bits.
struct MinMaxInfo {
    std::int32_t reservedx, reservedy;
    std::int32_t maxsizex, maxsizey;
    std::int32_t maxpositionx, maxpositiony;
    std::int32_t mintrackx, mintracky;
    std::int32_t maxtrackx, maxtracky;
};
static_assert(sizeof(MinMaxInfo) == 40);

// The signed 16-bit words of a message parameter (mouse positions).
inline std::int32_t loword_signed(std::intptr_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}
inline std::int32_t hiword_signed(std::intptr_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((v >> 16) & 0xFFFF));
}
inline std::uint32_t loword(std::uintptr_t v) {
    return static_cast<std::uint32_t>(v & 0xFFFF);
}
inline std::uint32_t hiword(std::uintptr_t v) {
    return static_cast<std::uint32_t>((v >> 16) & 0xFFFF);
}

}  // namespace pivola

#endif
