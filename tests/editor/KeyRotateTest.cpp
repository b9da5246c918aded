// Turning the model with the arrow, Shift and Ctrl keys in the rotate tool: one degree about the
// key's axis per key press, whichever flat view has the focus, with the old drawing erased and
// drawn again; nothing at all in the other tools.
#include "ModelCentre.h"
#include "ModelChecks.h"
#include "ViewPixels.h"
#include "WindowFixture.h"

#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <array>
#include <initializer_list>

namespace {

struct KeyTurn {
    int16_t code;
    std::array<float, 3> angles;
};

constexpr std::array<KeyTurn, 6> kKeyTurns{{
    {38, {1, 0, 0}},  // Up
    {40, {-1, 0, 0}}, // Down
    {37, {0, 1, 0}},  // Left
    {39, {0, -1, 0}}, // Right
    {16, {0, 0, 1}},  // Shift
    {17, {0, 0, -1}}, // Ctrl
}};

class KeyStep : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        PlaceAroundTheCentre({{60, -40, 20}, {-50, 30, -40}, {30, 70, 50}});
        CheckAllBoxes();
    }

    // Presses on point 0 in the front view, which marks it in red in the three flat views.
    void SelectFirstPoint() {
        form->pic_MouseDown(1, 0, kCx + 60, kCy - 40);
        ASSERT_EQ(form->SelectedPoint, 0);
        ASSERT_GT(Count(form->pic, kRed), 0);
    }
};

using KeyRotate = KeyStep;

} // namespace

TEST_F(KeyRotate, EachKeyTurnsOneDegreeAboutItsAxisInEveryFlatView) {
    form->cmdRotate->click();
    c3dObj expected = Obj();
    using Handler = void (frmMain::*)(int16_t, int16_t);
    const std::array<Handler, 3> views{&frmMain::pic_KeyDown, &frmMain::picLeft_KeyDown,
                                       &frmMain::picTop_KeyDown};
    for (Handler handler : views) {
        for (const KeyTurn& key : kKeyTurns) {
            SCOPED_TRACE(testing::Message() << "key code " << key.code);
            // Whatever Shift holds, the key alone decides the turn.
            (form.get()->*handler)(key.code, 3);
            expected.RotateXYZ(key.angles[0], key.angles[1], key.angles[2]);
            EXPECT_TRUE(SameOffsets(Obj(), expected));
        }
    }
}

TEST_F(KeyRotate, OtherToolsIgnoreTheKeysCompletely) {
    SelectFirstPoint();
    const c3dObj before = Obj();
    const RasterCanvas front = form->pic->raster();
    const RasterCanvas left = form->picLeft->raster();
    const RasterCanvas presp = form->picPresp->raster();
    // No tool yet, then each tool but rotate.
    for (QToolButton* tool : {static_cast<QToolButton*>(nullptr), form->cmdArrow, form->cmdAdd,
                              form->cmdDelete, form->cmdMove, form->cmdResize}) {
        if (tool != nullptr) {
            tool->click();
        }
        for (const KeyTurn& key : kKeyTurns) {
            form->pic_KeyDown(key.code, 0);
            form->picTop_KeyDown(key.code, 0);
        }
    }
    EXPECT_TRUE(SameOffsets(Obj(), before));
    EXPECT_TRUE(SamePixels(form->pic, front));
    EXPECT_TRUE(SamePixels(form->picLeft, left));
    EXPECT_TRUE(SamePixels(form->picPresp, presp));
}

TEST_F(KeyRotate, AnyOtherKeyErasesAndRedrawsTheModelUnchanged) {
    form->cmdRotate->click();
    Screen want(*form);
    SelectFirstPoint();
    const c3dObj before = Obj();

    for (const int16_t code : std::initializer_list<int16_t>{0, 65, 36, 113}) {
        form->picLeft_KeyDown(code, 0);
    }

    EXPECT_TRUE(SameOffsets(Obj(), before));
    // The red marks went with the erase; the rest is the drawing with the crosses on top.
    want.CrossTheCentre(kCx, kCy, kCz);
    ExpectScreen(*form, want);
}

TEST_F(KeyRotate, KeyStepReplacesTheOldDrawingWithTheTurnedOne) {
    form->cmdRotate->click();
    RasterCanvas front = form->pic->raster();
    RasterCanvas presp = form->picPresp->raster();
    const c3dObj before = Obj();

    form->pic_KeyDown(39, 0);

    c3dObj after = before;
    after.RotateXYZ(0, -1, 0);
    EXPECT_TRUE(SameOffsets(Obj(), after));
    Step(front, before, after, &c3dObj::DrawFrontView);
    Cross(front, kCx, kCy, kBlue);
    Step(presp, before, after, &c3dObj::DrawPrespectiveView);
    EXPECT_TRUE(SamePixels(form->pic, front));
    EXPECT_TRUE(SamePixels(form->picPresp, presp));
}

TEST_F(KeyRotate, RealKeyPressesReachTheFocusedViewAndKeepTheFocusThere) {
    form->cmdRotate->click();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QWindow* window = form->windowHandle();
    ASSERT_NE(window, nullptr);

    // A click on empty space gives the left view the focus.
    const QPoint inside = form->picLeft->contentsRect().topLeft();
    QTest::mouseClick(form->picLeft, Qt::LeftButton, Qt::NoModifier, inside + QPoint(400, 300));
    ASSERT_EQ(QApplication::focusWidget(), form->picLeft);
    c3dObj expected = Obj();
    const std::array<std::pair<Qt::Key, std::array<float, 3>>, 7> keys{{
        {Qt::Key_Up, {1, 0, 0}},
        {Qt::Key_Right, {0, -1, 0}},
        {Qt::Key_Down, {-1, 0, 0}},
        {Qt::Key_Left, {0, 1, 0}},
        {Qt::Key_Shift, {0, 0, 1}},
        {Qt::Key_Control, {0, 0, -1}},
        {Qt::Key_A, {0, 0, 0}},
    }};
    for (const auto& [key, angles] : keys) {
        SCOPED_TRACE(testing::Message() << "Qt key " << key);
        QTest::keyClick(window, key);
        expected.RotateXYZ(angles[0], angles[1], angles[2]);
        EXPECT_TRUE(SameOffsets(Obj(), expected));
        EXPECT_EQ(QApplication::focusWidget(), form->picLeft);
    }

    // The front view, given the focus from code, turns the same way.
    form->pic->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), form->pic);
    QTest::keyClick(window, Qt::Key_Up);
    expected.RotateXYZ(1, 0, 0);
    EXPECT_TRUE(SameOffsets(Obj(), expected));
    EXPECT_EQ(QApplication::focusWidget(), form->pic);
}
