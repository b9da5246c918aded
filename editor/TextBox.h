// A one-line text box that never shows part of a character without the focus: there it shows
// as much of its text's start as fits whole, then an ellipsis at the cut end, in the text's own
// direction. With the focus it is a plain QLineEdit. text() is never changed for showing it.
#pragma once

#include <QLineEdit>

class TextBox : public QLineEdit {
    Q_OBJECT

public:
    explicit TextBox(QWidget* parent = nullptr);

    // The width and height a line of text may take so that it shows whole, with the focus and
    // without.
    QSize Room() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the text lies without the focus.
    QRect TextRect() const;
};
