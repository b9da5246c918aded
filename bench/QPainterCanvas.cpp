// The QPainter reference surface.
#include "QPainterCanvas.h"

#include "Colours.h"

#include <QColor>
#include <QLineF>

namespace {

QColor FromBgr(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                  static_cast<int>((bgr >> 16) & 0xFFu));
}

} // namespace

QPainterCanvas::QPainterCanvas(int width, int height)
    : image_(width, height, QImage::Format_RGB32), pen_(FromBgr(kBlack)), colour_(kBlack) {
    image_.fill(Qt::black);
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    pen_.setWidth(1);
    pen_.setCosmetic(true);
    painter_.setPen(pen_);
}

QPainterCanvas::~QPainterCanvas() {
    painter_.end();
}

void QPainterCanvas::ForeColor(uint32_t colour) {
    if (colour == colour_) {
        return;
    }
    colour_ = colour;
    pen_.setColor(FromBgr(colour));
    painter_.setPen(pen_);
}

void QPainterCanvas::Line(float x1, float y1, float x2, float y2) {
    painter_.drawLine(QLineF(x1, y1, x2, y2));
}

void QPainterCanvas::Cls() {
    painter_.fillRect(image_.rect(), Qt::black);
}

uint32_t QPainterCanvas::pixel(int x, int y) const {
    const QRgb rgb = image_.pixel(x, y);
    return static_cast<uint32_t>(qRed(rgb)) | (static_cast<uint32_t>(qGreen(rgb)) << 8) |
           (static_cast<uint32_t>(qBlue(rgb)) << 16);
}
