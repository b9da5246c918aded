// A Canvas drawn with AGG's renderer_primitives on a BGRA buffer of the view's size: each segment
// clipped to the view with AGG's own Liang-Barsky clipping and drawn as one aliased Bresenham
// line; one of the libraries a user might pick instead of a raster canvas of their own.
#pragma once

#include "Canvas.h"

#include <agg_basics.h>
#include <agg_pixfmt_rgba.h>
#include <agg_renderer_base.h>
#include <agg_renderer_primitives.h>
#include <agg_rendering_buffer.h>

#include <cstdint>
#include <vector>

class AggCanvas : public Canvas {
public:
    AggCanvas(int width, int height);
    AggCanvas(const AggCanvas&) = delete;
    AggCanvas& operator=(const AggCanvas&) = delete;

    void ForeColor(uint32_t colour) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Cls() override;
    int ScaleWidth() const override { return width_; }
    int ScaleHeight() const override { return height_; }

    // A pixel read back as 0x00BBGGRR.
    uint32_t pixel(int x, int y) const;

private:
    using PixelFormat = agg::pixfmt_bgra32;
    using Base = agg::renderer_base<PixelFormat>;

    int width_;
    int height_;
    std::vector<agg::int8u> bytes_;
    agg::rendering_buffer buffer_;
    PixelFormat format_;
    Base base_;
    agg::renderer_primitives<Base> lines_;
    // Where segments are clipped, in AGG's pixel coordinates.
    agg::rect_d clip_;
    uint32_t colour_;
};
