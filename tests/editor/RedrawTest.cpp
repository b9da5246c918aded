// The full redraw: what it clears, which views it draws, where the model lands in their pixels
// and the centre it writes into the boxes.
#include "BoxNumber.h"
#include "EditingFixture.h"

#include <QApplication>
#include <QByteArray>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QInputMethodEvent>
#include <QTest>
#include <QToolButton>

#include <cstdlib>
#include <thread>

using Redraw = EditingFixture;

TEST_F(Redraw, Refresh_DrawsLinesGreenAndMarkersYellowWhereTheModelIs) {
    MakeTriangle();
    form->chkLeft->setChecked(true);
    form->chkTop->setChecked(true);
    form->chkPres->setChecked(true);
    form->mnuRefresh->trigger();

    const PictureBox* front = form->pic;
    EXPECT_TRUE(HasColour(front, 125, 100, kGreen)); // A-B
    EXPECT_TRUE(HasColour(front, 150, 115, kGreen)); // B-C
    EXPECT_TRUE(HasColour(front, 95, 100, kYellow)); // A's arms
    EXPECT_TRUE(HasColour(front, 100, 95, kYellow));
    EXPECT_TRUE(HasColour(front, 100, 105, kYellow));
    EXPECT_TRUE(HasColour(front, 155, 100, kYellow)); // B's right arm, drawn over A-B
    // B-C is drawn after B's marker and covers its centre and lower arm; C's marker comes last.
    EXPECT_TRUE(HasColour(front, 150, 100, kGreen));
    EXPECT_TRUE(HasColour(front, 150, 104, kGreen));
    EXPECT_TRUE(HasColour(front, 150, 126, kYellow));
    EXPECT_TRUE(HasColour(front, 150, 130, kYellow));
    EXPECT_TRUE(HasColour(front, 145, 130, kYellow));
    EXPECT_TRUE(HasColour(front, 125, 115, kBlack)); // no segment from C back to A

    const PictureBox* left = form->picLeft;
    EXPECT_TRUE(HasColour(left, 65, 100, kGreen)); // A-B
    EXPECT_TRUE(HasColour(left, 45, 100, kYellow));
    EXPECT_TRUE(HasColour(left, 85, 100, kYellow));
    EXPECT_TRUE(HasColour(left, 20, 135, kYellow));
    EXPECT_TRUE(HasColour(left, 15, 130, kYellow));

    const PictureBox* top = form->picTop;
    EXPECT_TRUE(HasColour(top, 150, 50, kGreen)); // B-C
    EXPECT_TRUE(HasColour(top, 95, 50, kYellow));
    EXPECT_TRUE(HasColour(top, 155, 80, kYellow));
    EXPECT_TRUE(HasColour(top, 150, 15, kYellow));

    EXPECT_GT(Count(form->picPresp, kGreen), 0);
    EXPECT_GT(Count(form->picPresp, kYellow), 0);
    EXPECT_EQ(Count(form->picPresp, kGreen) + Count(form->picPresp, kYellow) +
                  Count(form->picPresp, kBlack),
              453 * 341);
}

TEST_F(Redraw, Refresh_DrawsOnlyTheFrontViewAndTheCheckedViews) {
    MakeTriangle();
    form->mnuRefresh->trigger();
    EXPECT_EQ(DrawnViews(), "front");

    form->chkTop->setChecked(true);
    form->mnuRefresh->trigger();
    EXPECT_EQ(DrawnViews(), "front top");

    form->chkTop->setChecked(false);
    form->chkPres->setChecked(true);
    form->mnuRefresh->trigger();
    EXPECT_EQ(DrawnViews(), "front presp");
}

TEST_F(Redraw, Refresh_ClearsEveryViewBeforeDrawing) {
    MakeTriangle();
    form->chkLeft->setChecked(true);
    for (PictureBox* view : {form->pic, form->picLeft, form->picTop, form->picPresp}) {
        view->ForeColor(kBlue);
        view->Line(300, 300, 400, 300);
    }
    // The drawing of the model at its old place goes too.
    form->mnuRefresh->trigger();
    Obj().SetCxyz(250, 150, 100);
    form->mnuRefresh->trigger();

    for (const PictureBox* view : {form->pic, form->picLeft, form->picTop, form->picPresp}) {
        EXPECT_EQ(Count(view, kBlue), 0) << view->objectName().toStdString();
    }
    EXPECT_TRUE(HasColour(form->pic, 95, 100, kBlack));   // A's left arm, before the move
    EXPECT_TRUE(HasColour(form->pic, 145, 100, kYellow)); // A's left arm now
    EXPECT_EQ(DrawnViews(), "front left");
}

TEST_F(Redraw, Refresh_OnAnEmptyModel_WritesTheCentreAndLeavesThePointBoxes) {
    Obj().SetCxyz(-3, 0.5f, 12.25f);
    form->txtX->setText(QStringLiteral("7"));
    form->txtCx->setText(QStringLiteral("old"));
    form->chkLeft->setChecked(true);
    form->mnuRefresh_Click();

    EXPECT_EQ(form->txtCx->text(), QStringLiteral("-3"));
    EXPECT_EQ(form->txtCy->text(), QStringLiteral("0.5"));
    EXPECT_EQ(form->txtCz->text(), QStringLiteral("12.25"));
    EXPECT_EQ(form->txtX->text(), QStringLiteral("7"));
    EXPECT_EQ(DrawnViews(), "");
}

// Centre depth 100 puts the perspective eye at absolute depth 600, where nothing can be
// projected; that point is the first to be drawn there.
TEST_F(Redraw, Refresh_PointAtTheEyeDepth_StillDrawsTheOtherViews) {
    Obj().SetCxyz(200, 150, 100);
    Obj().AddPoint(250, 150, 600);
    Obj().AddPoint(100, 100, 50);
    Obj().AddPoint(150, 100, 80);
    form->chkLeft->setChecked(true);
    form->chkTop->setChecked(true);
    form->chkPres->setChecked(true);
    form->txtCx->clear();

    EXPECT_NO_THROW(form->mnuRefresh_Click());

    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
    EXPECT_TRUE(HasColour(form->pic, 245, 150, kYellow));
    EXPECT_TRUE(HasColour(form->picLeft, 65, 100, kGreen)); // (50, 100)-(80, 100)
    EXPECT_TRUE(HasColour(form->picLeft, 45, 100, kYellow));
    EXPECT_TRUE(HasColour(form->picTop, 95, 50, kYellow));
    EXPECT_TRUE(HasColour(form->picTop, 155, 80, kYellow));
}

namespace {

// How far the box scrolls its text to show the end of it: 0 when the whole text is in view.
int ScrollToShowTheEnd(QLineEdit* box) {
    box->setCursorPosition(0);
    box->repaint();
    const int start = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
    box->setCursorPosition(static_cast<int>(box->text().size()));
    box->repaint();
    const int end = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
    box->setCursorPosition(0);
    return QFontMetrics(box->font()).horizontalAdvance(box->text()) - (end - start);
}

// A new window, shown and active, in the standard font or at points when that is not 0.
bool ShowInFont(std::unique_ptr<frmMain>& form, QFont font, int points) {
    if (points > 0) {
        font.setPointSize(points);
    }
    QApplication::setFont(font);
    form = std::make_unique<frmMain>();
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowActive(form.get());
}

} // namespace

TEST_F(Redraw, NumberBoxes_ShowSixCharactersWholeLongerNumbersFromTheirStart_AllInTheTooltip) {
    const QFont standard = QApplication::font();
    for (const int points : {0, 14}) { // the platform's font, then a large one
        SCOPED_TRACE(testing::Message() << "application font " << points << " pt");
        ASSERT_TRUE(ShowInFont(form, standard, points));
        Obj() = c3dObj();
        Obj().SetCxyz(226.5f, -113.5f, 1e7f);
        Obj().AddPoint(226.5f - 113.2f, -113.5f + 170.5f, 2e7f); // offsets -113.2, 170.5, 1E+07
        form->mnuRefresh_Click();
        form->pic_MouseDown(1, 0, 113.3f, 57);
        ASSERT_EQ(form->SelectedPoint, 0);
        for (QLineEdit* box :
             {form->txtCx, form->txtCy, form->txtCz, form->txtX, form->txtY, form->txtZ}) {
            SCOPED_TRACE(box->objectName().toStdString() + " " + box->text().toStdString());
            EXPECT_LE(box->text().size(), 6);
            EXPECT_EQ(ScrollToShowTheEnd(box), 0);
            EXPECT_EQ(box->toolTip(), box->text());
        }
    }
    QApplication::setFont(standard);
    Obj().SetCxyz(-190.2534f, 1234567.0f, 0.3333333f);
    form->mnuRefresh_Click();
    for (const QLineEdit* box : {form->txtCx, form->txtCy, form->txtCz}) {
        EXPECT_EQ(box->cursorPosition(), 0) << box->objectName().toStdString();
        EXPECT_EQ(box->toolTip(), box->text());
    }
    EXPECT_EQ(form->txtCx->toolTip(), QStringLiteral("-190.2534"));
}

TEST_F(Redraw, F5Key_RunsTheRefresh) {
    MakeTriangle();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    QTest::keyClick(form->pic, Qt::Key_F5);

    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
    EXPECT_TRUE(HasColour(form->pic, 125, 100, kGreen));
}

namespace {

// Where the box's frame holds the background, and where in there something is drawn.
std::pair<QRect, QRect> InsideAndDrawn(QLineEdit* box) {
    const QImage image = box->grab().toImage();
    const QRgb background = box->palette().color(QPalette::Base).rgb();
    QRect inside; // the frame holds the background
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            inside |= image.pixel(x, y) == background ? QRect(x, y, 1, 1) : QRect();
        }
    }
    QRect drawn;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            drawn |= image.pixel(x, y) != background ? QRect(x, y, 1, 1) : QRect();
        }
    }
    return {inside, drawn};
}

// A box without the focus looks as it does made wider from its text's start and showing all its
// text, or a start of it and an ellipsis, that then keeps within where the frame stood.
bool ShowsWholeCharactersFromTheStart(QLineEdit* box) {
    const QString text = box->text();
    const QRect at = box->geometry();
    const QImage narrow = box->grab().toImage();
    const QRect inside = InsideAndDrawn(box).first;
    const int left = text.isRightToLeft() ? 100 : 0; // the start stays where it is
    box->setGeometry(at.adjusted(-left, 0, 100 - left, 0));
    bool same = false;
    for (qsizetype kept = text.size(); kept >= 0 && !same; --kept) {
        box->setText(kept == text.size() ? text : text.left(kept) + QChar(0x2026));
        const QRect there = inside.translated(left, 0);
        same = box->grab().toImage().copy(there) == narrow.copy(inside) &&
               there.contains(InsideAndDrawn(box).second);
    }
    box->setGeometry(at);
    box->setText(text);
    return same;
}

} // namespace

TEST_F(Redraw, Boxes_ShowOnlyWholeCharactersWithoutTheFocus_ComposedTextWithIt_AndKeepTheirText) {
    const QFont standard = QApplication::font();
    for (const int points : {0, 14}) { // the platform's font, then a large one
        SCOPED_TRACE(testing::Message() << "application font " << points << " pt");
        ASSERT_TRUE(ShowInFont(form, standard, points));
        // Each box with a short text and a long one: six number boxes with two numbers each, the
        // tool box with the shortest and the longest tool name.
        std::vector<std::pair<QLineEdit*, std::function<void()>>> cases;
        for (QLineEdit* box :
             {form->txtX, form->txtY, form->txtZ, form->txtCx, form->txtCy, form->txtCz}) {
            for (const float value : {226.5f, -0.8786434f}) {
                cases.emplace_back(box, [box, value] { BoxNumber::ShowNumber(box, value); });
            }
        }
        for (QToolButton* tool : {form->cmdAdd, form->cmdRotate}) {
            cases.emplace_back(form->txtSelectedObj, [tool] { tool->click(); });
        }
        cases.emplace_back(form->txtSelectedObj, [this] { // right to left, cut on the left
            form->txtSelectedObj->setText(QString::fromUtf8("\u05D0\u05D1\u05D2 \u05D3\u05D4 12"));
        });
        for (const auto& [box, show] : cases) {
            show();
            SCOPED_TRACE(box->objectName().toStdString() + " " + box->text().toStdString());
            const QString text = box->text();
            const QString tip = box->toolTip();
            form->pic->setFocus(); // not focused; then focused, where composed text shows
            EXPECT_TRUE(ShowsWholeCharactersFromTheStart(box));
            if (!box->isReadOnly()) {
                box->setFocus();
                const QImage focused = box->grab().toImage();
                QInputMethodEvent compose(QStringLiteral("W"), {});
                QApplication::sendEvent(box, &compose);
                EXPECT_NE(box->grab().toImage(), focused);
            }
            EXPECT_EQ(box->text(), text);
            EXPECT_EQ(box->toolTip(), tip);
        }
    }
    form->txtSelectedObj->clear();
    const QImage empty = form->txtSelectedObj->grab().toImage();
    form->txtSelectedObj->setPlaceholderText(QStringLiteral("y")); // shows, as in any line edit
    EXPECT_NE(form->txtSelectedObj->grab().toImage(), empty);
    QApplication::setFont(standard);
}

#if defined(__SANITIZE_THREAD__)
// The views are drawn on standard threads so that ThreadSanitizer needs no filter of its reports:
// a race of ours that passes through Qt's code, two threads of ours writing and copying one
// QByteArray, must still be reported. It is planted in a child process, whose exit status the
// sanitizer sets to 66 when it reports anything.
TEST(ThreadSanitizer, ARaceOfOursThroughAQtContainer_IsReported) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto race = [] {
        QByteArray shared(4096, 'a');
        {
            const std::jthread writer([&shared] {
                for (int i = 0; i < 2000; ++i) {
                    shared.replace(i % 4000, 3, "xyz", 3);
                }
            });
            const std::jthread reader([&shared] {
                for (int i = 0; i < 2000; ++i) {
                    const QByteArray copy(shared.constData(), shared.size());
                }
            });
        }
        std::exit(0);
    };
    EXPECT_EXIT(race(), testing::ExitedWithCode(66), "data race");
}
#endif
