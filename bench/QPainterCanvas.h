// A Canvas drawn with QPainter on a QImage, one drawLine per segment with a cosmetic one-pixel
// pen and no antialiasing: the surface a Qt program would write first, kept as the reference the
// raster canvas is measured against.
#pragma once

#include "Canvas.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <cstdint>

class QPainterCanvas : public Canvas {
public:
    QPainterCanvas(int width, int height);
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas&) = delete;
    QPainterCanvas& operator=(const QPainterCanvas&) = delete;

    void ForeColor(uint32_t colour) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Cls() override;
    int ScaleWidth() const override { return image_.width(); }
    int ScaleHeight() const override { return image_.height(); }

    // A pixel read back as 0x00BBGGRR.
    uint32_t pixel(int x, int y) const;

private:
    QImage image_;
    QPainter painter_;
    QPen pen_;
    uint32_t colour_;
};
