// Showing the pixel buffer without copying it, and turning Qt events into view events.
#include "PictureBox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A view is read as a picture; as a plain QFrame it would be read as a frame, the role of a
// window.
QAccessibleInterface* ReadAsPicture(const QString& className, QObject* object) {
    auto* view = qobject_cast<PictureBox*>(object);
    return view != nullptr && className == QLatin1String(PictureBox::staticMetaObject.className())
               ? new QAccessibleWidget(view, QAccessible::Graphic)
               : nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent), raster_(0, 0) {
    static const bool readAsPicture = (QAccessible::installFactory(ReadAsPicture), true);
    Q_UNUSED(readAsPicture)
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    setMouseTracking(true); // moves with no button held are reported too
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// Assistive technology hears of the new drawing as a change of the description, which says what
// is drawn: of the events Qt passes on to AT-SPI, that is the one that fits.
void PictureBox::Drawn() {
    changed();
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void PictureBox::requestRepaint() {
    repaintPending_ = true;
    update(contentsRect());
}

void PictureBox::followNewSize() const {
    followed_ = size();
    const QSize area = contentsRect().size();
    if (area.width() != raster_.ScaleWidth() || area.height() != raster_.ScaleHeight()) {
        raster_.resize(area.width(), area.height());
    }
}

int PictureBox::ScaleWidth() const {
    followSize();
    return raster_.ScaleWidth();
}

int PictureBox::ScaleHeight() const {
    followSize();
    return raster_.ScaleHeight();
}

const RasterCanvas& PictureBox::raster() const {
    followSize();
    return raster_;
}

RasterCanvas& PictureBox::Surface() {
    followSize();
    return raster_;
}

void PictureBox::ForeColor(uint32_t colour) {
    followSize();
    raster_.ForeColor(colour);
}

void PictureBox::Line(float x1, float y1, float x2, float y2) {
    followSize();
    raster_.Line(x1, y1, x2, y2);
    changed();
}

// The size is followed and a repaint asked for once for all the segments.
void PictureBox::Lines(std::span<const Segment> segments) {
    if (segments.empty()) {
        return;
    }
    followSize();
    raster_.Lines(segments);
    changed();
}

void PictureBox::Cls() {
    followSize();
    raster_.Cls();
    changed();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event); // the border
    repaintPending_ = false;
    followSize();
    if (raster_.ScaleWidth() == 0 || raster_.ScaleHeight() == 0) {
        return;
    }
    // The image shares the canvas's pixels: nothing is copied per paint.
    const QImage image(
        reinterpret_cast<const uchar*>(raster_.bits()), raster_.ScaleWidth(), raster_.ScaleHeight(),
        static_cast<qsizetype>(raster_.ScaleWidth()) * static_cast<qsizetype>(sizeof(uint32_t)),
        QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    followSize();
    changed();
}

void PictureBox::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::ContentsRectChange) {
        followed_ = QSize();
    }
}

QPointF PictureBox::drawingAreaPos(const QMouseEvent* event) const {
    return event->position() - QPointF(contentsRect().topLeft());
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const int16_t button = ButtonCode(event->button());
    if (button == 0) {
        return; // a button without a code of its own (back, forward) is no press
    }
    const QPointF pos = drawingAreaPos(event);
    emit MouseDown(button, ShiftCode(event->modifiers()), static_cast<float>(pos.x()),
                   static_cast<float>(pos.y()));
}

// The second press of a double-click is no new MouseDown: a double-click in the add tool adds
// one point, not two.
void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = drawingAreaPos(event);
    emit MouseMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()),
                   static_cast<float>(pos.x()), static_cast<float>(pos.y()));
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(KeyCode(event->key()), ShiftCode(event->modifiers()));
}

int16_t PictureBox::ButtonCode(Qt::MouseButtons buttons) {
    int code = 0;
    code |= buttons.testFlag(Qt::LeftButton) ? kLeftButton : 0;
    code |= buttons.testFlag(Qt::RightButton) ? kRightButton : 0;
    code |= buttons.testFlag(Qt::MiddleButton) ? kMiddleButton : 0;
    return static_cast<int16_t>(code);
}

int16_t PictureBox::ShiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    code |= modifiers.testFlag(Qt::ShiftModifier) ? kShiftMask : 0;
    code |= modifiers.testFlag(Qt::ControlModifier) ? kCtrlMask : 0;
    code |= modifiers.testFlag(Qt::AltModifier) ? kAltMask : 0;
    return static_cast<int16_t>(code);
}

int16_t PictureBox::KeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift:
        return kKeyShift;
    case Qt::Key_Control:
        return kKeyCtrl;
    case Qt::Key_Left:
        return kKeyLeft;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Right:
        return kKeyRight;
    case Qt::Key_Down:
        return kKeyDown;
    default:
        break;
    }
    // Letters and digits carry the same codes in both schemes.
    const bool letterOrDigit =
        (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z);
    return letterOrDigit ? static_cast<int16_t>(qtKey) : int16_t{0};
}
