// Window geometry for a loaded picture, scrolling and the tracking limits.
// The fake's frame adds 4 pixels left, right and below and 42 above (caption
// and menu bar); scroll bars are 16 pixels; the screen is 1280 x 1024.
#include <gtest/gtest.h>

#include "core/scroll.h"
#include "editor_fixture.h"

namespace pivola::test {
namespace {

std::uintptr_t scrollrequest(std::uint32_t code, std::uint32_t pos = 0) {
    return static_cast<std::uintptr_t>(code | pos << 16);
}

TEST(WindowSize, SmallPicturesAskForTheMinimumClientArea) {
    FakePort port;
    EXPECT_EQ(loadwindowsize(port, 100, 80), (Size{648, 526}));
    EXPECT_EQ(loadwindowsize(port, 639, 479), (Size{648, 526}));
}

TEST(WindowSize, LargerPicturesAddTheScrollBarWidths) {
    FakePort port;
    EXPECT_EQ(loadwindowsize(port, 640, 480), (Size{664, 542}));
    EXPECT_EQ(loadwindowsize(port, 700, 500), (Size{724, 562}));
}

TEST(WindowSize, PicturesBeyondTwoThirdsOfTheScreenGetTheMinimumWindow) {
    FakePort port;  // two thirds of 1280 x 1024: 853 x 682
    EXPECT_EQ(loadwindowsize(port, 853, 682).width, 853 + 16 + 8);
    EXPECT_EQ(loadwindowsize(port, 853, 682).height, 682 + 16 + 46);
    EXPECT_EQ(loadwindowsize(port, 854, 683), (Size{640, 480}));
    port.screenwidth = 1281;  // floor(2 * 1281 / 3) = 854
    EXPECT_EQ(loadwindowsize(port, 854, 100).width, 854 + 16 + 8);
}

class Scrolling : public Editor {
  protected:
    void SetUp() override {
        Editor::SetUp();
        load(996, 796);  // 1000 x 800 in a 640 x 480 window with both bars
    }
    Size client() { return port.clientsize(); }
};

TEST_F(Scrolling, LoadSizesTheWindowAndShowsBothBars) {
    EXPECT_EQ(port.resizes.back().first, (Size{640, 480}));
    EXPECT_TRUE(port.hbar.shown);
    EXPECT_TRUE(port.vbar.shown);
    EXPECT_EQ(client(), (Size{616, 418}));
    EXPECT_EQ(port.hbar.max, 1000 - 632);  // set before the bars took their room
    EXPECT_EQ(port.hbar.pos, 0);
}

TEST_F(Scrolling, LineAndPageStepsStayInsideTheRange) {
    const int max = 1000 - 616;
    EXPECT_EQ(send(wm::hscroll, scrollrequest(sb::linedown)), answered(0));
    EXPECT_EQ(app.doc.hoff, 1);
    EXPECT_EQ(port.hbar.pos, 1);
    send(wm::hscroll, scrollrequest(sb::pagedown));
    EXPECT_EQ(app.doc.hoff, max);  // 1 + 616 capped: column W - 1 is the rightmost shown
    send(wm::hscroll, scrollrequest(sb::linedown));
    EXPECT_EQ(app.doc.hoff, max);
    send(wm::hscroll, scrollrequest(sb::lineup));
    EXPECT_EQ(app.doc.hoff, max - 1);
    send(wm::hscroll, scrollrequest(sb::pageup));
    EXPECT_EQ(app.doc.hoff, 0);
    send(wm::hscroll, scrollrequest(sb::lineup));
    EXPECT_EQ(app.doc.hoff, 0);
    app.doc.picture.height = 2000;  // geometry only: room for whole pages
    send(wm::vscroll, scrollrequest(sb::linedown));
    send(wm::vscroll, scrollrequest(sb::linedown));
    EXPECT_EQ(app.doc.voff, 2);
    send(wm::vscroll, scrollrequest(sb::pagedown));  // the page is the client height
    EXPECT_EQ(app.doc.voff, 2 + 418);
    send(wm::vscroll, scrollrequest(sb::pageup));
    EXPECT_EQ(app.doc.voff, 2);
    app.doc.picture.height = 800;
    send(wm::vscroll, scrollrequest(sb::thumbtrack, 10));
    EXPECT_EQ(app.doc.voff, 10);
    send(wm::vscroll, scrollrequest(sb::thumbposition, 5000));
    EXPECT_EQ(app.doc.voff, 800 - 418);
    send(wm::vscroll, scrollrequest(sb::endscroll, 3));
    EXPECT_EQ(app.doc.voff, 800 - 418);
    EXPECT_EQ(port.vbar.pos, 800 - 418);
}

TEST_F(Scrolling, ThumbPositionsAreSixteenBitLineStepsGoFurther) {
    app.doc.picture.width = 70000;  // geometry only: nothing is drawn here
    hscroll(app, port, scrollrequest(sb::thumbtrack, 0xFFFF));
    EXPECT_EQ(app.doc.hoff, 65535);
    hscroll(app, port, scrollrequest(sb::linedown));
    EXPECT_EQ(app.doc.hoff, 65536);
    app.doc.picture.width = 1000;
    hscroll(app, port, scrollrequest(sb::lineup));
    EXPECT_EQ(app.doc.hoff, 1000 - 616) << "an offset beyond the range comes back into it";
}

TEST_F(Scrolling, ScrollMessagesNeverPushTheOffsetOutsideAFittingPicture) {
    load(96, 76);
    send(wm::hscroll, scrollrequest(sb::linedown));
    send(wm::vscroll, scrollrequest(sb::pagedown));
    EXPECT_EQ(app.doc.hoff, 0);
    EXPECT_EQ(app.doc.voff, 0);
}

TEST_F(Scrolling, EnlargingTheWindowPullsTheOffsetBack) {
    send(wm::hscroll, scrollrequest(sb::thumbtrack, 384));
    send(wm::vscroll, scrollrequest(sb::thumbtrack, 382));
    port.clearrecords();
    EXPECT_EQ(send(wm::size, 0, static_cast<std::intptr_t>(800 | 500 << 16)), answered(0));
    EXPECT_EQ(app.doc.hoff, 200);
    EXPECT_EQ(app.doc.voff, 300);
    EXPECT_EQ(port.hbar.max, 200);
    EXPECT_EQ(port.hbar.pos, 200);
    // reframe: the same size again with the frame recalculated.
    ASSERT_EQ(port.resizes.size(), 1u);
    EXPECT_EQ(port.resizes[0].first, (Size{640, 480}));
    EXPECT_TRUE(port.resizes[0].second);
}

TEST_F(Scrolling, APictureThatFitsHidesTheBarsAndZeroesTheOffsets) {
    send(wm::hscroll, scrollrequest(sb::thumbtrack, 100));
    send(wm::size, 0, static_cast<std::intptr_t>(1200 | 900 << 16));
    EXPECT_FALSE(port.hbar.shown);
    EXPECT_EQ(app.doc.hoff, 0);
}

TEST_F(Scrolling, TrackingLimitsFollowThePictureAndTheBars) {
    MinMaxInfo info{7, 7, 7, 7, 7, 7, 0, 0, 0, 0};
    EXPECT_EQ(send(wm::getminmaxinfo, 0, reinterpret_cast<std::intptr_t>(&info)), answered(0));
    EXPECT_EQ(info.maxtrackx, 1008 + 16);
    EXPECT_EQ(info.maxtracky, 846 + 16);
    EXPECT_EQ(info.mintrackx, 640);
    EXPECT_EQ(info.mintracky, 480);
    EXPECT_EQ(info.maxsizex, 7);
    EXPECT_EQ(info.maxpositiony, 7);
}

TEST(ScrollWithoutView, SizeAndScrollMessagesAreAnsweredAndIgnored) {
    App app;
    FakePort port;
    EXPECT_EQ(dispatch(app, port, wm::size, 0, 800 | 600 << 16), answered(0));
    EXPECT_EQ(dispatch(app, port, wm::hscroll, sb::linedown, 0), answered(0));
    EXPECT_EQ(dispatch(app, port, wm::vscroll, sb::linedown, 0), answered(0));
    EXPECT_TRUE(port.resizes.empty());
    EXPECT_EQ(app.doc.hoff, 0);
    EXPECT_EQ(port.invalidations, 0);
    MinMaxInfo info{7, 7, 7, 7, 7, 7, 0, 0, 0, 0};
    EXPECT_EQ(dispatch(app, port, wm::getminmaxinfo, 0, reinterpret_cast<std::intptr_t>(&info)),
              answered(0));
    EXPECT_EQ(info.mintrackx, 640);
    EXPECT_EQ(info.maxtrackx, 640);
    EXPECT_EQ(info.mintracky, 480);
    EXPECT_EQ(info.maxtracky, 480);
    EXPECT_EQ(info.maxsizex, 7);
}

}  // namespace
}  // namespace pivola::test
