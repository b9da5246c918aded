// Pixels of canvases compared and counted, for the tests of every layer.
#pragma once

#include "Colours.h"
#include "RasterCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Two canvases of one size holding the same pixels; the first differing pixel otherwise.
inline testing::AssertionResult SamePixels(const RasterCanvas& a, const RasterCanvas& b) {
    const int width = a.ScaleWidth();
    if (width != b.ScaleWidth() || a.ScaleHeight() != b.ScaleHeight()) {
        return testing::AssertionFailure() << "the sizes differ";
    }
    const uint32_t* const end = a.bits() + static_cast<std::ptrdiff_t>(width) * a.ScaleHeight();
    const auto at = static_cast<int>(std::mismatch(a.bits(), end, b.bits()).first - a.bits());
    if (a.bits() + at == end) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "pixel (" << at % width << ", " << at / width << ")";
}

// How many pixels of the canvas hold the colour.
inline int CountColour(const RasterCanvas& canvas, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < canvas.ScaleHeight(); ++y) {
        for (int x = 0; x < canvas.ScaleWidth(); ++x) {
            n += canvas.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

// Nothing drawn: every pixel black; the first that is not otherwise.
inline testing::AssertionResult Blank(const RasterCanvas& canvas) {
    for (int y = 0; y < canvas.ScaleHeight(); ++y) {
        for (int x = 0; x < canvas.ScaleWidth(); ++x) {
            if (canvas.pixel(x, y) != kBlack) {
                return testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    return testing::AssertionSuccess();
}
