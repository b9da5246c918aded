// Comparing the pixels of two canvases.
#pragma once

#include "RasterCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

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
