// Start-up and clean-up, the command line, drops, the menus and the dispatch
// table of the window procedure.
#include <gtest/gtest.h>

#include "core/drag.h"
#include "core/settings.h"
#include "editor_fixture.h"
#include "shell/menus.h"
#include "shell/resource.h"
#include "shell/shell.h"

namespace pivola::test {
namespace {

// --- command line ------------------------------------------------------------

TEST(CommandLine, QuotesAroundThePathAreRemoved) {
    EXPECT_EQ(parsecommandline(""), "");
    EXPECT_EQ(parsecommandline(nullptr), "");
    EXPECT_EQ(parsecommandline("\"C:\\My Files\\a.inf\""), "C:\\My Files\\a.inf");
    EXPECT_EQ(parsecommandline("C:\\My Files\\a b.inf"), "C:\\My Files\\a b.inf");
    EXPECT_EQ(parsecommandline("\"C:\\x.inf"), "C:\\x.inf");
    EXPECT_EQ(parsecommandline("C:\\x.inf\""), "C:\\x.inf");
    EXPECT_EQ(parsecommandline("\""), "");
    EXPECT_EQ(parsecommandline("\"\""), "");
    EXPECT_EQ(parsecommandline("\"a\" b\""), "a\" b");
}

TEST(CommandLine, TheLastCharacterIsFoundByWholeDoubleByteCharacters) {
    // 0x95 0x5C is one Shift-JIS character whose second byte is a backslash.
    const std::string sjis = "C:\\\x95\x5C";
    EXPECT_EQ(lastchar(sjis), 3u);
    EXPECT_EQ(lastchar("ab"), 1u);
    EXPECT_EQ(lastchar(""), std::string::npos);
    EXPECT_EQ(parsecommandline(("\"" + sjis + "\"").c_str()), sjis);
}

TEST(CommandLine, APathLongerThanTheBufferIsRefused) {
    const std::string fits(260, 'a');
    EXPECT_EQ(parsecommandline(fits.c_str()), fits);
    EXPECT_EQ(parsecommandline(("\"" + fits + "\"").c_str()), fits);
    EXPECT_EQ(parsecommandline(std::string(261, 'a').c_str()), "");
}

// --- drops -------------------------------------------------------------------

TEST(DropKind, ByExtensionInAnyCase) {
    EXPECT_EQ(dropkind("C:\\pics\\A.BMP"), DropKind::picture);
    EXPECT_EQ(dropkind("x.Inf"), DropKind::settings);
    EXPECT_EQ(dropkind("/tmp/y.dp"), DropKind::dragpoints);
    EXPECT_EQ(dropkind("z.txt"), DropKind::other);
    EXPECT_EQ(dropkind("C:\\dir.bmp\\file"), DropKind::other);
    EXPECT_EQ(dropkind("C:\\pics\\bmp"), DropKind::other);
    EXPECT_EQ(dropkind("a.bmp.txt"), DropKind::other);
    EXPECT_EQ(extension("C:\\\x95\x5C.bmp"), ".bmp");
    EXPECT_EQ(extension("C:\\a.\x95\x5C"), ".\x95\x5C");
}

TEST_F(Editor, DropOpensTheFirstFileOnly) {
    const std::string picture = writepicture(12, 8, "A.BMP");
    port.dropfiles = {picture, "/tmp/other.inf"};
    EXPECT_EQ(send(wm::dropfiles, 0x77), answered(0));
    EXPECT_EQ(app.shell.droppath, picture);
    EXPECT_EQ(app.doc.picture.width, 16);
    EXPECT_EQ(port.title, "Pivola - " + picture);
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(port.releaseddrops, std::vector<std::uintptr_t>{0x77});
}

TEST_F(Editor, DroppedUnreadablePictureNamesItsPath) {
    const std::string bad = writefile("bad.bmp", {'B', 'M', 1, 2});
    port.dropfiles = {bad};
    send(wm::dropfiles, 5);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, bad + "を開けません");
    EXPECT_EQ(port.boxes[0].caption, "Pivola");
    EXPECT_EQ(port.boxes[0].kind, BoxKind::error);
    EXPECT_EQ(port.releaseddrops.size(), 1u);
}

TEST_F(Editor, DropOfAnotherKindOpensNothingButReleasesTheDrop) {
    port.dropfiles = {"/tmp/z.txt"};
    send(wm::dropfiles, 9);
    EXPECT_FALSE(pictureopen(app.doc));
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(port.releaseddrops, std::vector<std::uintptr_t>{9});
}

// --- start-up and clean-up ------------------------------------------------------

TEST_F(Editor, StartUpSetsMenusBarsAndDrawingObjects) {
    EXPECT_TRUE(port.dropsaccepted);
    EXPECT_FALSE(port.hbar.shown);
    EXPECT_FALSE(port.vbar.shown);
    EXPECT_TRUE(port.checked(IDM_VIEW_NEAREST));
    EXPECT_TRUE(port.checked(IDM_OUT_BICUBIC));
    for (int id : {IDM_VIEW_BILINEAR, IDM_VIEW_BICUBIC, IDM_OUT_NEAREST, IDM_OUT_BILINEAR,
                   IDM_HIDERESULT, IDM_HIDEPOINTS, IDM_HIDEIMAGE, IDM_ONEPIXEL}) {
        EXPECT_FALSE(port.checked(id)) << id;
    }
    EXPECT_EQ(port.indicators[IDM_SIZEINDICATOR], "");
    ASSERT_EQ(port.systemitems.size(), 1u);
    EXPECT_EQ(port.systemitems[0], (std::pair<int, std::string>{IDM_VERSION, "ﾊﾞｰｼﾞｮﾝ情報(&A)"}));
    const auto& surface = port.surfacestate[app.shell.surface];
    EXPECT_EQ(surface.brush, app.shell.background);
    EXPECT_EQ(surface.pen, app.shell.guide);
    EXPECT_EQ(port.brushes[app.shell.background], 0x00000000u);
    EXPECT_EQ(port.pens[app.shell.guide], 0x00FF0000u);
    EXPECT_EQ(app.shell.calculator.library, Library::none);
    EXPECT_EQ(port.libraryloads, (std::vector<std::string>{"Numexa35.dll", "Numexa34.dll"}));
}

TEST(BindCalc, FirstLibraryWithTheFunctionWins) {
    App app;
    FakePort port;
    port.libraries = {"Numexa35.dll", "Numexa34.dll"};
    port.functions["Numexa34.dll"] = {"Evalnum"};
    bindcalc(app, port);
    EXPECT_STREQ(app.shell.calculator.name, "Numexa34.dll");
    EXPECT_EQ(port.libraryfrees, std::vector<std::string>{"Numexa35.dll"});
    port.functions["Numexa35.dll"] = {"Evalnum"};
    releaseshell(app, port);
    bindcalc(app, port);
    EXPECT_STREQ(app.shell.calculator.name, "Numexa35.dll");
    releaseshell(app, port);
    releaseshell(app, port);
    EXPECT_EQ(port.libraryfrees.size(), 3u);
    EXPECT_TRUE(port.errors.empty());
}

TEST(StartUp, FailedSurfaceAbortsCreationAndReleasesOnce) {
    App app;
    FakePort port;
    port.failsurface = true;
    port.libraries = {"Numexa35.dll"};
    port.functions["Numexa35.dll"] = {"Evalnum"};
    EXPECT_EQ(dispatch(app, port, wm::create, 0, 0), answered(-1));
    EXPECT_TRUE(port.pens.empty());
    EXPECT_TRUE(port.brushes.empty());
    EXPECT_EQ(port.libraryfrees.size(), 1u);
    // The platform then destroys the half-made window.
    EXPECT_EQ(dispatch(app, port, wm::destroy, 0, 0), answered(0));
    EXPECT_EQ(port.quitcode, 0);
    EXPECT_EQ(port.libraryfrees.size(), 1u);
    EXPECT_TRUE(port.errors.empty());
}

TEST_F(Editor, ReleaseShellFreesEverythingExactlyOnce) {
    load(30, 20);
    send(wm::lbuttondown, mk::lbutton, mousepos(0, 0));
    const int before = port.deletes;
    releaseshell(app, port);
    const int deletes = port.deletes;
    EXPECT_EQ(deletes - before, 4);  // surface, view buffer, pen, brush
    EXPECT_EQ(app.doc.picture.pixels, nullptr);
    EXPECT_EQ(app.doc.map.orgx, nullptr);
    EXPECT_EQ(app.doc.warped, nullptr);
    releaseshell(app, port);
    EXPECT_EQ(port.deletes, deletes);
    // Messages after the clean-up find nothing to work on.
    EXPECT_EQ(send(wm::mousemove, mk::lbutton, mousepos(5, 5)), passon());
    port.updaterect = Rect{0, 0, 10, 10};
    EXPECT_EQ(send(wm::paint), answered(0));
}

// --- dispatch table ------------------------------------------------------------------

TEST_F(Editor, CloseAndExitAskBeforeDestroying) {
    port.answers = {Answer::no};
    EXPECT_EQ(send(wm::close), answered(0));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, "終了しますか？");
    EXPECT_EQ(port.boxes[0].caption, "Pivola");
    EXPECT_EQ(port.boxes[0].kind, BoxKind::question);
    EXPECT_FALSE(port.destroyed);
    port.answers = {Answer::yes};
    EXPECT_EQ(command(IDM_EXIT), answered(0));
    EXPECT_TRUE(port.destroyed);
    EXPECT_EQ(send(wm::destroy), answered(0));
    EXPECT_EQ(port.quitcode, 0);
}

TEST_F(Editor, SystemMenuVersionItemBecomesTheCommand) {
    EXPECT_EQ(send(wm::syscommand, IDM_VERSION, 42), answered(0));
    ASSERT_EQ(port.postedcommands.size(), 1u);
    EXPECT_EQ(port.postedcommands[0].wparam, static_cast<std::uintptr_t>(IDM_VERSION));
    EXPECT_EQ(port.postedcommands[0].lparam, 42);
    EXPECT_EQ(send(wm::syscommand, 0xF060, 0), passon());  // SC_CLOSE
}

TEST_F(Editor, UnknownMessagesAndCommandsGoToTheDefault) {
    EXPECT_EQ(send(0x0020), passon());  // WM_SETCURSOR
    EXPECT_EQ(command(IDM_BLANK), passon());
    EXPECT_EQ(command(12345), passon());
    EXPECT_EQ(command(IDM_REFRESH), answered(0));
}

TEST_F(Editor, VersionTextNamesTheBoundCalculator) {
    command(IDM_VERSION);
    ASSERT_EQ(port.versions.size(), 1u);
    EXPECT_EQ(port.versions[0].icon, IDI_PIVOLA);
    EXPECT_EQ(port.versions[0].title, "Pivola Version Information");
    EXPECT_EQ(port.versions[0].version, "Pivola Ver 1.01");
    app.shell.calculator.name = "Numexa35.dll";
    command(IDM_VERSION);
    EXPECT_EQ(port.versions[1].version, "Pivola Ver 1.01 (Numexa35.dll)");
}

// --- menus -----------------------------------------------------------------------------

TEST_F(Editor, MenuRefreshFollowsPictureUndoAndClipboard) {
    EXPECT_EQ(send(wm::initmenu, port.menubar), passon());
    for (int id : {IDM_PASTE, IDM_UNDO, IDM_SAVEDP, IDM_SAVEAS, IDM_COPY, IDM_RESET, IDM_LOADDP}) {
        EXPECT_EQ(port.state(id), mf::grayed) << id;
    }
    EXPECT_EQ(port.clipboardopens, port.clipboardcloses);
    port.clipdib = std::vector<std::uint8_t>(60, 0);
    app.settings.gridcols = 3;
    app.settings.gridrows = 3;
    load(96, 96);
    send(wm::lbuttondown, mk::lbutton, mousepos(50, 50));
    send(wm::lbuttonup, 0, mousepos(52, 50));
    send(wm::initmenu, port.menubar);
    for (int id : {IDM_PASTE, IDM_UNDO, IDM_SAVEDP, IDM_SAVEAS, IDM_COPY, IDM_RESET, IDM_LOADDP}) {
        EXPECT_EQ(port.state(id), 0u) << id;
    }
}

TEST_F(Editor, MenuRefreshLeavesOtherMenusAndALockedClipboardAlone) {
    port.enablemenu(IDM_PASTE, ItemState::enabled);
    send(wm::initmenu, port.menubar + 1);  // the system menu
    EXPECT_EQ(port.state(IDM_PASTE), 0u);
    port.clipboardlocked = true;
    send(wm::initmenu, port.menubar);
    EXPECT_EQ(port.state(IDM_PASTE), 0u);
    EXPECT_EQ(port.state(IDM_UNDO), 0u) << "nothing is changed when the clipboard is busy";
}

TEST_F(Editor, HideImageGreysHideResultAndKeepsItsCheckMark) {
    load(20, 20);
    command(IDM_HIDERESULT);
    command(IDM_HIDEIMAGE);
    EXPECT_TRUE(port.checked(IDM_HIDEIMAGE));
    EXPECT_EQ(port.state(IDM_HIDERESULT), mf::checked | mf::grayed);
    EXPECT_FALSE(ischecked(port, IDM_HIDERESULT));  // checked and greyed reads as unchecked
    command(IDM_HIDEIMAGE);
    EXPECT_FALSE(port.checked(IDM_HIDEIMAGE));
    EXPECT_EQ(port.state(IDM_HIDERESULT), mf::checked);
}

TEST(ToggleCheck, OnlyExactlyCheckedBecomesUnchecked) {
    FakePort port;
    port.menu[IDM_HIDERESULT] = mf::checked;
    togglecheck(port, IDM_HIDERESULT);
    EXPECT_EQ(port.state(IDM_HIDERESULT), 0u);
    togglecheck(port, IDM_HIDERESULT);
    EXPECT_EQ(port.state(IDM_HIDERESULT), mf::checked);
    port.menu[IDM_HIDERESULT] = mf::checked | mf::grayed;
    togglecheck(port, IDM_HIDERESULT);
    EXPECT_EQ(port.state(IDM_HIDERESULT), mf::checked | mf::grayed);
}

TEST_F(Editor, ResetAsksAndPutsEveryPointBack) {
    EXPECT_EQ(command(IDM_RESET), answered(0));  // no picture: nothing asked
    EXPECT_TRUE(port.boxes.empty());
    app.settings.gridcols = 3;
    app.settings.gridrows = 3;
    load(196, 196);
    send(wm::lbuttondown, mk::lbutton, mousepos(100, 100));
    send(wm::lbuttonup, 0, mousepos(130, 120));
    port.answers = {Answer::no};
    command(IDM_RESET);
    EXPECT_EQ(defx(4), 130);
    EXPECT_EQ(port.boxes.back().text, "現在編集中の内容は失われます。よろしいですか？");
    EXPECT_EQ(port.boxes.back().kind, BoxKind::question);
    port.answers = {Answer::yes};
    command(IDM_RESET);
    EXPECT_EQ(defx(4), 100);
    EXPECT_EQ(defy(4), 100);
    EXPECT_TRUE(app.doc.undo.empty());
}

}  // namespace
}  // namespace pivola::test
