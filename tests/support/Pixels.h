// Pixels of canvases compared and counted, for the tests of every layer.
#pragma once

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
