#include "resources_check.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "harness.h"
#include "shell/resource.h"

namespace e2e {

namespace {

// One entry of a menu: a command item (id > 0), a separator (id 0) or a
// pull-down or submenu (id -1) with its entries.
struct Entry {
    int id;
    const char* text;
    std::vector<Entry> entries;
};

const Entry kSeparator{0, "", {}};

// The menu bar, left to right, with every text as the user sees it.
const std::vector<Entry>& expectedbar() {
    static const std::vector<Entry> bar = {
        {-1,
         "ﾌｧｲﾙ(&F)",
         {{IDM_OPEN, "開く(&O)", {}},
          {IDM_SAVEAS, "名前を付けて保存(&A)", {}},
          kSeparator,
          {IDM_LOADDP, "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄの読み込み(&G)", {}},
          {IDM_SAVEDP, "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄの保存(&U)", {}},
          kSeparator,
          {IDM_LOADSETTINGS, "設定の読み込み(&S)", {}},
          {IDM_SAVESETTINGS, "設定の保存(&E)", {}},
          kSeparator,
          {IDM_EXIT, "終了(&X)", {}}}},
        {-1,
         "編集(&E)",
         {{IDM_UNDO, "元に戻す(&U)\tCtrl+Z", {}},
          {IDM_COPY, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ(&C)\tCtrl+C", {}},
          {IDM_PASTE, "貼り付け(&P)\tCtrl+V", {}},
          kSeparator,
          {IDM_RESET, "全ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄのﾘｾｯﾄ(&G)", {}}}},
        {-1,
         "設定(&S)",
         {{-1,
           "出力設定(&I)",
           {{IDM_OUT_NEAREST, "ﾆｱﾚｽﾄﾈｲﾊﾞｰ(&N)", {}},
            {IDM_OUT_BILINEAR, "ﾊﾞｲﾘﾆｱ(&L)", {}},
            {IDM_OUT_BICUBIC, "ﾊﾞｲｷｭｰﾋﾞｯｸ(&C)", {}}}},
          kSeparator,
          {IDM_POINTCOLOUR, "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄ・ｶﾞｲﾄﾞﾗｲﾝの色(&C)", {}},
          {IDM_BACKCOLOUR, "背景色(&B)", {}},
          kSeparator,
          {IDM_GRIDSIZE, "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄ数の設定(&N)", {}},
          kSeparator,
          {IDM_ONEPIXEL, "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄを1ﾋﾟｸｾﾙ分のｻｲｽﾞにする(&D)\tF4", {}}}},
        {-1,
         "表示(&V)",
         {{-1,
           "表示設定(&I)",
           {{IDM_VIEW_NEAREST, "ﾆｱﾚｽﾄﾈｲﾊﾞｰ(&N)", {}},
            {IDM_VIEW_BILINEAR, "ﾊﾞｲﾘﾆｱ(&L)", {}},
            {IDM_VIEW_BICUBIC, "ﾊﾞｲｷｭｰﾋﾞｯｸ(&C)", {}}}},
          kSeparator,
          {IDM_HIDERESULT, "変形結果を表示しない(&O)\tF1", {}},
          {IDM_HIDEPOINTS, "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄ・ｶﾞｲﾄﾞﾗｲﾝを表示しない(&G)\tF2", {}},
          {IDM_HIDEIMAGE, "画像を表示しない(&P)\tF3", {}}}},
        {IDM_VERSION, "ﾊﾞｰｼﾞｮﾝ情報(&A)", {}},
        {IDM_BLANK, "", {}},
        {IDM_SIZEINDICATOR, "", {}},
    };
    return bar;
}

void checkmenu(HMENU menu, const std::vector<Entry>& entries, const std::string& where) {
    const int count = GetMenuItemCount(menu);
    check(count == static_cast<int>(entries.size()), where + ": " + std::to_string(entries.size()) +
                                                         " entries (found " +
                                                         std::to_string(count) + ")");
    for (int i = 0; i < count && i < static_cast<int>(entries.size()); ++i) {
        const Entry& entry = entries[static_cast<size_t>(i)];
        const std::string at = where + " entry " + std::to_string(i);
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (entry.id == 0) {
            check((info.fType & MFT_SEPARATOR) != 0, at + " is a separator");
            continue;
        }
        check(menutextat(menu, i) == entry.text,
              at + " reads \"" + entry.text + "\" (found \"" + menutextat(menu, i) + "\")");
        if (entry.id < 0) {
            check(info.hSubMenu != nullptr, at + " opens a menu");
            if (info.hSubMenu) checkmenu(info.hSubMenu, entry.entries, where + " > " + entry.text);
        } else {
            check(info.hSubMenu == nullptr && info.wID == static_cast<UINT>(entry.id),
                  at + " is command " + std::to_string(entry.id));
        }
    }
}

std::string fromutf16(const std::u16string& text) {
    if (text.empty()) return {};
    char buffer[512] = "";
    int n =
        WideCharToMultiByte(932, 0, reinterpret_cast<const wchar_t*>(text.data()),
                            static_cast<int>(text.size()), buffer, sizeof buffer, nullptr, nullptr);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// Reads a classic (non-extended) dialog template.
class TemplateReader {
  public:
    TemplateReader(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    std::uint16_t word() {
        std::uint16_t v = 0;
        if (at_ + 2 > size_) {
            ok_ = false;
            return 0;
        }
        std::memcpy(&v, data_ + at_, 2);
        at_ += 2;
        return v;
    }
    std::uint32_t dword() {
        std::uint32_t low = word();
        return low | (static_cast<std::uint32_t>(word()) << 16);
    }
    std::u16string string() {
        std::u16string text;
        for (std::uint16_t c = word(); ok_ && c != 0; c = word()) text += static_cast<char16_t>(c);
        return text;
    }
    // A name field: an ordinal (0xFFFF, n), nothing (0), or a string.
    std::uint16_t ordinal(std::u16string& name) {
        std::uint16_t first = word();
        if (first == 0xFFFF) return word();
        if (first == 0) return 0;
        name = static_cast<char16_t>(first);
        name += string();
        return 0;
    }
    void align() { at_ = (at_ + 3) & ~static_cast<size_t>(3); }
    void skip(size_t n) { at_ += n; }

  private:
    const std::uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

struct Control {
    std::uint32_t style;
    short x, y, cx, cy;
    std::uint16_t id;
    std::uint16_t kind;  // 0x80 button, 0x81 edit, 0x82 static
    std::string text;
};

void checkdialog(HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDD_GRIDSIZE), MAKEINTRESOURCEA(5));
    check(found != nullptr, "dialog 102 is in pivola.exe");
    if (!found) return;
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    TemplateReader in(data, SizeofResource(module, found));
    const std::uint32_t style = in.dword();
    in.dword();  // extended style
    const std::uint16_t count = in.word();
    in.word();  // x
    in.word();  // y
    const short cx = static_cast<short>(in.word());
    const short cy = static_cast<short>(in.word());
    std::u16string name;
    in.ordinal(name);  // menu
    in.ordinal(name);  // class
    const std::string title = fromutf16(in.string());
    std::string face;
    std::uint16_t points = 0;
    if (style & DS_SETFONT) {
        points = in.word();
        face = fromutf16(in.string());
    }
    const std::uint32_t frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    check((style & frame) == frame, "dialog 102 is a modal frame with a caption and system menu");
    check(cx == 179 && cy == 70, "dialog 102 is 179 x 70 dialog units");
    check(title == "ﾄﾞﾗｯｸﾞﾎﾟｲﾝﾄ数の設定", "dialog 102's title (found \"" + title + "\")");
    check(points == 9 && face == "ＭＳ Ｐゴシック", "dialog 102's font (found \"" + face + "\")");
    check(count == 6, "dialog 102 has six controls");

    std::vector<Control> controls;
    for (int i = 0; i < count && in.ok(); ++i) {
        in.align();
        Control c{};
        c.style = in.dword();
        in.dword();
        c.x = static_cast<short>(in.word());
        c.y = static_cast<short>(in.word());
        c.cx = static_cast<short>(in.word());
        c.cy = static_cast<short>(in.word());
        c.id = in.word();
        std::u16string classname, text;
        c.kind = in.ordinal(classname);
        in.ordinal(text);
        c.text = fromutf16(text);
        in.skip(in.word());
        controls.push_back(c);
    }
    check(in.ok() && controls.size() == 6, "dialog 102's controls can be read");
    if (controls.size() != 6) return;

    struct Expected {
        std::uint16_t kind, id;
        const char* text;
        short x, y, cx, cy;
    };
    const Expected expected[6] = {
        {0x82, 0xFFFF, "横ﾎﾟｲﾝﾄ数（3以上）", 8, 11, 72, 8},
        {0x81, IDC_GRIDCOLS, "", 86, 8, 81, 14},
        {0x82, 0xFFFF, "縦ﾎﾟｲﾝﾄ数（3以上）", 8, 32, 72, 8},
        {0x81, IDC_GRIDROWS, "", 86, 29, 81, 14},
        {0x80, IDOK, "OK", 67, 51, 50, 14},
        {0x80, IDCANCEL, "ｷｬﾝｾﾙ", 122, 51, 50, 14},
    };
    for (int i = 0; i < 6; ++i) {
        const Control& c = controls[static_cast<size_t>(i)];
        const Expected& e = expected[i];
        const std::string at = "dialog 102 control " + std::to_string(i);
        check(c.kind == e.kind && c.id == e.id, at + ": kind and id");
        check(c.text == e.text, at + " reads \"" + e.text + "\" (found \"" + c.text + "\")");
        check(c.x == e.x && c.y == e.y && c.cx == e.cx && c.cy == e.cy, at + ": place and size");
        check((c.style & WS_VISIBLE) != 0, at + " is visible");
    }
    check((controls[0].style & SS_TYPEMASK) == SS_RIGHT &&
              (controls[2].style & SS_TYPEMASK) == SS_RIGHT,
          "dialog 102's labels are right-aligned");
    for (int i : {1, 3}) {
        const std::uint32_t edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
        check((controls[static_cast<size_t>(i)].style & edit) == edit &&
                  !(controls[static_cast<size_t>(i)].style & ES_MULTILINE),
              "dialog 102's fields are single-line, bordered, tab stops, scrolling");
    }
    check((controls[4].style & 0xF) == BS_DEFPUSHBUTTON, "OK is the default button");
    check((controls[5].style & 0xF) == BS_PUSHBUTTON, "Cancel is a push button");
}

// Walks a classic menu template and collects each command item's flags.
void menuflags(TemplateReader& in, std::vector<std::pair<std::uint16_t, std::uint16_t>>& items) {
    for (;;) {
        const std::uint16_t flags = in.word();
        if (!in.ok()) return;
        if (flags & MF_POPUP) {
            in.string();
            menuflags(in, items);
        } else {
            items.emplace_back(in.word(), flags);
            in.string();
        }
        if (flags & MF_END) return;
    }
}

// The template's own states of the two items on the right of the menu bar:
// the blank item inactive but not greyed, the size indicator right-justified.
// (How the platform then shows an item without text is its own affair.)
void checktemplateflags(HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_MAINMENU), MAKEINTRESOURCEA(4));
    if (!found) return;
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    TemplateReader in(data, SizeofResource(module, found));
    in.word();  // version
    in.skip(in.word());
    std::vector<std::pair<std::uint16_t, std::uint16_t>> items;
    menuflags(in, items);
    int blank = -1, indicator = -1;
    for (const auto& [id, flags] : items) {
        if (id == IDM_BLANK) blank = flags;
        if (id == IDM_SIZEINDICATOR) indicator = flags;
    }
    check(blank >= 0 && (blank & (MF_DISABLED | MF_GRAYED)) == MF_DISABLED,
          "menu 101: item 40038 is disabled, not greyed");
    check(indicator >= 0 && (indicator & MF_RIGHTJUSTIFY) != 0 &&
              (indicator & (MF_DISABLED | MF_GRAYED)) == 0,
          "menu 101: item 40032 is right-justified");
}

void checkaccelerators(HMODULE module) {
    HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    check(table != nullptr, "accelerators 104 are in pivola.exe");
    if (!table) return;
    ACCEL entries[16];
    const int count = CopyAcceleratorTableA(table, entries, 16);
    const BYTE plain = FVIRTKEY | FNOINVERT;
    const BYTE ctrl = FVIRTKEY | FCONTROL | FNOINVERT;
    const ACCEL expected[] = {
        {ctrl, 'C', IDM_COPY},          {ctrl, 'V', IDM_PASTE},
        {ctrl, 'Z', IDM_UNDO},          {plain, VK_F1, IDM_HIDERESULT},
        {plain, VK_F2, IDM_HIDEPOINTS}, {plain, VK_F3, IDM_HIDEIMAGE},
        {plain, VK_F4, IDM_ONEPIXEL},   {plain, VK_F5, IDM_REFRESH},
    };
    char what[80];
    std::snprintf(what, sizeof what, "accelerators 104 have eight entries (found %d)", count);
    check(count == 8, what);
    for (int i = 0; i < count && i < 8; ++i) {
        const ACCEL& a = entries[i];
        const ACCEL& e = expected[i];
        std::snprintf(what, sizeof what, "accelerator %d gives command %d", i, e.cmd);
        check((a.fVirt & 0x7F) == e.fVirt && a.key == e.key && a.cmd == e.cmd, what);
    }
    DestroyAcceleratorTable(table);
}

void checkicon(HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDI_PIVOLA), MAKEINTRESOURCEA(14));
    check(found != nullptr, "icon 103 is in pivola.exe");
    if (!found) return;
    const auto* group = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    // GRPICONDIR: reserved, type 1, count; then 14-byte entries starting with width, height.
    const int count = group[4] | (group[5] << 8);
    bool has32 = false, has16 = false;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* entry = group + 6 + 14 * i;
        has32 = has32 || (entry[0] == 32 && entry[1] == 32);
        has16 = has16 || (entry[0] == 16 && entry[1] == 16);
    }
    check(has32 && has16, "icon 103 comes in 32 x 32 and 16 x 16");
}

}  // namespace

void checkmenubar(HMENU bar, const std::string& where) {
    checkmenu(bar, expectedbar(), where);
}

void checkresources(const char* program) {
    HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check(module != nullptr, std::string("pivola.exe opens as a data file: ") + program);
    if (!module) return;
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(IDR_MAINMENU));
    check(menu != nullptr, "menu 101 is in pivola.exe");
    if (menu) {
        checkmenubar(menu, "menu 101");
        DestroyMenu(menu);
    }
    checktemplateflags(module);
    checkdialog(module);
    checkaccelerators(module);
    checkicon(module);
    FreeLibrary(module);
}

}  // namespace e2e
