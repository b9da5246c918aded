// A Canvas that draws nothing and records which pixels RasterCanvas would write, in order: the
// addresses a drawing stores to, for timing those stores alone.
#pragma once

#include "Canvas.h"
#include "RasterCanvas.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The record is RasterCanvas::TraceLines of every segment, so it runs the canvas's own clipping
// and stepping. Each clear is kept as its place in the sequence; each colour as the place from
// which the pixels are written in it.
class TracingCanvas : public Canvas {
public:
    TracingCanvas(int width, int height);

    void ForeColor(uint32_t colour) override { fore_ = colour; }
    void Line(float x1, float y1, float x2, float y2) override;
    void Lines(std::span<const Segment> segments) override;
    void Cls() override { clears_.push_back(indices_.size()); }
    int ScaleWidth() const override { return geometry_.ScaleWidth(); }
    int ScaleHeight() const override { return geometry_.ScaleHeight(); }

    // The buffer index of every pixel written by a segment, in order, one per write.
    const std::vector<uint32_t>& indices() const { return indices_; }
    std::size_t clears() const { return clears_.size(); }
    // Pixel writes in all: the segments' and every clear's whole view.
    uint64_t writes() const;

    // Stores one colour (0xFFRRGGBB) at every recorded index of pixels, a buffer of the view's
    // size, in the recorded order, and fills it with black at each clear: the same stores as the
    // drawing, without finding them.
    void Replay(uint32_t* pixels, uint32_t rgb32) const;
    // The same with the colour each pixel was drawn in: the picture RasterCanvas draws.
    void ReplayInColour(uint32_t* pixels) const;

private:
    struct ColourFrom {
        std::size_t from;
        uint32_t colour;
    };

    void Trace(const Segment& s);
    std::size_t viewSize() const;

    RasterCanvas geometry_;
    uint32_t fore_ = 0;
    std::vector<uint32_t> indices_;
    std::vector<std::size_t> clears_;
    std::vector<ColourFrom> colours_;
};
