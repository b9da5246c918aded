// The six tool buttons: the name each shows, the one flag it sets, and that choosing a tool
// changes nothing else.
#include "EditingFixture.h"

#include <QToolButton>

#include <array>

namespace {

struct ToolCase {
    const char* name;
    QToolButton* frmMain::*button;
    const char* text;
    bool frmMain::*flag;
};

constexpr std::array<bool frmMain::*, 6> kFlags{&frmMain::bSelect, &frmMain::bAdd,
                                                &frmMain::bDelete, &frmMain::bMove,
                                                &frmMain::bRotate, &frmMain::bResize};

} // namespace

using Tools = EditingFixture;

TEST_F(Tools, EachToolButton_ShowsItsNameAndSetsOnlyItsOwnFlag) {
    // Each button is clicked after another one, so a flag that is not cleared shows.
    const ToolCase cases[] = {
        {"cmdAdd", &frmMain::cmdAdd, "Add", &frmMain::bAdd},
        {"cmdDelete", &frmMain::cmdDelete, "Erase", &frmMain::bDelete},
        {"cmdMove", &frmMain::cmdMove, "Move", &frmMain::bMove},
        {"cmdRotate", &frmMain::cmdRotate, "Rotate Object", &frmMain::bRotate},
        {"cmdResize", &frmMain::cmdResize, "Resize", &frmMain::bResize},
        {"cmdArrow", &frmMain::cmdArrow, "Select", &frmMain::bSelect},
        {"cmdAdd again", &frmMain::cmdAdd, "Add", &frmMain::bAdd},
    };
    for (const ToolCase& tool : cases) {
        SCOPED_TRACE(tool.name);
        QTest::mouseClick(form.get()->*tool.button, Qt::LeftButton);
        EXPECT_EQ(form->txtSelectedObj->text(), QString::fromLatin1(tool.text));
        EXPECT_EQ(form->txtSelectedObj->cursorPosition(), 0); // a long name shows its start
        for (bool frmMain::*flag : kFlags) {
            EXPECT_EQ(form.get()->*flag, flag == tool.flag);
        }
    }
}

TEST_F(Tools, ClickingTheActiveToolAgain_ChangesNothing) {
    form->cmdMove_Click();
    form->cmdMove_Click();
    EXPECT_EQ(form->txtSelectedObj->text(), QStringLiteral("Move"));
    EXPECT_TRUE(form->bMove);
    EXPECT_FALSE(form->bSelect || form->bAdd || form->bDelete || form->bRotate || form->bResize);
}

TEST_F(Tools, ChoosingATool_LeavesTheSelectionThePressAndTheViewsAlone) {
    MakeTriangle();
    form->mnuRefresh->trigger();
    form->pic_MouseDown(1, 0, 150, 100); // picks B and marks it red
    form->picLeft_MouseDown(2, 0, 33, 44);
    const int red = Count(form->pic, kRed);
    ASSERT_GT(red, 0);
    form->txtCx->clear();

    form->cmdDelete_Click();
    form->cmdAdd_Click();

    EXPECT_EQ(form->SelectedPoint, 1);
    EXPECT_EQ(Obj().nPoints(), 3);
    EXPECT_EQ(form->LastX, 33.0f);
    EXPECT_EQ(form->LastY, 44.0f);
    EXPECT_EQ(form->PressX, 150.0f);
    EXPECT_EQ(Count(form->pic, kRed), red);
    EXPECT_TRUE(form->txtCx->text().isEmpty());
}

TEST_F(Tools, BeforeAnyToolIsChosen_ALeftPressOnlyPicks) {
    MakeTriangle();
    form->mnuRefresh->trigger();

    form->pic_MouseDown(1, 0, 151, 101);
    form->pic_MouseMove(1, 0, 300, 200);
    form->pic_MouseDown(1, 0, 300, 200);

    EXPECT_EQ(form->SelectedPoint, -1);
    EXPECT_EQ(form->txtX->text(), QStringLiteral("-50")); // B was picked first
    EXPECT_EQ(form->txtY->text(), QStringLiteral("-50"));
    EXPECT_EQ(form->txtZ->text(), QStringLiteral("-20"));
    ASSERT_EQ(Obj().nPoints(), 3);
    EXPECT_EQ(Obj().GetX(1), -50.0f);
    EXPECT_EQ(Obj().GetY(1), -50.0f);
}

TEST_F(Tools, SelectTool_ALeftPressOnlyPicks) {
    MakeTriangle();
    form->cmdArrow_Click();

    form->picTop_MouseDown(1, 0, 100, 50);
    form->picTop_MouseMove(1, 0, 200, 200);

    EXPECT_EQ(form->SelectedPoint, 0);
    EXPECT_EQ(form->txtX->text(), QStringLiteral("-100"));
    ASSERT_EQ(Obj().nPoints(), 3);
    EXPECT_EQ(Obj().GetX(0), -100.0f);
    EXPECT_EQ(Obj().GetZ(0), -50.0f);
}
