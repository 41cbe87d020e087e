// Composition of the view buffer, the lattice drawing and painting.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/view.h"
#include "editor_fixture.h"
#include "shell/resource.h"

namespace pivola::test {
namespace {

class View : public Editor {
  protected:
    Colour at(int x, int y) { return port.pixel(app.shell.surface, x, y); }
    Colour docpixel(int x, int y) {
        return app.doc.picture.pixels[static_cast<std::size_t>(y) * app.doc.width() + x] & 0xFFFFFF;
    }
    void setbackground(Colour c) {
        port.colouranswers.push_back({true, c});
        command(IDM_BACKCOLOUR);
    }
    bool viewisdocument() {
        for (int y = 0; y < app.doc.height(); ++y)
            for (int x = 0; x < app.doc.width(); ++x)
                if (at(x, y) != docpixel(x, y)) return false;
        return true;
    }
};

TEST_F(View, PictureTopLeftBackgroundElsewhereAndPaddingUntouched) {
    load(296, 196);  // 300 x 200 in a 640 x 480 view
    app.settings.background = 0x00123456;
    composeview(app, app.doc.picture.pixels);
    EXPECT_TRUE(viewisdocument());
    EXPECT_EQ(at(300, 0), 0x00123456u);
    EXPECT_EQ(at(639, 199), 0x00123456u);
    EXPECT_EQ(at(0, 200), 0x00123456u);
    EXPECT_EQ(at(639, 479), 0x00123456u);

    load(637, 10);  // 641 wide: one padding byte per row
    const ViewBuffer& v = app.doc.view;
    EXPECT_EQ(v.width, 641);
    EXPECT_EQ(v.padding, 1);
    EXPECT_EQ(v.stride, 1924);
    composeview(app, app.doc.picture.pixels);
    EXPECT_TRUE(viewisdocument());  // a row length that is not a multiple of four
    for (int y = 0; y < v.height; ++y) ASSERT_EQ(v.bits[y * v.stride + 1923], 0xA5) << y;
}

TEST_F(View, WidePictureFillsTheRowsBelowAcrossTheWholeWidth) {
    load(996, 196);
    EXPECT_EQ(app.doc.view.width, 1000);
    EXPECT_EQ(app.doc.view.height, 480);
    setbackground(0x000000FF);
    EXPECT_EQ(at(999, 300), 0x000000FFu);  // below the squares of the last lattice row
    EXPECT_EQ(at(999, 479), 0x000000FFu);
    EXPECT_EQ(at(500, 479), 0x000000FFu);
}

TEST_F(View, HideImageFillsOnlyThePictureAreaAndStillDrawsTheLattice) {
    load(296, 196);
    setbackground(0x00ABCDEF);
    // Mark a pixel outside the picture: the refresh must leave it alone.
    std::uint8_t* outside = app.doc.view.bits + 300 * app.doc.view.stride + 3 * 500;
    outside[0] = 1;
    port.clearrecords();
    command(IDM_HIDEIMAGE);
    EXPECT_EQ(port.fills.size(), 1u);
    EXPECT_EQ(port.fills[0], (Rect{0, 0, 300, 200}));
    EXPECT_EQ(at(50, 50), 0x00ABCDEFu);
    EXPECT_EQ(outside[0], 1);
    EXPECT_EQ(port.rectangles.size(), 64u);
    // Hide-image wins over hide-result.
    port.clearrecords();
    port.menu[IDM_HIDERESULT] = 0;
    port.checkmenu(IDM_HIDERESULT, true);
    refreshview(app, port);
    EXPECT_EQ(port.fills.size(), 1u);
}

TEST_F(View, HideResultShowsTheUnwarpedPictureUnderAMovedLattice) {
    app.settings.gridcols = 3;
    app.settings.gridrows = 3;
    load(196, 196);
    app.doc.map.defx[4] = 60;
    app.doc.map.defy[4] = 140;
    command(IDM_HIDEPOINTS);  // so that no lattice covers the picture
    EXPECT_FALSE(viewisdocument()) << "the warp should show";
    command(IDM_HIDERESULT);
    EXPECT_TRUE(viewisdocument());
}

TEST_F(View, HiddenPointsDrawNothingAndKeepTheHalfSize) {
    load(96, 76);
    command(IDM_ONEPIXEL);
    EXPECT_EQ(app.doc.halfsize, 0);
    port.clearrecords();
    command(IDM_HIDEPOINTS);
    EXPECT_TRUE(port.ops.empty());
    command(IDM_ONEPIXEL);
    EXPECT_EQ(app.doc.halfsize, 0);
    command(IDM_HIDEPOINTS);
    EXPECT_EQ(app.doc.halfsize, 5);
}

TEST_F(View, LatticeIsDrawnCellByCellWithSquaresAfterTheirLines) {
    app.settings.gridcols = 3;
    app.settings.gridrows = 3;
    load(196, 196);
    port.clearrecords();
    drawgrid(app, port);
    const std::vector<std::string> expected = {
        "line 0,0 100,0",       "line 0,100 100,100",   "line 0,0 0,100",
        "line 100,0 100,100",   "rect -5,-5,5,5",       "line 100,0 199,0",
        "line 100,100 199,100", "line 100,0 100,100",   "line 199,0 199,100",
        "rect 95,-5,105,5",     "rect 194,-5,204,5",    "line 0,100 100,100",
        "line 0,199 100,199",   "line 0,100 0,199",     "line 100,100 100,199",
        "rect -5,95,5,105",     "line 100,100 199,100", "line 100,199 199,199",
        "line 100,100 100,199", "line 199,100 199,199", "rect 95,95,105,105",
        "rect 194,95,204,105",  "rect -5,194,5,204",    "rect 95,194,105,204",
        "rect 194,194,204,204"};
    EXPECT_EQ(port.ops, expected);
    for (const auto& r : port.rectangles) {
        EXPECT_EQ(r.pen, app.settings.pointcolour);
        EXPECT_EQ(r.brush, app.settings.pointcolour);
    }
    // A square covers x - 5 .. x + 4 and y - 5 .. y + 4.
    EXPECT_EQ(at(95, 95), app.settings.pointcolour);
    EXPECT_EQ(at(104, 104), app.settings.pointcolour);
    EXPECT_NE(at(105, 105), app.settings.pointcolour);
    EXPECT_NE(at(94, 96), app.settings.pointcolour);
    // The drag-point brush is gone again and the background brush is back.
    EXPECT_EQ(port.surfacestate[app.shell.surface].brush, app.shell.background);
    EXPECT_EQ(port.brushes.size(), 1u);
}

TEST_F(View, PaintCopiesTheUpdateRectangleAtTheScrollOffsets) {
    port.updaterect = Rect{10, 20, 110, 70};
    EXPECT_EQ(send(wm::paint), answered(0));
    ASSERT_EQ(port.windowfills.size(), 1u);  // no picture: background brush
    EXPECT_EQ(port.windowfills[0].brush, app.shell.background);
    EXPECT_EQ(port.windowfills[0].rect, port.updaterect);
    load(96, 76);
    app.doc.hoff = 3;
    app.doc.voff = 4;
    send(wm::paint);
    ASSERT_EQ(port.blits.size(), 1u);
    EXPECT_EQ(port.blits[0].rect, port.updaterect);
    EXPECT_EQ(port.blits[0].surface, app.shell.surface);
    EXPECT_EQ(port.blits[0].srcx, 13);
    EXPECT_EQ(port.blits[0].srcy, 24);
    EXPECT_FALSE(port.painting);
    EXPECT_EQ(port.paints, 2);
}

TEST_F(View, WithoutADocumentARefreshOnlyInvalidates) {
    refreshview(app, port);
    EXPECT_EQ(port.invalidations, 1);
    EXPECT_EQ(port.erasinginvalidations, 0);
    EXPECT_TRUE(port.cursors.empty());
    EXPECT_TRUE(port.ops.empty());
}

TEST_F(View, DisplayChoiceRedrawsOutputChoiceDoesNot) {
    load(96, 76);
    port.clearrecords();
    command(IDM_OUT_NEAREST);
    EXPECT_EQ(port.invalidations, 0);
    EXPECT_TRUE(port.checked(IDM_OUT_NEAREST));
    EXPECT_FALSE(port.checked(IDM_OUT_BICUBIC));
    command(IDM_VIEW_BICUBIC);
    EXPECT_EQ(port.invalidations, 1);
    EXPECT_TRUE(port.checked(IDM_VIEW_BICUBIC));
    EXPECT_FALSE(port.checked(IDM_VIEW_NEAREST));
    // The refresh runs under the wait cursor.
    EXPECT_EQ(port.cursors, (std::vector<Cursor>{Cursor::wait, Cursor::arrow}));
}

TEST_F(View, NewColoursReplaceTheirObjectsAndShowAtOnce) {
    load(96, 76);
    const Brush oldbrush = app.shell.background;
    setbackground(0x00102030);
    EXPECT_NE(app.shell.background, oldbrush);
    EXPECT_EQ(port.brushes.count(oldbrush), 0u);
    EXPECT_EQ(at(639, 479), 0x00102030u);
    port.colouranswers.push_back({true, 0x0000FF00});
    command(IDM_POINTCOLOUR);
    EXPECT_EQ(port.pens.size(), 1u);
    EXPECT_EQ(port.pens.begin()->second, 0x0000FF00u);
    EXPECT_EQ(port.surfacestate[app.shell.surface].pen, app.shell.guide);
    // A cancelled dialog changes nothing and does not redraw.
    port.clearrecords();
    command(IDM_BACKCOLOUR);
    EXPECT_EQ(port.invalidations, 0);
    EXPECT_EQ(app.settings.background, 0x00102030u);
    // A pen that cannot be made keeps the old one but stores the colour.
    port.failpens = 1;
    port.colouranswers.push_back({true, 0x000000FF});
    const Pen kept = app.shell.guide;
    command(IDM_POINTCOLOUR);
    EXPECT_EQ(app.shell.guide, kept);
    EXPECT_EQ(app.settings.pointcolour, 0x000000FFu);
}

}  // namespace
}  // namespace pivola::test
