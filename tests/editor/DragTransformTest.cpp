// Turning and scaling the model by dragging with the rotate and resize tools: one degree or one
// scale step per move event, compared with the press record; the old drawing erased in black and
// the new one drawn in colour in the shown views; the position label and the blue centre crosses.
#include "ModelCentre.h"
#include "ModelChecks.h"
#include "ViewPixels.h"
#include "WindowFixture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <initializer_list>
#include <utility>

namespace {

// Four points around the centre (200, 150, 100), well inside every view.
class DragStep : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        PlaceAroundTheCentre({{60, -40, 20}, {-50, 30, -40}, {30, 70, 50}, {-20, -60, 10}});
    }

    // A left press in the front view far from every point: it picks nothing.
    void PressOnEmptySpace(float X, float Y) { form->pic_MouseDown(1, 0, X, Y); }
};

using DragRotate = DragStep;
using DragResize = DragStep;
using DragDrawing = DragStep;

} // namespace

TEST_F(DragRotate, MoveAtThePressPosition_TurnsMinusOneAboutYThenMinusOneAboutX) {
    form->cmdRotate->click();
    CheckAllBoxes();
    PressOnEmptySpace(400, 300);
    ASSERT_EQ(form->SelectedPoint, -1);
    const c3dObj before = Obj();
    const c3dObj expected = Turned(before, {{0, -1, 0}, {-1, 0, 0}});
    // The two turns in the other order, or in one call, give other offsets for these points.
    ASSERT_FALSE(SameOffsets(expected, Turned(before, {{-1, -1, 0}})));
    ASSERT_FALSE(SameOffsets(expected, Turned(before, {{-1, 0, 0}, {0, -1, 0}})));

    form->pic_MouseMove(1, 0, 400, 300);

    EXPECT_TRUE(SameOffsets(Obj(), expected));
    EXPECT_TRUE(CentreIs(Obj(), kCx, kCy, kCz));
}

TEST_F(DragRotate, LeftViewDragLeftAndDown_TurnsPlusOneAboutYAndMinusOneAboutX) {
    form->cmdRotate->click();
    form->picLeft_MouseDown(1, 0, 300, 200);
    EXPECT_EQ(form->LastX, 300.0f);
    EXPECT_EQ(form->LastY, 200.0f);
    const c3dObj expected = Turned(Obj(), {{0, 1, 0}, {-1, 0, 0}});

    form->picLeft_MouseMove(1, 0, 250, 210);

    EXPECT_TRUE(SameOffsets(Obj(), expected));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("250,210"));
}

TEST_F(DragRotate, EachMoveTurnsOneDegreeWhateverTheDistance) {
    form->cmdRotate->click();
    form->pic_MouseDown(1, 0, 300, 200);
    // Right of and above the press: -1 about y, +1 about x; twice, once far and once near.
    const c3dObj expected = Turned(Obj(), {{0, -1, 0}, {1, 0, 0}, {0, -1, 0}, {1, 0, 0}});

    form->pic_MouseMove(1, 0, 450, 10);
    form->pic_MouseMove(1, 0, 301, 199);

    EXPECT_TRUE(SameOffsets(Obj(), expected));
}

TEST_F(DragRotate, ComparesWithTheLastPressOfAnyButton) {
    form->cmdRotate->click();
    form->pic_MouseDown(1, 0, 400, 300); // left press: PressX 400
    form->pic_MouseDown(2, 0, 100, 100); // right press: only LastX and LastY follow
    EXPECT_EQ(form->PressX, 400.0f);
    EXPECT_EQ(form->LastX, 100.0f);
    EXPECT_EQ(form->LastY, 100.0f);
    const c3dObj expected = Turned(Obj(), {{0, -1, 0}, {-1, 0, 0}});

    form->pic_MouseMove(1, 0, 200, 150);

    EXPECT_TRUE(SameOffsets(Obj(), expected));
}

TEST_F(DragRotate, ShiftAloneAddsPlusOneAboutZ_CtrlAloneMinusOne_OtherMasksNone) {
    form->cmdRotate->click();
    form->pic_MouseDown(1, 0, 300, 200);
    const c3dObj start = Obj();
    struct Case {
        int16_t shift;
        float zTurn;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, -1}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Shift " << c.shift);
        Obj() = start;
        // Left of and above the press: +1 about y, +1 about x.
        c3dObj expected = Turned(start, {{0, 1, 0}, {1, 0, 0}});
        if (c.zTurn != 0) {
            expected.RotateXYZ(0, 0, c.zTurn);
        }
        form->pic_MouseMove(1, c.shift, 250, 100);
        EXPECT_TRUE(SameOffsets(Obj(), expected));
    }
}

TEST_F(DragRotate, RealModifierKeysReachTheViewEventsAsTheirShiftCodes) {
    QSignalSpy moves(form->pic, &PictureBox::MouseMove);
    QSignalSpy keys(form->pic, &PictureBox::KeyDown);
    const std::pair<Qt::KeyboardModifiers, int> cases[] = {
        {Qt::NoModifier, 0},
        {Qt::ShiftModifier, 1},
        {Qt::ControlModifier, 2},
        {Qt::AltModifier, 4},
        {Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 7},
        {Qt::MetaModifier | Qt::KeypadModifier, 0},
    };
    for (const auto& [modifiers, shift] : cases) {
        SCOPED_TRACE(testing::Message() << "modifiers " << modifiers.toInt());
        const QPointF at(50, 60);
        QMouseEvent move(QEvent::MouseMove, at, form->pic->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(form->pic, &move);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Up, modifiers);
        QApplication::sendEvent(form->pic, &key);
        ASSERT_FALSE(moves.empty());
        ASSERT_FALSE(keys.empty());
        EXPECT_EQ(moves.takeLast().at(1).toInt(), shift);
        EXPECT_EQ(keys.takeLast().at(1).toInt(), shift);
    }
}

TEST_F(DragRotate, StepErasesTheShownViewsInBlackAndDrawsThemAgain) {
    form->cmdRotate->click();
    CheckAllBoxes();
    Screen want(*form);
    ASSERT_GT(Count(form->picPresp, kYellow), 0);
    PressOnEmptySpace(400, 300);
    const c3dObj before = Obj();

    form->pic_MouseMove(1, 0, 350, 320);

    const c3dObj after = Turned(before, {{0, 1, 0}, {-1, 0, 0}});
    EXPECT_TRUE(SameOffsets(Obj(), after));
    Step(want.front, before, after, &c3dObj::DrawFrontView);
    Step(want.left, before, after, &c3dObj::DrawLeftView);
    Step(want.top, before, after, &c3dObj::DrawTopView);
    Step(want.presp, before, after, &c3dObj::DrawPrespectiveView);
    want.CrossTheCentre(kCx, kCy, kCz); // no centre cross in the perspective
    ExpectScreen(*form, want);
}

TEST_F(DragRotate, RealPressAndDragTurnsUntilTheButtonIsReleased) {
    form->cmdRotate->click();
    const QPoint inside = form->picLeft->contentsRect().topLeft();
    QTest::mousePress(form->picLeft, Qt::LeftButton, Qt::NoModifier, inside + QPoint(300, 200));
    EXPECT_EQ(form->LastX, 300.0f);
    EXPECT_EQ(form->LastY, 200.0f);
    const c3dObj expected = Turned(Obj(), {{0, 1, 0}, {-1, 0, 0}});

    QTest::mouseMove(form->picLeft, inside + QPoint(250, 210));
    EXPECT_TRUE(SameOffsets(Obj(), expected));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("250,210"));

    QTest::mouseRelease(form->picLeft, Qt::LeftButton, Qt::NoModifier, inside + QPoint(250, 210));
    // Moves without a button go through the cursor; the second one always moves it.
    QTest::mouseMove(form->picLeft, inside + QPoint(200, 220));
    QTest::mouseMove(form->picLeft, inside + QPoint(201, 221));
    EXPECT_TRUE(SameOffsets(Obj(), expected));
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("201,221"));
}

TEST_F(DragRotate, FirstStepRemovesTheRedMarkOfTheSelectedPoint) {
    form->cmdRotate->click();
    CheckAllBoxes();
    form->pic_MouseDown(1, 0, kCx + 60, kCy - 40); // on point 0
    ASSERT_EQ(form->SelectedPoint, 0);
    ASSERT_GT(Count(form->pic, kRed), 0);
    ASSERT_GT(Count(form->picLeft, kRed), 0);
    ASSERT_GT(Count(form->picTop, kRed), 0);

    form->pic_MouseMove(1, 0, kCx + 61, kCy - 40);

    EXPECT_EQ(Count(form->pic, kRed), 0);
    EXPECT_EQ(Count(form->picLeft, kRed), 0);
    EXPECT_EQ(Count(form->picTop, kRed), 0);
    EXPECT_EQ(form->SelectedPoint, 0);
}

TEST_F(DragResize, MoveAtPressXErasesAndRedrawsWithoutScaling) {
    form->cmdResize->click();
    CheckAllBoxes();
    form->pic_MouseDown(1, 0, kCx + 60, kCy - 40); // selects point 0: red marks
    ASSERT_EQ(form->PressX, kCx + 60);
    ASSERT_GT(Count(form->pic, kRed), 0);
    const c3dObj before = Obj();

    form->pic_MouseMove(1, 0, kCx + 60, kCy + 100);

    EXPECT_TRUE(SameOffsets(Obj(), before));
    // The marks went with the erase, and the model is back in its colours.
    EXPECT_EQ(Count(form->pic, kRed), 0);
    EXPECT_EQ(Count(form->picLeft, kRed), 0);
    EXPECT_EQ(Count(form->picTop, kRed), 0);
    EXPECT_EQ(Pixel(form->pic, static_cast<int>(kCx) + 65, static_cast<int>(kCy) - 40), kYellow);
}

TEST_F(DragResize, RightOfPressXGrowsAndLeftOfItShrinks) {
    form->cmdResize->click();
    form->pic_MouseDown(1, 0, 300, 300);
    c3dObj expected = Obj();

    form->pic_MouseMove(1, 0, 301, 10);
    expected.Resize(1);
    EXPECT_TRUE(SameOffsets(Obj(), expected));

    form->pic_MouseMove(1, 0, 299, 400);
    expected.Resize(-1);
    EXPECT_TRUE(SameOffsets(Obj(), expected));
    // Grow and shrink do not cancel: 1.1 * 0.9 is 0.99.
    EXPECT_NEAR(Obj().GetX(0), 60.0f * 0.99f, 1e-4f);
}

TEST_F(DragResize, ComparesWithTheLastLeftPressNotWithLaterRightPresses) {
    form->cmdResize->click();
    form->pic_MouseDown(1, 0, 300, 300);
    form->pic_MouseDown(2, 0, 100, 300);
    c3dObj expected = Obj();
    expected.Resize(-1);

    form->pic_MouseMove(1, 0, 200, 300); // left of PressX 300, right of LastX 100

    EXPECT_TRUE(SameOffsets(Obj(), expected));
}

TEST_F(DragDrawing, OtherButtonsOnlyShowThePositionAndTheCrosses) {
    CheckAllBoxes();
    form->pic_MouseDown(1, 0, kCx + 60, kCy - 40); // a red mark that a step would remove
    for (QToolButton* tool : {form->cmdRotate, form->cmdResize}) {
        tool->click();
        for (const int16_t button : std::initializer_list<int16_t>{0, 2, 3, 4, 5, 6, 7}) {
            SCOPED_TRACE(testing::Message()
                         << tool->objectName().toStdString() << ", Button " << button);
            const c3dObj before = Obj();
            Screen want(*form);

            form->picTop_MouseMove(button, 1, 320, 210);

            EXPECT_TRUE(SameOffsets(Obj(), before));
            EXPECT_EQ(form->mousePos->text(), QStringLiteral("320,210"));
            want.CrossTheCentre(kCx, kCy, kCz);
            ExpectScreen(*form, want);
        }
    }
    EXPECT_GT(Count(form->pic, kRed), 0);
}

TEST_F(DragDrawing, MovesWithNoButtonShowThePointerAndTheBlueCrosses) {
    // Nothing drawn yet: the crosses are all there is.
    form->pic_MouseMove(0, 0, 120, 45);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("120,45"));
    EXPECT_EQ(Pixel(form->pic, 200, 150), kBlue);
    EXPECT_EQ(Pixel(form->pic, 205, 150), kBlue);
    EXPECT_EQ(Pixel(form->pic, 200, 145), kBlue);
    EXPECT_EQ(Pixel(form->picLeft, 100, 150), kBlue);
    EXPECT_EQ(Pixel(form->picLeft, 100, 155), kBlue);
    EXPECT_EQ(Pixel(form->picTop, 200, 100), kBlue);
    EXPECT_EQ(Pixel(form->picTop, 195, 100), kBlue);
    EXPECT_EQ(Count(form->pic, kBlue), 21);
    EXPECT_EQ(Count(form->picLeft, kBlue), 21);
    EXPECT_EQ(Count(form->picTop, kBlue), 21);
    EXPECT_TRUE(Blank(form->picPresp));

    // The same label from the other views: their X and Y are not exchanged.
    form->picLeft_MouseMove(0, 0, 7, 300);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("7,300"));
    form->picTop_MouseMove(0, 0, 452, 0);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("452,0"));
}

TEST_F(DragDrawing, PositionsOutsideTheViewAreShownWithoutGroupSeparators) {
    QString shown;
    QString far;
    {
        const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
        // A drag goes on past the view's edge while the button is held.
        form->pic_MouseMove(1, 0, 1500, -20);
        shown = form->mousePos->text();
        form->picLeft_MouseMove(0, 0, -12345, 100000);
        far = form->mousePos->text();
    }
    EXPECT_EQ(shown, QStringLiteral("1500,-20"));
    EXPECT_EQ(far, QStringLiteral("-12345,100000"));
}

TEST_F(DragDrawing, UncheckedViewsAreNeitherErasedNorRedrawn) {
    form->cmdRotate->click();
    form->mnuRefresh->trigger();                   // front view drawn, the other three left blank
    form->pic_MouseDown(1, 0, kCx + 60, kCy - 40); // red marks in all three flat views
    ASSERT_EQ(form->SelectedPoint, 0);
    RasterCanvas left = form->picLeft->raster();
    RasterCanvas top = form->picTop->raster();
    ASSERT_GT(Count(form->picLeft, kRed), 0);

    form->pic_MouseMove(1, 0, 420, 330);
    form->pic_MouseMove(1, 2, 10, 330);

    // Only the crosses were added to the unchecked views: the marks stay, no model is drawn.
    Cross(left, kCz, kCy, kBlue);
    Cross(top, kCx, kCz, kBlue);
    EXPECT_TRUE(SamePixels(form->picLeft, left));
    EXPECT_TRUE(SamePixels(form->picTop, top));
    EXPECT_TRUE(Blank(form->picPresp));
    // The front view is always shown: its mark is gone and the turned model is drawn.
    EXPECT_EQ(Count(form->pic, kRed), 0);
    EXPECT_GT(Count(form->pic, kYellow), 0);
}

TEST_F(DragDrawing, StepsLeaveThePointAndCentreBoxesAsTheyAre) {
    CheckAllBoxes();
    form->pic_MouseDown(1, 0, kCx + 60, kCy - 40);
    ASSERT_EQ(form->txtX->text(), QStringLiteral("60"));
    form->txtCx->setText(QStringLiteral("12"));
    form->txtCy->setText(QStringLiteral("typed"));
    form->txtCz->clear();

    form->cmdRotate->click();
    form->pic_MouseMove(1, 1, 250, 10);
    form->cmdResize->click();
    form->pic_MouseMove(1, 0, 400, 10);

    EXPECT_EQ(form->txtX->text(), QStringLiteral("60"));
    EXPECT_EQ(form->txtY->text(), QStringLiteral("-40"));
    EXPECT_EQ(form->txtZ->text(), QStringLiteral("20"));
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("12"));
    EXPECT_EQ(form->txtCy->text(), QStringLiteral("typed"));
    EXPECT_TRUE(form->txtCz->text().isEmpty());
    EXPECT_NE(Obj().GetX(0), 60.0f); // the steps did change the model
}
