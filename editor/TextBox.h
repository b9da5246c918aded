// A one-line text box that never shows part of a character. Without the focus it shows as much
// of its text's start as fits whole, then an ellipsis; with the focus it scrolls as QLineEdit
// does, but only whole characters are drawn. text() is never changed for the sake of showing it.
#pragma once

#include <QBasicTimer>
#include <QLineEdit>
#include <QList>
#include <QTextLayout>

class QPainter;

class TextBox : public QLineEdit {
    Q_OBJECT

public:
    explicit TextBox(QWidget* parent = nullptr);

    // The width from where the text starts to where its last whole character may end, and the
    // height its line may take, both keeping a blank pixel from the frame.
    QSize Room() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Where QLineEdit may draw its text.
    QRect Contents() const;
    int LineTop() const;
    void DrawFromStart(QPainter& painter) const;
    void DrawScrolled(QPainter& painter, const QTextLayout& layout,
                      const QList<QTextLayout::FormatRange>& selection) const;
    void RestartCaret();

    QBasicTimer caretBlink_;
    bool caretShown_ = false;
};
