// Counting the pixel writes of segments and clears.
#include "CountingCanvas.h"

#include "Colours.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// No model colour is white, and white is not the background.
constexpr uint32_t kMark = 0xFFFFFF;

struct Span {
    int first;
    int last;
};

// The pixels along one axis that a segment between a and b can touch: its clipped ends lie
// between a and b, and rounding moves them by at most half a pixel. Non-finite ends give the
// whole axis.
Span Touched(float a, float b, int size) {
    if (!std::isfinite(a) || !std::isfinite(b)) {
        return {0, size - 1};
    }
    const double lo = std::floor(std::min<double>(a, b)) - 1.0;
    const double hi = std::ceil(std::max<double>(a, b)) + 1.0;
    const double top = static_cast<double>(size - 1);
    return {static_cast<int>(std::clamp(lo, 0.0, top)), static_cast<int>(std::clamp(hi, 0.0, top))};
}

} // namespace

CountingCanvas::CountingCanvas(int width, int height) : scratch_(width, height) {}

// The colour does not change how many pixels a segment writes.
void CountingCanvas::ForeColor(uint32_t /*colour*/) {}

void CountingCanvas::Line(float x1, float y1, float x2, float y2) {
    ++lines_;
    const int width = scratch_.ScaleWidth();
    const int height = scratch_.ScaleHeight();
    if (width == 0 || height == 0) {
        return;
    }
    scratch_.ForeColor(kMark);
    scratch_.Line(x1, y1, x2, y2);

    const uint32_t mark = RasterCanvas::toRgb32(kMark);
    const Span xs = Touched(x1, x2, width);
    const Span ys = Touched(y1, y2, height);
    const uint32_t* bits = scratch_.bits();
    for (int y = ys.first; y <= ys.last; ++y) {
        const uint32_t* row = bits + static_cast<std::ptrdiff_t>(y) * width;
        linePixels_ += static_cast<uint64_t>(std::count(row + xs.first, row + xs.last + 1, mark));
    }

    scratch_.ForeColor(kBlack);
    scratch_.Line(x1, y1, x2, y2);
}

void CountingCanvas::Cls() {
    clearPixels_ += static_cast<uint64_t>(scratch_.ScaleWidth()) *
                    static_cast<uint64_t>(scratch_.ScaleHeight());
}
