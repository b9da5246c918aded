// A plain pixel buffer that implements Canvas with a clipped rasteriser: a fixed-point step along
// the major axis that puts exactly the pixels of Bresenham's walk.
#pragma once

#include "Canvas.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Pixels are kept as 0xFFRRGGBB words, the layout of QImage::Format_RGB32, so a widget can
// show the buffer as it is; colours arrive as 0x00BBGGRR and are converted once per ForeColor,
// and in Lines only where the colour changes.
class RasterCanvas : public Canvas {
public:
    // How a segment's pixels are found; both put the same pixels. FixedPoint takes the short
    // cuts: rows, columns and segments with both ends inside skip the general clipping, and the
    // pixels between the ends come from an exact fixed-point step. Bresenham is the reference
    // they are checked against: every segment clipped the general way and walked by Bresenham's
    // error term, which also draws the segments too long for the fixed-point step to be exact.
    enum class Stepping { FixedPoint, Bresenham };

    // Lines and TraceLines set up segments a vector at a time, as wide as the processor runs, at
    // most `lanes` (0: no limit); every width puts the same pixels.
    RasterCanvas(int width, int height, Stepping stepping = Stepping::FixedPoint, int lanes = 0);

    void ForeColor(uint32_t colour) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Lines(std::span<const Segment> segments) override;
    void Cls() override;
    int ScaleWidth() const override { return width_; }
    int ScaleHeight() const override { return height_; }

    // Appends the buffer index (y * ScaleWidth() + x) of every pixel that Lines would write for
    // these segments, in the order it would write them, a pixel written twice listed twice; writes
    // nothing. It runs the same clipping and stepping as Lines, only storing indices instead of
    // colours.
    void TraceLines(std::span<const Segment> segments, std::vector<uint32_t>& indices) const;

    // A pixel read back as 0x00BBGGRR; coordinates must lie inside the buffer.
    uint32_t pixel(int x, int y) const;

    // Changes the size, keeping the pixels that still fit; new area is background.
    void resize(int width, int height);

    // The buffer in 0xFFRRGGBB words, row after row, ScaleWidth() words a row.
    const uint32_t* bits() const { return pixels_.data(); }
    uint32_t* bits() { return pixels_.data(); }

    static uint32_t toRgb32(uint32_t bgr);
    static uint32_t fromRgb32(uint32_t rgb32);

private:
    // Draws the segments through a store of the rasteriser's, which paints or records the pixels.
    template <typename Store> void draw(std::span<const Segment> segments, Store store) const;

    int width_;
    int height_;
    Stepping stepping_;
    int lanes_;
    // The last floats inside the view in x and y, for the test that lets a segment with both
    // ends inside skip the clipping.
    std::array<float, 2> lastInside_;
    uint32_t fore_;
    std::vector<uint32_t> pixels_;
};
