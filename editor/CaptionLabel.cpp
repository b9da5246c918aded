// Qt hands a label's unhandled mouse events to its parent; accepting them here stops that.
#include "CaptionLabel.h"

#include <QMouseEvent>

CaptionLabel::CaptionLabel(QWidget* parent) : QLabel(parent) {}

void CaptionLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void CaptionLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void CaptionLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit DblClick();
}
