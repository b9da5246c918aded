// The window at start: layout, nothing drawn, the centre from the front view's drawing area.
#include "ModelChecks.h"
#include "WindowFixture.h"

#include <QAccessible>
#include <QFont>
#include <QPalette>
#include <QStringList>
#include <QToolButton>
#include <QVariant>

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
    EXPECT_TRUE(CentreIs(Obj(), 226.5f, 170.5f, 113.25f));
}

TEST_F(Startup, EveryControlHasItsStoredPlaceTextFontAndTabPlace) {
    enum Font { Default, Verdana, VerdanaBold };
    struct Control {
        const char* name;
        QRect at; // captions: within their view
        const char* text;
        Font font;
    };
    // In tab order; the captions take no focus and come last.
    const Control controls[] = {
        {"chkLeft", {8, 16, 81, 25}, "Left View", Verdana},
        {"chkPres", {8, 40, 89, 25}, "Prespective", Verdana},
        {"chkTop", {8, 64, 81, 25}, "Top View", Verdana},
        {"txtSelectedObj", {16, 110, 65, 19}, "Point", Default},
        {"cmdArrow", {16, 136, 33, 33}, "", Default},
        {"cmdDelete", {48, 136, 33, 33}, "", VerdanaBold},
        {"cmdAdd", {16, 168, 33, 33}, "", VerdanaBold},
        {"cmdRotate", {48, 168, 33, 33}, "", Default},
        {"cmdMove", {16, 200, 33, 33}, "", Default},
        {"cmdResize", {48, 200, 33, 33}, "", Default},
        {"txtX", {0, 336, 33, 19}, "", Default},
        {"txtY", {32, 336, 33, 19}, "", Default},
        {"txtZ", {64, 336, 33, 19}, "", Default},
        {"cmdSet", {16, 360, 65, 25}, "Set Point", Default},
        {"txtCx", {0, 408, 33, 19}, "", Default},
        {"txtCy", {32, 408, 33, 19}, "", Default},
        {"txtCz", {64, 408, 33, 19}, "", Default},
        {"cmdSetC", {16, 432, 65, 25}, "Set Center", Default},
        {"pic", {104, 0, 457, 345}, "", Default},
        {"picLeft", {560, 0, 457, 345}, "", Default},
        {"picPresp", {560, 344, 457, 345}, "", Default},
        {"picTop", {104, 344, 457, 345}, "", Default},
        {"lbU", {0, 0, 73, 17}, "Front View", VerdanaBold},
        {"lbLeft", {0, 0, 65, 17}, "Left View", VerdanaBold},
        {"LbFront", {0, 0, 121, 17}, "Prespective View", VerdanaBold},
        {"lbTop", {0, 0, 65, 17}, "Top View", VerdanaBold},
    };
    const QFont standard = QApplication::font();
    QStringList focusable;
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        const auto* widget = form->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(widget, nullptr);
        const bool caption = widget->parentWidget() != form->centralWidget();
        // A caption lies in the corner of its view's drawing area, inside the view's border.
        EXPECT_EQ(widget->geometry(),
                  caption ? c.at.translated(widget->parentWidget()->contentsRect().topLeft())
                          : c.at);
        if (const QVariant text = widget->property("text"); text.isValid()) {
            EXPECT_EQ(text.toString(), QString::fromLatin1(c.text));
        }
        const QFont font = widget->font();
        EXPECT_EQ(font.family(), c.font == Default ? standard.family() : QStringLiteral("Verdana"));
        EXPECT_EQ(font.bold(), c.font == VerdanaBold);
        if (c.font != Default) {
            EXPECT_EQ(font.pointSizeF(), 8.25);
        }
        if (caption) {
            EXPECT_EQ(widget->palette().color(QPalette::WindowText), QColor(0xFF, 0xFF, 0x80));
        }
        if (widget->focusPolicy() & Qt::TabFocus) {
            focusable << widget->objectName();
        }
    }
    // The focus chain visits the focusable controls in the order of the table.
    QStringList chain;
    const QWidget* w = form->chkLeft;
    do {
        if (focusable.contains(w->objectName()) && !chain.contains(w->objectName())) {
            chain << w->objectName();
        }
        w = w->nextInFocusChain();
    } while (w != form->chkLeft);
    EXPECT_EQ(chain, focusable);
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

TEST_F(Startup, EveryControlHasANameAssistiveTechnologyReads_AndADescriptionOtherThanItsValue) {
    Obj().AddPoint(1, 2, 3);
    form->mnuRefresh->trigger(); // the centre boxes get their numbers, the views their point
    form->pic_MouseDown(PictureBox::kLeftButton, 0, 1, 2); // picks it: point and pointer show
    const struct {
        const char* control;
        const char* name; // nullptr: read as its text
    } names[] = {
        {"chkPres", "Perspective"},
        {"cmdArrow", "Select"},
        {"cmdAdd", "Add"},
        {"cmdDelete", "Erase"},
        {"cmdMove", "Move"},
        {"cmdRotate", "Rotate Object"},
        {"cmdResize", "Resize"},
        {"txtX", "Point x"},
        {"txtY", "Point y"},
        {"txtZ", "Point z"},
        {"txtCx", "Centre x"},
        {"txtCy", "Centre y"},
        {"txtCz", "Centre z"},
        {"pic", "Front view"},
        {"picLeft", "Left view"},
        {"picTop", "Top view"},
        {"picPresp", "Perspective view"},
        {"mousePos", nullptr},
    };
    for (const auto& n : names) {
        SCOPED_TRACE(n.control);
        auto* widget = form->findChild<QWidget*>(QString::fromLatin1(n.control));
        ASSERT_NE(widget, nullptr);
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(spoken, nullptr);
        EXPECT_EQ(spoken->text(QAccessible::Name),
                  n.name ? QString::fromLatin1(n.name) : widget->property("text").toString());
        const QString value = spoken->text(QAccessible::Value);
        const QString description = spoken->text(QAccessible::Description);
        EXPECT_TRUE(value.isEmpty() ? n.name || !description.isEmpty() // says what it is for
                                    : !description.contains(value));
        const bool view = qobject_cast<PictureBox*>(widget) != nullptr;
        EXPECT_EQ(spoken->role() == QAccessible::Graphic, view);
        // The front view shows the point; the left one is not drawn.
        EXPECT_EQ(view && description.contains(QLatin1Char('1')), widget == form->pic);
    }
    EXPECT_FALSE(form->txtCx->toolTip().isEmpty());
    EXPECT_FALSE(form->mousePos->text().isEmpty());
    const auto tool = QAccessible::queryAccessibleInterface(form->txtSelectedObj)->state();
    EXPECT_TRUE(tool.readOnly && !tool.focusable); // it shows the tool; typing means nothing
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
            EXPECT_FALSE(
                QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty())
                << widget->objectName().toStdString();
        }
    }
}
