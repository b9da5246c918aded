// The view commands: the 2 x 2 grid, one view enlarged, the redraws the check boxes cause, the
// caption labels, and the About box.
#include "EditingFixture.h"

#include <QAction>
#include <QObject>

#include <vector>

namespace {

constexpr QRect kEnlarged{104, 0, 914, 690};

} // namespace

class ViewCommands : public EditingFixture {
protected:
    std::string ShownViews() const {
        return ViewsThat([](const View& view) { return view.picture->isVisible(); });
    }
    std::string CheckedViews() const {
        return ViewsThat(
            [](const View& view) { return view.box != nullptr && view.box->isChecked(); });
    }

    // Looks at the views right after each check box change, once the window's own handler has
    // run, and clears txtCx each time: a redraw writes it again, so a box left empty means that
    // no redraw came with that change.
    struct RedrawWatch {
        explicit RedrawWatch(ViewCommands& test) {
            test.form->txtCx->clear();
            for (QCheckBox* box : {test.form->chkLeft, test.form->chkPres, test.form->chkTop}) {
                QObject::connect(box, &QCheckBox::toggled, &context, [this, &test] {
                    if (test.form->txtCx->text().isEmpty()) {
                        drawn.emplace_back("no redraw");
                        return;
                    }
                    drawn.push_back(test.DrawnViews());
                    frontSizes.push_back(test.form->pic->size());
                    test.form->txtCx->clear();
                });
            }
        }
        std::vector<std::string> drawn; // per check box change
        std::vector<QSize> frontSizes;  // of pic, at each redraw
        QObject context;
    };
};

TEST_F(ViewCommands, ViewAll_FromTheStart_PutsTheViewsEdgeToEdgeAndRedraws) {
    MakeTriangle();
    form->mnuViewAll->trigger();

    EXPECT_EQ(form->pic->geometry(), QRect(104, 0, 457, 345));
    EXPECT_EQ(form->picLeft->geometry(), QRect(561, 0, 457, 345));
    EXPECT_EQ(form->picTop->geometry(), QRect(104, 345, 457, 345));
    EXPECT_EQ(form->picPresp->geometry(), QRect(561, 345, 457, 345));
    EXPECT_EQ(ShownViews(), "front left top presp");
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
    EXPECT_EQ(DrawnViews(), "front"); // no box is checked yet
}

TEST_F(ViewCommands, FrontView_AllBoxesChecked_RedrawsThreeTimesThenEnlarges) {
    MakeTriangle();
    CheckAllBoxes();
    RedrawWatch watch(*this);

    form->mnuFront->trigger();

    // Left, top, perspective are unchecked in that order, each with a redraw of its own.
    EXPECT_EQ(watch.drawn, (std::vector<std::string>{"front top presp", "front presp", "front"}));
    EXPECT_EQ(watch.frontSizes, (std::vector<QSize>(3, QSize(457, 345))));
    EXPECT_TRUE(form->txtCx->text().isEmpty()) << "a redraw after the last box change";
    EXPECT_EQ(form->pic->geometry(), kEnlarged);
    EXPECT_EQ(ShownViews(), "front");
    EXPECT_EQ(CheckedViews(), "");
}

TEST_F(ViewCommands, FrontView_NoBoxChecked_DoesNotRedraw) {
    MakeTriangle();
    form->mnuRefresh->trigger();
    form->pic->ForeColor(kBlue);
    form->pic->Line(300, 300, 400, 300); // a redraw would clear this
    RedrawWatch watch(*this);

    form->mnuFront_Click();

    EXPECT_TRUE(watch.drawn.empty());
    EXPECT_TRUE(form->txtCx->text().isEmpty());
    EXPECT_GT(Count(form->pic, kBlue), 0);
    EXPECT_EQ(form->pic->geometry(), kEnlarged);
}

TEST_F(ViewCommands, LeftView_OnlyLeftAlreadyChecked_EnlargesWithoutRedraw) {
    MakeTriangle();
    form->chkLeft->setChecked(true);
    RedrawWatch watch(*this);

    form->mnuLeft->trigger();

    EXPECT_TRUE(watch.drawn.empty());
    EXPECT_TRUE(form->txtCx->text().isEmpty());
    EXPECT_EQ(form->picLeft->geometry(), kEnlarged);
    EXPECT_EQ(ShownViews(), "left");
    EXPECT_EQ(CheckedViews(), "left");
    EXPECT_TRUE(HasColour(form->picLeft, 65, 100, kGreen)); // the drawing is still there
}

TEST_F(ViewCommands, TopView_RedrawsOnceForEachBoxItChanges) {
    MakeTriangle();
    form->chkPres->setChecked(true);
    RedrawWatch watch(*this);

    form->mnuTop->trigger();

    // chkLeft is already 0; chkTop goes to 1, then chkPres to 0.
    EXPECT_EQ(watch.drawn, (std::vector<std::string>{"front top presp", "front top"}));
    EXPECT_TRUE(form->txtCx->text().isEmpty());
    EXPECT_EQ(form->picTop->geometry(), kEnlarged);
    EXPECT_EQ(ShownViews(), "top");
    EXPECT_EQ(CheckedViews(), "top");
}

TEST_F(ViewCommands, EnlargedView_KeepsItsDrawingInPlaceAndTheNewAreaBlack) {
    MakeTriangle();
    form->mnuRefresh->trigger();
    const int green = Count(form->pic, kGreen);
    const int yellow = Count(form->pic, kYellow);

    form->mnuFront->trigger();

    EXPECT_EQ(form->pic->ScaleWidth(), 910);
    EXPECT_EQ(form->pic->ScaleHeight(), 686);
    EXPECT_EQ(Count(form->pic, kGreen), green);
    EXPECT_EQ(Count(form->pic, kYellow), yellow);
    EXPECT_TRUE(HasColour(form->pic, 125, 100, kGreen));
    EXPECT_TRUE(HasColour(form->pic, 95, 100, kYellow));
}

TEST_F(ViewCommands, LeftViewAfterFrontView_DrawsTheLeftViewAndKeepsItWhenEnlarged) {
    MakeTriangle();
    form->mnuFront->trigger();

    form->mnuLeft->trigger();

    EXPECT_EQ(form->picLeft->geometry(), kEnlarged);
    EXPECT_EQ(form->picLeft->ScaleWidth(), 910);
    EXPECT_EQ(form->picLeft->ScaleHeight(), 686);
    EXPECT_TRUE(HasColour(form->picLeft, 65, 100, kGreen));
    EXPECT_TRUE(HasColour(form->picLeft, 15, 130, kYellow));
    EXPECT_FALSE(form->pic->isVisible());
}

TEST_F(ViewCommands, ViewAllFromOneView_KeepsTheBoxesAndDrawsTheCheckedViews) {
    MakeTriangle();
    form->chkTop->setChecked(true);
    form->mnuLeft->trigger();

    form->mnuViewAll->trigger();

    EXPECT_EQ(CheckedViews(), "left");
    EXPECT_EQ(form->picLeft->geometry(), QRect(561, 0, 457, 345));
    EXPECT_EQ(form->picTop->geometry(), QRect(104, 345, 457, 345));
    EXPECT_TRUE(form->pic->isVisible());
    EXPECT_EQ(DrawnViews(), "front left");
}

TEST_F(ViewCommands, ViewAllAfterFrontView_ShowsFourViewsWithOnlyTheFrontDrawn) {
    MakeTriangle();
    CheckAllBoxes();
    form->mnuFront->trigger();

    form->mnuViewAll->trigger();

    EXPECT_EQ(ShownViews(), "front left top presp");
    EXPECT_EQ(form->pic->geometry(), QRect(104, 0, 457, 345));
    EXPECT_EQ(form->picPresp->geometry(), QRect(561, 345, 457, 345));
    EXPECT_EQ(DrawnViews(), "front");
    EXPECT_TRUE(HasColour(form->pic, 125, 100, kGreen));
}

TEST_F(ViewCommands, UncheckingABox_LeavesThatViewShownButBlank) {
    MakeTriangle();
    form->mnuViewAll->trigger();
    CheckAllBoxes();
    ASSERT_EQ(DrawnViews(), "front left top presp");

    QTest::mouseClick(form->chkTop, Qt::LeftButton); // by the user

    EXPECT_FALSE(form->chkTop->isChecked());
    EXPECT_EQ(DrawnViews(), "front left presp");
    EXPECT_TRUE(form->picTop->isVisible());
    EXPECT_EQ(form->picTop->geometry(), QRect(104, 345, 457, 345));
}

TEST_F(ViewCommands, DoubleClickOnACaption_RunsThatViewsCommandAndAddsNothing) {
    form->cmdAdd_Click();

    DoubleClickAt(form->lbLeft, {20, 8});
    EXPECT_EQ(form->picLeft->geometry(), kEnlarged);
    EXPECT_FALSE(form->pic->isVisible());
    EXPECT_TRUE(form->chkLeft->isChecked());

    form->mnuViewAll_Click();
    DoubleClickAt(form->lbTop, {20, 8});
    EXPECT_EQ(form->picTop->geometry(), kEnlarged);
    EXPECT_FALSE(form->picLeft->isVisible());
    EXPECT_TRUE(form->chkTop->isChecked());
    EXPECT_FALSE(form->chkLeft->isChecked());

    form->mnuViewAll_Click();
    DoubleClickAt(form->lbU, {20, 8});
    EXPECT_EQ(form->pic->geometry(), kEnlarged);
    EXPECT_FALSE(form->picTop->isVisible());
    EXPECT_FALSE(form->chkTop->isChecked());

    EXPECT_EQ(Obj().nPoints(), 0);
    EXPECT_TRUE(form->mousePos->text().isEmpty());
}

TEST_F(ViewCommands, DoubleClickOnThePerspectiveCaption_DoesNothing) {
    form->chkPres->setChecked(true);
    RedrawWatch watch(*this);

    DoubleClickAt(form->LbFront, {40, 8});

    EXPECT_TRUE(watch.drawn.empty());
    EXPECT_TRUE(form->txtCx->text().isEmpty());
    EXPECT_TRUE(form->chkPres->isChecked());
    EXPECT_EQ(form->picPresp->geometry(), QRect(560, 344, 457, 345));
    EXPECT_EQ(ShownViews(), "front left top presp");
}

TEST_F(ViewCommands, PressOnACaption_DoesNotReachTheView) {
    form->cmdAdd_Click();

    ClickAt(form->lbU, {30, 8});
    ClickAt(form->lbLeft, {30, 8});
    EXPECT_EQ(Obj().nPoints(), 0);
    EXPECT_TRUE(form->mousePos->text().isEmpty());
    EXPECT_EQ(form->LastX, 0.0f);

    // Just below the caption the view takes the press.
    ClickAt(form->pic, InView(30, 20));
    EXPECT_EQ(Obj().nPoints(), 1);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("30,20,0"));
}

TEST_F(ViewCommands, About_ShowsThreeCreditLinesWithoutIconTitledTessaly) {
    form->mnuAbout->trigger();

    ASSERT_EQ(msgBox.messages.size(), 1u);
    const RecordingMsgBox::Message& about = msgBox.messages.front();
    EXPECT_EQ(about.icon, MsgBox::Icon::None);
    EXPECT_EQ(about.title, "Tessaly");
    const QStringList lines = QString::fromStdString(about.text).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines) {
        EXPECT_FALSE(line.trimmed().isEmpty());
        EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')));
    }
    EXPECT_TRUE(form->txtCx->text().isEmpty());
    EXPECT_EQ(DrawnViews(), "");
}

TEST_F(ViewCommands, Exit_ClosesTheWindow) {
    // The other tests still need the application.
    QApplication::setQuitOnLastWindowClosed(false);
    form->mnuExit->trigger();
    QApplication::setQuitOnLastWindowClosed(true);

    EXPECT_FALSE(form->isVisible());
}
