// The window at start: layout, nothing drawn, the centre from the front view's drawing area.
#include "WindowFixture.h"

#include <QToolButton>

using Startup = WindowFixture;

TEST_F(Startup, NothingIsDrawnAndTheBoxesAreEmpty) {
    EXPECT_TRUE(Blank(form->pic));
    EXPECT_TRUE(Blank(form->picLeft));
    EXPECT_TRUE(Blank(form->picTop));
    EXPECT_TRUE(Blank(form->picPresp));
    EXPECT_TRUE(form->txtCx->text().isEmpty());
    EXPECT_TRUE(form->txtX->text().isEmpty());
    EXPECT_FALSE(form->chkLeft->isChecked());
    EXPECT_FALSE(form->chkPres->isChecked());
    EXPECT_FALSE(form->chkTop->isChecked());
    EXPECT_EQ(form->txtSelectedObj->text(), QStringLiteral("Point"));
    EXPECT_EQ(form->SelectedPoint, -1);
}

TEST_F(Startup, CentreComesFromTheFrontViewsDrawingArea) {
    EXPECT_EQ(form->pic->ScaleWidth(), 453);
    EXPECT_EQ(form->pic->ScaleHeight(), 341);
    EXPECT_EQ(Obj().GetCX(), 226.5f);
    EXPECT_EQ(Obj().GetCY(), 170.5f);
    EXPECT_EQ(Obj().GetCZ(), 113.25f);
}

TEST_F(Startup, ViewsStandAtTheirStoredPlaces) {
    EXPECT_EQ(form->pic->geometry(), QRect(104, 0, 457, 345));
    EXPECT_EQ(form->picLeft->geometry(), QRect(560, 0, 457, 345));
    EXPECT_EQ(form->picPresp->geometry(), QRect(560, 344, 457, 345));
    EXPECT_EQ(form->picTop->geometry(), QRect(104, 344, 457, 345));
    EXPECT_EQ(form->cmdAdd->geometry(), QRect(16, 168, 33, 33));
    EXPECT_EQ(form->cmdDelete->toolTip(), QStringLiteral("Delete Point"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tessaly"));
    EXPECT_FALSE(form->cmdRotate->icon().isNull());
}

TEST_F(Startup, F5OnAnEmptyModel_ClearsAndWritesTheCentre) {
    form->mnuRefresh->trigger();
    EXPECT_TRUE(Blank(form->pic));
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("226.5"));
    EXPECT_EQ(form->txtCy->text(), QStringLiteral("170.5"));
    EXPECT_EQ(form->txtCz->text(), QStringLiteral("113.25"));
}
