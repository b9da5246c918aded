// With the focus QLineEdit does everything: input methods, selection, caret, undo, scrolling.
// Without it, the frame is the style's and the text is drawn once, already cut to whole
// characters, so nothing depends on how QLineEdit lays out or scrolls its text.
#include "TextBox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextOption>

namespace {

// Blank pixels between the text and the frame at either end. QLineEdit keeps its text about as
// far in, so the text does not move when the box takes or loses the focus.
constexpr int kTextInset = 2;
// Blank pixels above and below the tallest line the box is fitted to.
constexpr int kLineGap = 1;
// A flat frame one pixel wide, and no padding to take room from the text.
constexpr const char* kStyle = "QLineEdit { border: 1px solid palette(mid); padding: 0px; }";

} // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setStyleSheet(QString::fromLatin1(kStyle));
}

QRect TextBox::TextRect() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this) - textMargins();
    return contents.adjusted(kTextInset, 0, -kTextInset, 0);
}

QSize TextBox::Room() const {
    const QRect text = TextRect();
    return {text.width(), text.height() - 2 * kLineGap};
}

// Without the focus an empty box is left to QLineEdit too, which shows its placeholder text.
void TextBox::paintEvent(QPaintEvent* event) {
    const QString shown = displayText();
    if (hasFocus() || shown.isEmpty()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    // The cut end is the text's logical end: on the left of right-to-left text.
    const Qt::LayoutDirection direction = shown.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    QTextOption layout(QStyle::visualAlignment(direction, alignment()));
    layout.setWrapMode(QTextOption::NoWrap);
    const QRect room = TextRect();
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(room, fontMetrics().elidedText(shown, Qt::ElideRight, room.width()), layout);
}
