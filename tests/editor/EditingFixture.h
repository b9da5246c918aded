// The window fixture with a small known model and helpers for looking at the views' pixels and
// for pressing the mouse through the window, where Qt decides which widget is under the pointer.
#pragma once

#include "CaptionLabel.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <string>

class EditingFixture : public WindowFixture {
protected:
    // Centre (200, 150, 100) and three points A (100, 100, 50), B (150, 100, 80),
    // C (150, 130, 20), all absolute. They appear in the front view at A (100, 100),
    // B (150, 100), C (150, 130); in the left view at A (50, 100), B (80, 100), C (20, 130);
    // in the top view at A (100, 50), B (150, 80), C (150, 20).
    static void MakeTriangle() {
        Obj().SetCxyz(200, 150, 100);
        Obj().AddPoint(100, 100, 50);
        Obj().AddPoint(150, 100, 80);
        Obj().AddPoint(150, 130, 20);
    }

    static testing::AssertionResult HasColour(const PictureBox* view, int x, int y,
                                              uint32_t colour) {
        const uint32_t actual = Pixel(view, x, y);
        if (actual == colour) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure()
               << view->objectName().toStdString() << " at (" << x << ", " << y << ") is "
               << Hex(actual) << ", expected " << Hex(colour);
    }

    // A view with the box that asks for it to be drawn; the front view has none.
    struct View {
        const PictureBox* picture;
        const QCheckBox* box;
        const char* name;
    };
    // The names of the views for which has holds, in the order front, left, top, perspective.
    template <typename Has> std::string ViewsThat(Has has) const {
        const View views[] = {{form->pic, nullptr, "front"},
                              {form->picLeft, form->chkLeft, "left"},
                              {form->picTop, form->chkTop, "top"},
                              {form->picPresp, form->chkPres, "presp"}};
        std::string names;
        for (const View& view : views) {
            if (has(view)) {
                names += names.empty() ? "" : " ";
                names += view.name;
            }
        }
        return names;
    }
    // The views that show anything.
    std::string DrawnViews() const {
        return ViewsThat([](const View& view) { return !Blank(view.picture); });
    }

    // A position inside a child widget, in the coordinates of the window that holds it.
    QPoint InWindow(const QWidget* widget, QPoint local) const {
        return widget->mapTo(form.get(), local);
    }
    // A view's widget position for a drawing-area position: inside the border.
    static QPoint InView(int x, int y) {
        return {x + PictureBox::kBorder, y + PictureBox::kBorder};
    }

    // Presses go through the window, so they land on whatever widget lies at that spot.
    void PressAt(const QWidget* widget, QPoint local, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(form->windowHandle(), button, {}, InWindow(widget, local));
    }
    void ReleaseAt(const QWidget* widget, QPoint local, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(form->windowHandle(), button, {}, InWindow(widget, local));
    }
    void ClickAt(const QWidget* widget, QPoint local, Qt::MouseButton button = Qt::LeftButton) {
        PressAt(widget, local, button);
        ReleaseAt(widget, local, button);
    }
    void MoveTo(const QWidget* widget, QPoint local) {
        QTest::mouseMove(form->windowHandle(), InWindow(widget, local));
    }
    void DoubleClickAt(const QWidget* widget, QPoint local) {
        QTest::mouseDClick(form->windowHandle(), Qt::LeftButton, {}, InWindow(widget, local));
    }

private:
    static std::string Hex(uint32_t colour) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%06X", colour);
        return text;
    }
};
