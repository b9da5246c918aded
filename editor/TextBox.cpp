// QLineEdit still edits, scrolls and draws the frame; what it draws inside the frame (text,
// selection, caret) is painted over and drawn again here: only whole characters, one pixel right
// of where QLineEdit puts them, so that the caret at a character's left edge stays out of it.
#include "TextBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

namespace {

// QLineEdit keeps its text this many pixels inside the rectangle it may draw in.
constexpr int kTextIndent = 2;
// QLineEdit::cursorRect() begins this many pixels left of the caret.
constexpr int kCursorRectLead = 5;
// The characters' shift to the right of the caret's place.
constexpr int kCaretGap = 1;
// Blank pixels between the text and the frame on every side.
constexpr int kEdgeGap = 1;
// A flat frame one pixel wide, and no padding to take room from the text.
constexpr const char* kStyle = "QLineEdit { border: 1px solid palette(mid); padding: 0px; }";

// One line, as QLineEdit lays out its text: trailing spaces take their room.
void LayOut(QTextLayout& layout) {
    QTextOption option;
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
}

// The pixel columns from the left edge of the first character drawn whole within room to the
// right edge of the last one, and the position in the text where the first one begins.
struct Shown {
    int left = 0;
    int right = 0;
    int first = -1;
};

Shown WholeCharacters(const QTextLayout& layout, int start, QRect room) {
    const QTextLine line = layout.lineAt(0);
    qreal from = room.right() + 1;
    qreal to = room.left();
    Shown shown;
    for (int i = 0; i <= layout.text().size(); ++i) {
        const qreal x = start + line.cursorToX(i);
        if (layout.isValidCursorPosition(i) && x >= room.left() && x <= room.right() + 1) {
            shown.first = x < from ? i : shown.first;
            from = std::min(from, x);
            to = std::max(to, x);
        }
    }
    // Whole pixels only: a column shared with a character that is not drawn is left out.
    shown.left = static_cast<int>(std::ceil(from));
    shown.right = static_cast<int>(std::floor(to));
    return shown;
}

} // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setStyleSheet(QString::fromLatin1(kStyle));
    connect(this, &QLineEdit::cursorPositionChanged, this, [this] {
        if (hasFocus()) {
            RestartCaret();
        }
    });
}

QRect TextBox::Contents() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this) - textMargins();
}

QSize TextBox::Room() const {
    const QRect contents = Contents();
    return {contents.width() - kTextIndent - kCaretGap - kEdgeGap,
            contents.height() - 2 * kEdgeGap};
}

// The top of the line, centred as QLineEdit centres it.
int TextBox::LineTop() const {
    const QRect contents = Contents();
    return contents.top() + (contents.height() - fontMetrics().height() + 1) / 2;
}

void TextBox::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    // QLineEdit's caret inverts what lies under it, so no colour of its own could hide it.
    painter.fillRect(Contents(), palette().base());
    painter.setPen(palette().color(QPalette::Text));
    if (!hasFocus()) {
        DrawFromStart(painter);
        return;
    }
    QTextLayout layout(displayText(), font());
    LayOut(layout);
    QList<QTextLayout::FormatRange> selection;
    if (hasSelectedText()) {
        QTextLayout::FormatRange range;
        range.start = selectionStart();
        range.length = selectionLength();
        range.format.setBackground(palette().highlight());
        range.format.setForeground(palette().highlightedText());
        selection.append(range);
    }
    DrawScrolled(painter, layout, selection);
}

void TextBox::DrawFromStart(QPainter& painter) const {
    const QRect contents = Contents();
    const QSize room = Room();
    const int left = contents.left() + kTextIndent + kCaretGap;
    painter.setClipRect(QRect(left, contents.top(), room.width(), contents.height()));
    painter.drawText(QPoint(left, LineTop() + fontMetrics().ascent()),
                     fontMetrics().elidedText(displayText(), Qt::ElideRight, room.width()));
}

void TextBox::DrawScrolled(QPainter& painter, const QTextLayout& layout,
                           const QList<QTextLayout::FormatRange>& selection) const {
    const QTextLine line = layout.lineAt(0);
    const int caret = cursorPosition();
    // Where QLineEdit has scrolled the text to shows only in its caret's rectangle.
    const int origin = cursorRect().left() + kCursorRectLead - qRound(line.cursorToX(caret));
    const QRect contents = Contents();
    const Shown shown =
        WholeCharacters(layout, origin + kCaretGap, contents.adjusted(kEdgeGap, 0, -kEdgeGap, 0));
    if (shown.right > shown.left) {
        painter.setClipRect(
            QRect(shown.left, contents.top(), shown.right - shown.left, contents.height()));
        layout.draw(&painter, QPointF(origin + kCaretGap, LineTop()), selection);
    }
    if (!caretShown_) {
        return;
    }
    int caretX = origin + qRound(line.cursorToX(caret));
    // With no character left of it, the caret stands a pixel clear of the one on its right.
    if (caret == shown.first) {
        caretX -= kCaretGap;
    }
    painter.setClipRect(contents);
    painter.fillRect(QRect(caretX, LineTop(),
                           style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this),
                           fontMetrics().height()),
                     painter.pen().brush());
}

void TextBox::RestartCaret() {
    caretShown_ = true;
    const int period = QApplication::cursorFlashTime();
    if (period > 0) {
        caretBlink_.start(period / 2, this);
    }
    update();
}

void TextBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    RestartCaret();
}

void TextBox::focusOutEvent(QFocusEvent* event) {
    caretBlink_.stop();
    caretShown_ = false;
    QLineEdit::focusOutEvent(event);
}

void TextBox::timerEvent(QTimerEvent* event) {
    if (event->timerId() != caretBlink_.timerId()) {
        QLineEdit::timerEvent(event);
        return;
    }
    caretShown_ = !caretShown_;
    update();
}
