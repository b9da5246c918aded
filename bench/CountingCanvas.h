// A Canvas that counts the pixel writes RasterCanvas makes for the same calls, by letting a
// RasterCanvas draw each segment and counting the pixels it wrote.
#pragma once

#include "Canvas.h"
#include "RasterCanvas.h"

#include <cstdint>

// Each segment is drawn on a black scratch RasterCanvas in a marking colour, the marked pixels
// are counted and the segment is drawn again in black, so the scratch is black again for the
// next one. Pixels that later segments overwrite count once per write; a clear counts every
// pixel of the view.
class CountingCanvas : public Canvas {
public:
    CountingCanvas(int width, int height);

    void ForeColor(uint32_t colour) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Cls() override;
    int ScaleWidth() const override { return scratch_.ScaleWidth(); }
    int ScaleHeight() const override { return scratch_.ScaleHeight(); }

    // Pixels written by all calls so far, and by the segments among them.
    uint64_t pixels() const { return linePixels_ + clearPixels_; }
    uint64_t linePixels() const { return linePixels_; }
    uint64_t clearPixels() const { return clearPixels_; }
    uint64_t lines() const { return lines_; }

    // The scratch canvas, black between calls.
    const RasterCanvas& scratch() const { return scratch_; }

private:
    RasterCanvas scratch_;
    uint64_t linePixels_ = 0;
    uint64_t clearPixels_ = 0;
    uint64_t lines_ = 0;
};
