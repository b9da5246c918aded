// A Canvas drawn with Cairo on an image surface of the view's size: one-pixel lines without
// antialiasing, each run of segments of one colour stroked as one path, as a Cairo program draws a
// polyline; one of the libraries a user might pick instead of a raster canvas of their own.
#pragma once

#include "Canvas.h"

#include <cairo.h>
#include <cstdint>
#include <span>

class CairoCanvas : public Canvas {
public:
    CairoCanvas(int width, int height);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    void ForeColor(uint32_t colour) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Lines(std::span<const Segment> segments) override;
    void Cls() override;
    int ScaleWidth() const override { return width_; }
    int ScaleHeight() const override { return height_; }

    // A pixel read back as 0x00BBGGRR.
    uint32_t pixel(int x, int y) const;

    static const char* Version() { return cairo_version_string(); }

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cairo_;
    uint32_t colour_;
};
