// Picking, adding, deleting and dragging points with the mouse in the three flat views, both
// through the handlers and through real mouse events on the view widgets.
#include "EditingFixture.h"
#include "ModelChecks.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointingDevice>

class MouseEditing : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        Obj().SetCxyz(200, 150, 100);
    }

    void ExpectPointBoxes(const char* x, const char* y, const char* z) const {
        EXPECT_EQ(form->txtX->text(), QString::fromLatin1(x));
        EXPECT_EQ(form->txtY->text(), QString::fromLatin1(y));
        EXPECT_EQ(form->txtZ->text(), QString::fromLatin1(z));
    }

    // A move with exactly these buttons held, delivered to the view widget itself.
    static void SendMove(PictureBox* view, QPoint at, Qt::MouseButtons held) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)),
                         Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }
};

// ---- adding ----

TEST_F(MouseEditing, AddInFrontView_StoresTheOffsetFromTheCentreAndRedraws) {
    form->cmdAdd_Click();
    form->pic_MouseDown(1, 0, 120, 45);

    ASSERT_EQ(Obj().nPoints(), 1);
    EXPECT_TRUE(PointIs(Obj(), 0, -80, -105, -100));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("120,45,0"));
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
    EXPECT_TRUE(HasColour(form->pic, 115, 45, kYellow));
    EXPECT_EQ(form->SelectedPoint, -1);
}

TEST_F(MouseEditing, AddInLeftView_PutsTheHorizontalPositionOnZ) {
    form->cmdAdd_Click();
    form->picLeft_MouseDown(1, 0, 120, 45);

    ASSERT_EQ(Obj().nPoints(), 1);
    EXPECT_TRUE(PointIs(Obj(), 0, -200, -105, 20));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("0,45,120"));
}

TEST_F(MouseEditing, AddInTopView_PutsTheVerticalPositionOnZ) {
    form->cmdAdd_Click();
    form->picTop_MouseDown(1, 0, 120, 45);

    ASSERT_EQ(Obj().nPoints(), 1);
    EXPECT_TRUE(PointIs(Obj(), 0, -80, -150, -55));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("120,0,45"));
}

TEST_F(MouseEditing, AddOnAPoint_SelectsItAndAppendsANewOneThere) {
    Obj().AddPoint(150, 100, 60);
    form->cmdAdd_Click();

    form->pic_MouseDown(1, 0, 153, 104);

    EXPECT_EQ(form->SelectedPoint, 0);
    ExpectPointBoxes("-50", "-50", "-40");
    ASSERT_EQ(Obj().nPoints(), 2);
    EXPECT_TRUE(PointIs(Obj(), 0, -50, -50, -40));
    EXPECT_TRUE(PointIs(Obj(), 1, -47, -46, -100));
    // The redraw of the add comes after the pick and takes its red mark away.
    EXPECT_EQ(Count(form->pic, kRed), 0);
}

TEST_F(MouseEditing, AddOfThe32768thPoint_IsRefusedAndTheEditorGoesOn) {
    for (int i = 0; i < c3dObj::kMaxPoints; ++i) {
        Obj().AddPoint(static_cast<float>(i % 400), static_cast<float>(i / 400), 7);
    }
    form->cmdAdd_Click();
    form->txtCx->clear();

    form->pic_MouseDown(1, 0, 420, 300);

    EXPECT_EQ(Obj().nPoints(), c3dObj::kMaxPoints);
    EXPECT_TRUE(PointIs(Obj(), 0, -200, -150, -93));
    EXPECT_TRUE(
        PointIs(Obj(), static_cast<int16_t>(c3dObj::kMaxPoints - 1), 366 - 200, 81 - 150, -93));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("420,300,0"));
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200")); // the redraw still ran
    form->cmdArrow_Click();
    form->pic_MouseDown(1, 0, 0, 0);
    EXPECT_EQ(form->SelectedPoint, 0);
}

// ---- picking ----

TEST_F(MouseEditing, LeftPressNearAPoint_ShowsItsOffsetsAndMarksItRedInTheFlatViews) {
    Obj().AddPoint(100, 100, 50);
    Obj().AddPoint(150, 100, 60);
    form->mnuRefresh->trigger();

    form->pic_MouseDown(1, 0, 153, 104); // 5 pixels from the second point

    EXPECT_EQ(form->SelectedPoint, 1);
    ExpectPointBoxes("-50", "-50", "-40");
    EXPECT_TRUE(HasColour(form->pic, 150, 100, kRed));
    EXPECT_TRUE(HasColour(form->pic, 145, 100, kRed));
    EXPECT_TRUE(HasColour(form->pic, 150, 105, kRed));
    EXPECT_TRUE(HasColour(form->picLeft, 60, 100, kRed));
    EXPECT_TRUE(HasColour(form->picLeft, 60, 95, kRed));
    EXPECT_TRUE(HasColour(form->picTop, 150, 60, kRed));
    EXPECT_TRUE(HasColour(form->picTop, 155, 60, kRed));
    EXPECT_TRUE(HasColour(form->pic, 95, 100, kYellow)); // the other point is not marked
    EXPECT_EQ(Count(form->picPresp, kRed), 0);
}

// The two points differ only in z: one spot in the front view, apart in the left and top views.
TEST_F(MouseEditing, LeftPress_PicksOnTheAxesOfTheViewPressed) {
    Obj().AddPoint(150, 100, 60);
    Obj().AddPoint(150, 100, 20);

    form->pic_MouseDown(1, 0, 150, 100);
    EXPECT_EQ(form->SelectedPoint, 0);
    form->picLeft_MouseDown(1, 0, 22, 101);
    EXPECT_EQ(form->SelectedPoint, 1);
    ExpectPointBoxes("-50", "-50", "-80");
    form->picTop_MouseDown(1, 0, 149, 57);
    EXPECT_EQ(form->SelectedPoint, 0);
    form->picTop_MouseDown(1, 0, 150, 24);
    EXPECT_EQ(form->SelectedPoint, 1);
    EXPECT_EQ(Obj().nPoints(), 2);
}

TEST_F(MouseEditing, LeftPressTenPixelsAway_ClearsTheSelectionAndKeepsTheBoxes) {
    Obj().AddPoint(150, 100, 60);
    form->mnuRefresh->trigger();
    form->pic_MouseDown(1, 0, 150, 100);
    ASSERT_EQ(form->SelectedPoint, 0);
    form->mnuRefresh->trigger(); // takes the red mark away

    form->pic_MouseDown(1, 0, 160, 100);

    EXPECT_EQ(form->SelectedPoint, -1);
    ExpectPointBoxes("-50", "-50", "-40");
    EXPECT_EQ(Count(form->pic, kRed), 0);
    EXPECT_EQ(Count(form->picLeft, kRed), 0);
    EXPECT_EQ(Count(form->picTop, kRed), 0);
}

// ---- deleting ----

TEST_F(MouseEditing, DeleteOnAPoint_RemovesItAndLeavesTheIndexOnTheNextPoint) {
    Obj().AddPoint(100, 100, 50);
    Obj().AddPoint(150, 100, 60);
    Obj().AddPoint(150, 130, 20);
    form->mnuRefresh->trigger();
    form->cmdDelete_Click();

    form->pic_MouseDown(1, 0, 150, 100);

    ASSERT_EQ(Obj().nPoints(), 2);
    EXPECT_EQ(form->SelectedPoint, 1);
    EXPECT_TRUE(PointIs(Obj(), 0, -100, -50, -50));
    EXPECT_TRUE(PointIs(Obj(), 1, -50, -20, -80));       // the point that followed
    EXPECT_TRUE(HasColour(form->pic, 155, 100, kBlack)); // the deleted marker is gone
    EXPECT_EQ(Count(form->pic, kRed), 0);                // and so is its red mark
    EXPECT_TRUE(HasColour(form->pic, 145, 130, kYellow));
}

TEST_F(MouseEditing, DeleteOnEmptySpace_DeletesNothingAndDoesNotRedraw) {
    Obj().AddPoint(150, 100, 60);
    form->mnuRefresh->trigger();
    form->cmdDelete_Click();
    form->pic->ForeColor(kBlue);
    form->pic->Line(300, 300, 400, 300); // a redraw would clear this
    form->txtCx->clear();

    form->pic_MouseDown(1, 0, 300, 200);

    EXPECT_EQ(Obj().nPoints(), 1);
    EXPECT_EQ(form->SelectedPoint, -1);
    EXPECT_TRUE(form->txtCx->text().isEmpty());
    EXPECT_GT(Count(form->pic, kBlue), 0);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("300,200,0"));
}

// ---- dragging ----

TEST_F(MouseEditing, MoveDragInEachView_PutsThePointUnderThePointerAndKeepsTheHiddenAxis) {
    Obj().AddPoint(150, 100, 60);
    form->cmdMove_Click();

    form->pic_MouseDown(1, 0, 150, 100);
    form->pic_MouseMove(1, 0, 170, 90);
    EXPECT_TRUE(PointIs(Obj(), 0, -30, -60, -40));
    ExpectPointBoxes("-30", "-60", "-40");
    form->pic_MouseMove(1, 0, 171.5f, 92);
    EXPECT_TRUE(PointIs(Obj(), 0, -28.5f, -58, -40));
    ExpectPointBoxes("-28.5", "-58", "-40");

    form->picLeft_MouseDown(1, 0, 60, 92); // z 60, y 92
    form->picLeft_MouseMove(1, 0, 80, 120);
    EXPECT_TRUE(PointIs(Obj(), 0, -28.5f, -30, -20));

    form->picTop_MouseDown(1, 0, 171, 80); // x 171.5, z 80
    form->picTop_MouseMove(1, 0, 210, 40);
    EXPECT_TRUE(PointIs(Obj(), 0, 10, -30, -60));
    ExpectPointBoxes("10", "-30", "-60");
}

TEST_F(MouseEditing, MoveDrag_RedrawsAllViewsOnEveryMove) {
    Obj().AddPoint(150, 100, 60);
    form->chkTop->setChecked(true);
    form->cmdMove_Click();
    form->pic_MouseDown(1, 0, 150, 100);
    form->txtCx->clear();

    form->pic_MouseMove(1, 0, 250, 200);

    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
    EXPECT_TRUE(HasColour(form->pic, 145, 100, kBlack)); // old place, red mark included
    EXPECT_EQ(Count(form->pic, kRed), 0);
    EXPECT_TRUE(HasColour(form->pic, 245, 200, kYellow));
    EXPECT_TRUE(HasColour(form->picTop, 245, 60, kYellow));
    EXPECT_TRUE(HasColour(form->picTop, 145, 60, kBlack));
}

TEST_F(MouseEditing, MoveDrag_WithoutTheLeftButtonAloneDoesNotMove) {
    Obj().AddPoint(150, 100, 60);
    form->cmdMove_Click();
    form->pic_MouseDown(1, 0, 150, 100);

    form->pic_MouseMove(3, 0, 200, 200); // left and right
    form->pic_MouseMove(0, 0, 210, 200); // no button
    form->pic_MouseMove(2, 0, 220, 200); // right

    EXPECT_TRUE(PointIs(Obj(), 0, -50, -50, -40));
}

TEST_F(MouseEditing, MoveDrag_AfterAPressOnEmptySpace_MovesNothing) {
    Obj().AddPoint(150, 100, 60);
    form->cmdMove_Click();
    form->pic_MouseDown(1, 0, 150, 100);
    form->pic_MouseDown(1, 0, 300, 300);

    form->pic_MouseMove(1, 0, 310, 300);

    EXPECT_TRUE(PointIs(Obj(), 0, -50, -50, -40));
}

// Deleting the last point leaves the selection on an index past the end.
TEST_F(MouseEditing, MoveDrag_WithAStaleSelection_SkipsTheMoveAndStillRedraws) {
    Obj().AddPoint(100, 100, 50);
    Obj().AddPoint(150, 100, 60);
    form->cmdDelete_Click();
    form->pic_MouseDown(1, 0, 150, 100);
    ASSERT_EQ(Obj().nPoints(), 1);
    ASSERT_EQ(form->SelectedPoint, 1);
    form->cmdMove_Click();
    form->txtCx->clear();

    EXPECT_NO_THROW(form->pic_MouseMove(1, 0, 250, 200));

    ASSERT_EQ(Obj().nPoints(), 1);
    EXPECT_TRUE(PointIs(Obj(), 0, -100, -50, -50));
    ExpectPointBoxes("-50", "-50", "-40"); // still the deleted point's
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
}

// ---- the press record ----

TEST_F(MouseEditing, RightOrMiddlePress_RecordsLastXYButNotPressXAndPicksNothing) {
    Obj().AddPoint(150, 100, 60);
    form->cmdAdd_Click();
    form->picTop_MouseDown(1, 0, 20, 30);
    ASSERT_EQ(Obj().nPoints(), 2);
    form->pic_MouseDown(1, 0, 150, 100);
    ASSERT_EQ(Obj().nPoints(), 3);
    form->txtCx->clear();

    form->pic_MouseDown(2, 0, 300, 200);
    EXPECT_EQ(form->LastX, 300.0f);
    EXPECT_EQ(form->LastY, 200.0f);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("300,200,0"));
    form->picLeft_MouseDown(4, 0, 1, 100); // on the last point in the left view
    EXPECT_EQ(form->LastX, 1.0f);
    EXPECT_EQ(form->LastY, 100.0f);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("0,100,1"));

    EXPECT_EQ(form->PressX, 150.0f);
    EXPECT_EQ(form->SelectedPoint, 0);
    EXPECT_EQ(Obj().nPoints(), 3);
    EXPECT_TRUE(form->txtCx->text().isEmpty());
}

TEST_F(MouseEditing, RealBackButtonPress_IsNoPressAtAll) {
    form->cmdAdd_Click();
    ClickAt(form->pic, InView(120, 45));
    ASSERT_EQ(Obj().nPoints(), 1);

    ClickAt(form->pic, InView(300, 200), Qt::BackButton);

    EXPECT_EQ(form->LastX, 120.0f);
    EXPECT_EQ(form->LastY, 45.0f);
    // The pointer's move there shows its position; a press would show the triple.
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("300,200"));
    EXPECT_EQ(Obj().nPoints(), 1);
}

TEST_F(MouseEditing, LeftPress_RecordsThePressInThatViewsOwnCoordinates) {
    form->picLeft_MouseDown(1, 0, 300, 200);
    EXPECT_EQ(form->LastX, 300.0f);
    EXPECT_EQ(form->LastY, 200.0f);
    EXPECT_EQ(form->PressX, 300.0f);

    form->picTop_MouseDown(1, 0, 40, 50);
    EXPECT_EQ(form->LastX, 40.0f);
    EXPECT_EQ(form->LastY, 50.0f);
    EXPECT_EQ(form->PressX, 40.0f);
}

// ---- real mouse events ----

TEST_F(MouseEditing, RealPress_AddsAtTheDrawingAreaPositionInsideTheBorder) {
    form->cmdAdd_Click();

    ClickAt(form->pic, InView(120, 45));
    ClickAt(form->picLeft, InView(120, 45));

    ASSERT_EQ(Obj().nPoints(), 2);
    EXPECT_TRUE(PointIs(Obj(), 0, -80, -105, -100));
    EXPECT_TRUE(PointIs(Obj(), 1, -200, -105, 20));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("0,45,120"));
}

TEST_F(MouseEditing, RealDoubleClick_InTheAddTool_AddsOnePoint) {
    form->cmdAdd_Click();

    DoubleClickAt(form->pic, InView(120, 45));

    ASSERT_EQ(Obj().nPoints(), 1);
    EXPECT_TRUE(PointIs(Obj(), 0, -80, -105, -100));
}

TEST_F(MouseEditing, RealDrag_MovesTheSelectedPointAndRealRightPressKeepsPressX) {
    Obj().AddPoint(150, 100, 60);
    form->cmdMove_Click();

    PressAt(form->pic, InView(151, 99));
    MoveTo(form->pic, InView(170, 90));
    ReleaseAt(form->pic, InView(170, 90));
    EXPECT_TRUE(PointIs(Obj(), 0, -30, -60, -40));
    EXPECT_EQ(form->PressX, 151.0f);

    ClickAt(form->picTop, InView(300, 250), Qt::RightButton);
    EXPECT_EQ(form->LastX, 300.0f);
    EXPECT_EQ(form->LastY, 250.0f);
    EXPECT_EQ(form->PressX, 151.0f);
    EXPECT_EQ(form->SelectedPoint, 0);
}

TEST_F(MouseEditing, RealDrag_WithLeftAndRightHeld_DoesNotMove) {
    Obj().AddPoint(150, 100, 60);
    form->cmdMove_Click();
    form->pic_MouseDown(1, 0, 150, 100);
    ASSERT_EQ(form->SelectedPoint, 0);

    SendMove(form->pic, InView(200, 200), Qt::LeftButton | Qt::RightButton);
    EXPECT_TRUE(PointIs(Obj(), 0, -50, -50, -40));

    SendMove(form->pic, InView(200, 200), Qt::LeftButton);
    EXPECT_TRUE(PointIs(Obj(), 0, 0, 50, -40));
}

TEST_F(MouseEditing, PerspectiveView_IgnoresPressesAndDrags) {
    Obj().AddPoint(150, 100, 60);
    form->cmdAdd_Click();
    ClickAt(form->picPresp, InView(150, 100));
    EXPECT_EQ(Obj().nPoints(), 1);
    EXPECT_EQ(form->SelectedPoint, -1);
    EXPECT_EQ(form->LastX, 0.0f);
    EXPECT_TRUE(form->mousePos->text().isEmpty());

    form->cmdMove_Click();
    form->pic_MouseDown(1, 0, 150, 100);
    PressAt(form->picPresp, InView(150, 100));
    MoveTo(form->picPresp, InView(250, 200));
    ReleaseAt(form->picPresp, InView(250, 200));
    EXPECT_TRUE(PointIs(Obj(), 0, -50, -50, -40));
    EXPECT_EQ(form->SelectedPoint, 0);
    EXPECT_EQ(form->LastX, 150.0f);
}
