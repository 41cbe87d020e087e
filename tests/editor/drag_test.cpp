// Hit testing, the neighbour constraint, drag sequences and the undo ring.
#include <gtest/gtest.h>

#include "core/drag.h"
#include "editor_fixture.h"
#include "shell/resource.h"

namespace pivola::test {
namespace {

// --- limitline -------------------------------------------------------------

TEST(LimitLine, ActsOnlyWithinTheSegmentsFirstAxisRange) {
    std::int32_t t = -50;
    limitline(10, 0, 20, 0, 9, t, Side::atleast);
    EXPECT_EQ(t, -50);
    limitline(10, 0, 20, 0, 21, t, Side::atleast);
    EXPECT_EQ(t, -50);
    limitline(10, 0, 20, 0, 20, t, Side::atleast);
    EXPECT_EQ(t, 0);
    // A segment whose start lies beyond its end never acts.
    t = -50;
    limitline(20, 0, 10, 0, 15, t, Side::atleast);
    EXPECT_EQ(t, -50);
}

TEST(LimitLine, SidesLimitFromBelowOrAbove) {
    std::int32_t t = 5;
    limitline(0, 10, 100, 10, 50, t, Side::atleast);
    EXPECT_EQ(t, 10);
    t = 15;
    limitline(0, 10, 100, 10, 50, t, Side::atleast);
    EXPECT_EQ(t, 15);
    t = 15;
    limitline(0, 10, 100, 10, 50, t, Side::atmost);
    EXPECT_EQ(t, 10);
    t = 5;
    limitline(0, 10, 100, 10, 50, t, Side::atmost);
    EXPECT_EQ(t, 5);
}

TEST(LimitLine, RoundsHalfUpThenTruncatesTowardZero) {
    std::int32_t t = -1000;
    limitline(0, 0, 100, 30, 50, t, Side::atleast);  // 15 + 0.5 -> 15
    EXPECT_EQ(t, 15);
    t = -1000;
    limitline(0, 0, 100, 31, 50, t, Side::atleast);  // 15.5 + 0.5 -> 16
    EXPECT_EQ(t, 16);
    t = -1000;
    limitline(0, 200, 100, 170, 50, t, Side::atleast);  // -15 + 0.5 = -14.5 -> -14
    EXPECT_EQ(t, 186);
    t = -1000;
    limitline(0, 0, 3, -1, 1, t, Side::atleast);  // -1/3 + 0.5 -> 0
    EXPECT_EQ(t, 0);
}

TEST(LimitLine, ZeroLengthAlongTheFirstAxisClampsIntoTheSpan) {
    std::int32_t t = 50;
    limitline(7, 30, 7, 10, 7, t, Side::atleast);
    EXPECT_EQ(t, 30);
    t = 0;
    limitline(7, 30, 7, 10, 7, t, Side::atmost);  // the side plays no part
    EXPECT_EQ(t, 10);
    t = 20;
    limitline(7, 10, 7, 30, 7, t, Side::atmost);
    EXPECT_EQ(t, 20);
}

// --- limitpoint -------------------------------------------------------------

// A 3 x 3 lattice on a 301 x 301 picture, points at 50, 150 and 250, the
// dragged point being (row, col).
class Neighbours : public ::testing::Test {
  protected:
    Document d;
    void SetUp() override {
        d.picture.width = 301;
        d.picture.height = 301;
        ASSERT_EQ(allocmap(&d.map, 301, 301, 3, 3), 1);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) place(r, c, 50 + 100 * c, 50 + 100 * r);
        drag(1, 1);
    }
    void place(int r, int c, int x, int y) {
        d.map.defx[r * 3 + c] = x;
        d.map.defy[r * 3 + c] = y;
    }
    void drag(int r, int c) {
        d.drag.row = r;
        d.drag.col = c;
        d.drag.index = r * 3 + c;
    }
    std::pair<int, int> limit(int x, int y) {
        std::int32_t lx = x, ly = y;
        limitpoint(d, lx, ly);
        return {lx, ly};
    }
};

using P = std::pair<int, int>;

TEST_F(Neighbours, FreePositionInsideTheOutlineIsKept) {
    EXPECT_EQ(limit(120, 180), P(120, 180));
}

TEST_F(Neighbours, EachStepStopsThePointOnItsSegment) {
    place(0, 1, 150, 70);  // U lower: UL-U slopes down to the right
    EXPECT_EQ(limit(100, 30), P(100, 60)) << "step 1";
    place(0, 1, 150, 50);
    place(0, 2, 250, 90);
    EXPECT_EQ(limit(200, 45), P(200, 70)) << "step 2";
    place(0, 2, 250, 50);
    place(2, 1, 150, 220);
    EXPECT_EQ(limit(100, 300), P(100, 236)) << "step 3 (-14.5 truncates to -14)";
    place(2, 1, 150, 250);
    place(2, 2, 250, 280);
    EXPECT_EQ(limit(200, 300), P(200, 265)) << "step 4";
    place(2, 2, 250, 250);
    place(1, 0, 80, 150);
    EXPECT_EQ(limit(30, 100), P(65, 100)) << "step 5";
    place(1, 0, 50, 150);
    place(2, 0, 90, 250);
    EXPECT_EQ(limit(60, 200), P(70, 200)) << "step 6";
    place(2, 0, 50, 250);
    place(1, 2, 220, 150);
    EXPECT_EQ(limit(240, 100), P(236, 100)) << "step 7";
    place(1, 2, 250, 150);
    place(2, 2, 210, 250);
    EXPECT_EQ(limit(245, 200), P(231, 200)) << "step 8";
}

TEST_F(Neighbours, PastACornerNeighbourThePointLandsOnIt) {
    EXPECT_EQ(limit(20, 20), P(50, 50));
    EXPECT_EQ(limit(280, 20), P(250, 50));
    EXPECT_EQ(limit(20, 280), P(50, 250));
    EXPECT_EQ(limit(280, 280), P(250, 250));
}

TEST_F(Neighbours, CornerRulesOfTheColumnSteps) {
    // UL sits right of U and the upper edge is raised: step 1's corner cannot
    // fire (x is not left of U) and step 2 leaves y alone; step 5's corner
    // puts the point on UL.
    place(0, 0, 200, 50);
    place(0, 1, 150, 20);
    place(0, 2, 250, 20);
    EXPECT_EQ(limit(170, 40), P(200, 50));
}

TEST_F(Neighbours, LatticeCornerPointHasOnlyItsTwoSteps) {
    drag(0, 0);
    // Past DR diagonally: step 4's corner puts it on DR.
    EXPECT_EQ(limit(290, 290), P(150, 150));
    // Up and left nothing limits it but the picture.
    EXPECT_EQ(limit(-40, -40), P(0, 0));
}

TEST_F(Neighbours, FinalClampKeepsThePointInThePicture) {
    drag(0, 1);
    EXPECT_EQ(limit(150, -30), P(150, 0));
    drag(2, 1);
    EXPECT_EQ(limit(150, 400), P(150, 300));
}

// --- hitpoint ---------------------------------------------------------------

TEST_F(Neighbours, HitIsASquareOfTheHalfSize) {
    Hit hit;
    ASSERT_TRUE(hitpoint(d, 155, 145, &hit));
    EXPECT_EQ(hit.index, 4);
    EXPECT_EQ(hit.col, 1);
    EXPECT_EQ(hit.row, 1);
    EXPECT_FALSE(hitpoint(d, 156, 150, &hit));
    EXPECT_FALSE(hitpoint(d, 150, 144, &hit));
    d.halfsize = 0;
    EXPECT_FALSE(hitpoint(d, 151, 150, &hit));
    EXPECT_TRUE(hitpoint(d, 150, 150, &hit));
}

TEST_F(Neighbours, LowerRowWinsThenLowerColumn) {
    place(0, 2, 100, 100);
    place(1, 0, 102, 102);
    Hit hit;
    ASSERT_TRUE(hitpoint(d, 101, 101, &hit));
    EXPECT_EQ(hit.index, 2);
    place(1, 2, 152, 150);
    ASSERT_TRUE(hitpoint(d, 151, 150, &hit));
    EXPECT_EQ(hit.index, 4);
}

TEST(HitPoint, NothingWithoutAWarpMap) {
    Document d;
    Hit hit;
    EXPECT_FALSE(hitpoint(d, 0, 0, &hit));
}

// --- undo ring ----------------------------------------------------------------

TEST(UndoRing, HoldsFiftyEntriesAndDropsTheOldest) {
    UndoRing ring;
    for (int i = 0; i < 51; ++i) pushundo(ring, i, i * 2, i * 3);
    EXPECT_EQ(ring.head, 0);  // wrapped after slot 50
    EXPECT_EQ(ring.tail, 1);
    UndoEntry e;
    for (int i = 50; i >= 1; --i) {
        ASSERT_TRUE(popundo(ring, &e));
        EXPECT_EQ(e.index, i);
        EXPECT_EQ(e.x, i * 2);
        EXPECT_EQ(e.y, i * 3);
    }
    EXPECT_TRUE(ring.empty());
    EXPECT_FALSE(popundo(ring, &e));
}

// --- drag sequences through the window procedure ----------------------------------

// A 196 x 196 picture: 200 x 200 document, 3 x 3 lattice at 0, 100 and 199.
class Dragging : public Editor {
  protected:
    void SetUp() override {
        Editor::SetUp();
        app.settings.gridcols = 3;
        app.settings.gridrows = 3;
        load(196, 196);
        port.clearrecords();
    }
};

TEST_F(Dragging, PressMoveReleaseMovesThePointAndRecordsOneUndo) {
    EXPECT_EQ(send(wm::lbuttondown, mk::lbutton, mousepos(103, 98)), answered(0));
    EXPECT_TRUE(port.captured);
    EXPECT_EQ(defx(4), 103);  // jumped to the cursor
    EXPECT_EQ(defy(4), 98);
    EXPECT_EQ(send(wm::mousemove, mk::lbutton, mousepos(120, 130)), answered(0));
    EXPECT_EQ(defx(4), 120);
    EXPECT_EQ(defy(4), 130);
    EXPECT_EQ(send(wm::lbuttonup, 0, mousepos(125, 131)), answered(0));
    EXPECT_FALSE(port.captured);
    EXPECT_EQ(defx(4), 125);
    EXPECT_EQ(defy(4), 131);
    EXPECT_EQ(app.doc.undo.head, 1);
    EXPECT_EQ(app.doc.undo.slots[0].index, 4);
    EXPECT_EQ(app.doc.undo.slots[0].x, 100);
    EXPECT_EQ(app.doc.undo.slots[0].y, 100);
    // Later moves are not part of any drag.
    EXPECT_EQ(send(wm::mousemove, mk::lbutton, mousepos(10, 10)), passon());
}

TEST_F(Dragging, EveryMoveRecomputesTheView) {
    send(wm::lbuttondown, mk::lbutton, mousepos(100, 100));
    const int before = port.invalidations;
    send(wm::mousemove, mk::lbutton, mousepos(100, 100));
    send(wm::mousemove, mk::lbutton, mousepos(100, 100));
    EXPECT_EQ(port.invalidations, before + 2);
    // The release at the point's own position recomputes nothing.
    send(wm::lbuttonup, 0, mousepos(100, 100));
    EXPECT_EQ(port.invalidations, before + 2);
    EXPECT_FALSE(app.doc.undo.empty());
}

TEST_F(Dragging, MissesAndMovesWithoutTheButtonGoToTheDefault) {
    EXPECT_EQ(send(wm::lbuttondown, mk::lbutton, mousepos(50, 50)), passon());
    EXPECT_FALSE(port.captured);
    send(wm::lbuttondown, mk::lbutton, mousepos(100, 100));
    EXPECT_EQ(send(wm::mousemove, 0, mousepos(150, 150)), passon());
    EXPECT_EQ(defx(4), 100);
    EXPECT_TRUE(app.doc.drag.active);
}

TEST_F(Dragging, RightButtonRestoresThePointWithoutAnUndoEntry) {
    send(wm::lbuttondown, mk::lbutton, mousepos(101, 101));
    send(wm::mousemove, mk::lbutton, mousepos(140, 60));
    EXPECT_EQ(send(wm::rbuttondown, mk::lbutton | mk::rbutton, mousepos(140, 60)), answered(0));
    EXPECT_EQ(defx(4), 100);
    EXPECT_EQ(defy(4), 100);
    EXPECT_FALSE(port.captured);
    EXPECT_TRUE(app.doc.undo.empty());
    EXPECT_EQ(send(wm::rbuttondown, 0, 0), passon());
    EXPECT_EQ(send(wm::lbuttonup, 0, mousepos(140, 60)), passon());
}

TEST_F(Dragging, CtrlKeepsXShiftKeepsYBothMoveFreely) {
    send(wm::lbuttondown, mk::lbutton, mousepos(100, 100));
    send(wm::mousemove, mk::lbutton | mk::control, mousepos(130, 140));
    EXPECT_EQ(defx(4), 100);
    EXPECT_EQ(defy(4), 140);
    send(wm::mousemove, mk::lbutton | mk::shift, mousepos(130, 140));
    EXPECT_EQ(defx(4), 130);
    EXPECT_EQ(defy(4), 100);
    send(wm::mousemove, mk::lbutton | mk::shift | mk::control, mousepos(130, 140));
    EXPECT_EQ(defx(4), 130);
    EXPECT_EQ(defy(4), 140);
}

TEST_F(Dragging, PositionsAreSigned16BitAndClampedToThePicture) {
    // A press right of the picture is clamped to x = W - 1 before the hit test.
    EXPECT_EQ(send(wm::lbuttondown, mk::lbutton, mousepos(300, 103)), answered(0));
    EXPECT_EQ(app.doc.drag.index, 5);
    EXPECT_EQ(defx(5), 199);
    send(wm::lbuttonup, 0, mousepos(300, 103));
    send(wm::lbuttondown, mk::lbutton, mousepos(0, 0));
    send(wm::mousemove, mk::lbutton, mousepos(-30, -2));  // 0xFFE2, 0xFFFE
    EXPECT_EQ(defx(0), 0);
    EXPECT_EQ(defy(0), 0);
}

TEST_F(Dragging, ScrollOffsetsAreAddedToMousePositions) {
    app.doc.hoff = 40;
    app.doc.voff = 30;
    EXPECT_EQ(send(wm::lbuttondown, mk::lbutton, mousepos(60, 70)), answered(0));
    EXPECT_EQ(app.doc.drag.index, 4);
}

TEST_F(Dragging, UndoGoesBackThroughTwoDragsOfOnePoint) {
    send(wm::lbuttondown, mk::lbutton, mousepos(100, 100));
    send(wm::lbuttonup, 0, mousepos(110, 110));
    send(wm::lbuttondown, mk::lbutton, mousepos(110, 110));
    send(wm::lbuttonup, 0, mousepos(120, 125));
    EXPECT_EQ(command(IDM_UNDO), answered(0));
    EXPECT_EQ(defx(4), 110);
    EXPECT_EQ(defy(4), 110);
    command(IDM_UNDO);
    EXPECT_EQ(defx(4), 100);
    EXPECT_EQ(defy(4), 100);
    const int before = port.invalidations;
    command(IDM_UNDO);  // nothing left: nothing happens
    EXPECT_EQ(port.invalidations, before);
}

TEST_F(Dragging, FiftyOneClicksUndoFiftySteps) {
    for (int i = 0; i < 51; ++i) {
        const int x = 100 + (i % 2 == 0 ? 1 : -1);
        send(wm::lbuttondown, mk::lbutton, mousepos(x, 100));
        send(wm::lbuttonup, 0, mousepos(x, 100));
    }
    int undone = 0;
    while (!app.doc.undo.empty()) {
        command(IDM_UNDO);
        ++undone;
    }
    EXPECT_EQ(undone, 50);
    EXPECT_EQ(defx(4), 101);  // the position before the second click
}

TEST_F(Dragging, LoadingAPictureEndsADragInProgress) {
    send(wm::lbuttondown, mk::lbutton, mousepos(100, 100));
    load(50, 40);
    EXPECT_FALSE(port.captured);
    EXPECT_EQ(send(wm::mousemove, mk::lbutton, mousepos(10, 10)), passon());
}

TEST(DragWithoutDocument, MouseMessagesGoToTheDefault) {
    App app;
    FakePort port;
    EXPECT_EQ(dispatch(app, port, wm::lbuttondown, mk::lbutton, 0), passon());
    EXPECT_EQ(dispatch(app, port, wm::mousemove, mk::lbutton, 0), passon());
    EXPECT_EQ(dispatch(app, port, wm::lbuttonup, 0, 0), passon());
    EXPECT_EQ(dispatch(app, port, wm::rbuttondown, 0, 0), passon());
}

}  // namespace
}  // namespace pivola::test
