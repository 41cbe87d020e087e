// loadimg and the picture commands: the document's state after a load and
// after each kind of failure, pasting, opening, saving and copying.
#include <gtest/gtest.h>

#include <cstring>

#include "bmp.h"
#include "clipdib.h"
#include "core/drag.h"
#include "editor_fixture.h"
#include "shell/resource.h"
#include "shell/texts.h"

namespace pivola::test {
namespace {

using Document_ = Editor;

// A CF_DIB block (24 bits, bottom row first) of a w x h pattern picture.
std::vector<std::uint8_t> dibblock(int w, int h) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[static_cast<std::size_t>(y) * w + x] = patternpixel(x, y);
    std::uint32_t bytes = 0;
    EXPECT_TRUE(files::dibsize(w, h, &bytes));
    std::vector<std::uint8_t> block(bytes);
    files::filldib(pixels.data(), w, h, block.data());
    return block;
}

TEST_F(Document_, SuccessfulLoadResetsTheViewStateAndShowsThePicture) {
    app.doc.hoff = 5;
    app.doc.voff = 7;
    pushundo(app.doc.undo, 0, 1, 2);
    port.checkmenu(IDM_HIDERESULT, true);
    port.enablemenu(IDM_HIDERESULT, ItemState::greyed);
    port.checkmenu(IDM_HIDEPOINTS, true);
    port.checkmenu(IDM_HIDEIMAGE, true);
    const std::string path = writepicture(96, 76);
    port.clearrecords();
    ASSERT_TRUE(loadimg(app, port, path.c_str()));

    EXPECT_EQ(port.titles.front(), "Pivola");
    EXPECT_EQ(port.title, "Pivola - " + path);
    EXPECT_EQ(app.doc.path, path);
    EXPECT_EQ(port.indicators[IDM_SIZEINDICATOR], "96 × 76");
    for (int id : {IDM_HIDERESULT, IDM_HIDEPOINTS, IDM_HIDEIMAGE}) EXPECT_EQ(port.state(id), 0u);
    EXPECT_EQ(app.doc.hoff, 0);
    EXPECT_EQ(app.doc.voff, 0);
    EXPECT_TRUE(app.doc.undo.empty());
    EXPECT_TRUE(loaded(app.doc));
    EXPECT_EQ(app.doc.picture.width, 100);
    EXPECT_EQ(app.doc.picture.height, 80);
    EXPECT_EQ(app.doc.view.width, 640);
    EXPECT_EQ(app.doc.view.height, 480);
    EXPECT_EQ(app.doc.view.stride, 1920);
    EXPECT_EQ(app.doc.map.width, 100);
    EXPECT_EQ(app.doc.map.cols, 8);
    EXPECT_EQ(app.doc.map.rows, 8);
    // The window was erased first, then invalidated with erasing once.
    ASSERT_FALSE(port.windowfills.empty());
    EXPECT_EQ(port.windowfills.front().rect, (Rect{0, 0, 632, 434}));  // before the resize
    EXPECT_EQ(port.windowfills.front().brush, app.shell.background);
    EXPECT_EQ(port.erasinginvalidations, 1);
    EXPECT_EQ(port.resizes.back().first, (Size{648, 526}));
    EXPECT_FALSE(port.resizes.back().second);
    // The even lattice over the unwarped picture.
    EXPECT_EQ(port.rectangles.size(), 64u);
    EXPECT_EQ(app.doc.map.defx[7], 99);
}

TEST_F(Document_, OnePixelPictureGetsAFivePixelDocumentWithTheFullLattice) {
    load(1, 1);
    EXPECT_EQ(app.doc.picture.width, 5);
    EXPECT_EQ(app.doc.picture.height, 5);
    EXPECT_EQ(app.doc.map.cols * app.doc.map.rows, 64);
    EXPECT_EQ(app.doc.map.defx[63], 4);
    EXPECT_EQ(port.indicators[IDM_SIZEINDICATOR], "1 × 1");
}

TEST_F(Document_, FailedImportLeavesAnEmptyWindow) {
    load(96, 76);
    EXPECT_FALSE(loadimg(app, port, "/nonexistent/pivola/none.bmp"));
    EXPECT_EQ(port.title, "Pivola");
    EXPECT_EQ(port.indicators[IDM_SIZEINDICATOR], "");
    EXPECT_FALSE(pictureopen(app.doc));
    EXPECT_EQ(app.doc.view.bitmap, Bitmap::none);
    EXPECT_TRUE(port.errors.empty()) << port.errors.front();  // view buffer really deleted
    // A file that is not a bitmap fails the same way.
    const std::string junk = writefile("junk.bmp", {'N', 'O', 0, 0, 0, 0});
    EXPECT_FALSE(loadimg(app, port, junk.c_str()));
    EXPECT_FALSE(pictureopen(app.doc));
    // Nothing can be edited: mouse messages go to the default.
    EXPECT_EQ(send(wm::lbuttondown, mk::lbutton, mousepos(0, 0)), passon());
}

TEST_F(Document_, ViewBufferFailureDiscardsTheNewPicture) {
    port.failviewbuffer = true;
    const std::string path = writepicture(10, 10);
    EXPECT_FALSE(loadimg(app, port, path.c_str()));
    EXPECT_FALSE(pictureopen(app.doc));
    EXPECT_EQ(app.doc.picture.width, 0);
    EXPECT_EQ(port.title, "Pivola");
}

TEST_F(Document_, WarpMapFailureClearsPictureAndMapButKeepsTheViewBuffer) {
    load(20, 20);
    app.settings.gridcols = 1;  // the engine refuses a lattice this small
    const std::string path = writepicture(30, 30);
    EXPECT_FALSE(loadimg(app, port, path.c_str()));
    EXPECT_EQ(app.doc.map.orgx, nullptr);
    EXPECT_EQ(app.doc.map.width, 0);
    EXPECT_EQ(app.doc.picture.pixels, nullptr);
    EXPECT_NE(app.doc.view.bitmap, Bitmap::none);
    EXPECT_FALSE(loaded(app.doc));
    EXPECT_EQ(port.indicators[IDM_SIZEINDICATOR], "");
    app.settings.gridcols = 8;
    load(30, 30);  // the stale view buffer is replaced cleanly
    EXPECT_EQ(port.bitmaps.size(), 1u);
}

TEST_F(Document_, PasteTakesTheDibAndNamesTheClipboard) {
    port.clipdib = dibblock(3, 2);
    ASSERT_TRUE(loadimg(app, port, nullptr));
    EXPECT_EQ(port.title, std::string("Pivola - ") + "ｸﾘｯﾌﾟﾎﾞｰﾄﾞﾃﾞｰﾀ");
    EXPECT_EQ(app.doc.picture.width, 7);
    EXPECT_EQ(app.doc.picture.height, 6);
    EXPECT_EQ(app.doc.picture.pixels[2 * 7 + 2] & 0xFFFFFF, patternpixel(0, 0));
    EXPECT_EQ(app.doc.picture.pixels[3 * 7 + 4] & 0xFFFFFF, patternpixel(2, 1));
    EXPECT_EQ(port.clipboardopens, port.clipboardcloses);
}

TEST_F(Document_, PastePrefersTheBitmapFormat) {
    // CF_BITMAP as GetDIBits delivers it: 32 bits, top row first.
    std::vector<std::uint8_t> bitmap(40 + 2 * 4, 0);
    files::BmpInfo info{40, 2, -1, 1, 32, 0, 0, 0, 0, 0, 0};
    files::encodebmpinfo(info, bitmap.data());
    bitmap[40] = 0x10;  // blue, green, red of pixel 0
    bitmap[41] = 0x20;
    bitmap[42] = 0x30;
    port.clipbitmap = bitmap;
    port.clipdib = dibblock(3, 2);
    ASSERT_TRUE(loadimg(app, port, nullptr));
    EXPECT_EQ(app.doc.picture.width, 6);
    EXPECT_EQ(app.doc.picture.height, 5);
    EXPECT_EQ(app.doc.picture.pixels[2 * 6 + 2] & 0xFFFFFF, 0x00102030u);
    EXPECT_EQ(port.clipboardopens, port.clipboardcloses);
}

TEST_F(Document_, PasteFailsOnAnEmptyOrLockedClipboard) {
    EXPECT_FALSE(loadimg(app, port, nullptr));
    EXPECT_EQ(port.title, "Pivola");
    port.clipdib = dibblock(3, 2);
    port.clipboardlocked = true;
    EXPECT_FALSE(loadimg(app, port, nullptr));
    EXPECT_EQ(port.clipboardopens, port.clipboardcloses);
}

TEST_F(Document_, PasteCommandAsksOnlyOverAnOpenPicture) {
    port.clipdib = dibblock(3, 2);
    EXPECT_EQ(command(IDM_PASTE), answered(0));
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(app.doc.picture.width, 7);
    port.clipdib = dibblock(5, 5);
    port.answers.push_back(Answer::no);
    command(IDM_PASTE);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, text::editslost);
    EXPECT_EQ(port.boxes[0].kind, BoxKind::warning);
    EXPECT_EQ(app.doc.picture.width, 7);
    port.answers.push_back(Answer::yes);
    port.clipdib.reset();
    command(IDM_PASTE);
    ASSERT_EQ(port.boxes.size(), 3u);
    EXPECT_EQ(port.boxes[2].text, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞからの貼り付けに失敗しました");
    EXPECT_EQ(port.boxes[2].caption, "Pivola");
    EXPECT_EQ(port.boxes[2].kind, BoxKind::error);
}

TEST_F(Document_, OpenCommandProposesThePicturePathAndReportsFailure) {
    const std::string path = writepicture(10, 10);
    ASSERT_TRUE(loadimg(app, port, path.c_str()));
    port.fileanswers.push_back({true, "/nonexistent/pivola/x.bmp"});
    command(IDM_OPEN);
    ASSERT_EQ(port.filedialogs.size(), 1u);
    EXPECT_FALSE(port.filedialogs[0].save);
    EXPECT_EQ(port.filedialogs[0].title, "ﾋﾞｯﾄﾏｯﾌﾟ ﾌｧｲﾙを開く");
    static const char filter[] = "ﾋﾞｯﾄﾏｯﾌﾟ ﾌｧｲﾙ(*.BMP)\0*.BMP\0All files (*.*)\0*.*\0";
    EXPECT_EQ(port.filedialogs[0].filter, std::string(filter, sizeof filter - 1));
    EXPECT_EQ(port.filedialogs[0].defext, "BMP");
    EXPECT_EQ(port.filedialogpaths[0], path);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, "ﾌｧｲﾙを開けません");
    // Cancelled: nothing happens.
    command(IDM_OPEN);
    EXPECT_EQ(port.boxes.size(), 1u);
}

TEST_F(Document_, CopyAndSaveDeliverThePictureWithoutItsBorder) {
    EXPECT_EQ(command(IDM_COPY), answered(0));  // no document: nothing happens
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_TRUE(port.clipboardsets.empty());
    load(96, 76);
    command(IDM_HIDEIMAGE);  // the view settings play no part
    command(IDM_COPY);
    ASSERT_EQ(port.clipboardsets.size(), 1u);
    const files::BmpInfo info = files::decodebmpinfo(port.clipboardsets[0].data());
    EXPECT_EQ(info.biWidth, 96);
    EXPECT_EQ(info.biHeight, 76);
    EXPECT_EQ(info.biBitCount, 24);

    const std::string target = writefile("saved.bmp", {});
    port.fileanswers.push_back({true, target});
    command(IDM_SAVEAS);
    EXPECT_TRUE(port.filedialogs.back().save);
    EXPECT_EQ(port.filedialogs.back().title, "ﾋﾞｯﾄﾏｯﾌﾟ ﾌｧｲﾙの保存");
    files::BmpInfo saved{};
    files::Picture pic{};
    ASSERT_TRUE(files::readbmp(target.c_str(), &saved, &pic));
    EXPECT_EQ(pic.width, 96);
    EXPECT_EQ(pic.height, 76);
    files::clearpicture(&pic);
    EXPECT_TRUE(port.boxes.empty());
}

}  // namespace
}  // namespace pivola::test
