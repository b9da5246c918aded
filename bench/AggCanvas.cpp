// The AGG peer.
#include "AggCanvas.h"

#include "Colours.h"

#include <agg_clip_liang_barsky.h>

#include <cmath>
#include <cstddef>

namespace {

constexpr int kBytesPerPixel = 4;
// AGG's pixel i covers [i, i + 1); the canvas's covers [i - 0.5, i + 0.5).
constexpr double kToAgg = 0.5;
// The clip box ends a sub-pixel short of the far edges, so a clipped end stays in the last pixel.
constexpr double kSubpixel =
    1.0 / static_cast<int>(agg::line_bresenham_interpolator::subpixel_scale);

agg::rgba8 FromBgr(uint32_t bgr) {
    return agg::rgba8(bgr & 0xFFu, (bgr >> 8) & 0xFFu, (bgr >> 16) & 0xFFu);
}

} // namespace

AggCanvas::AggCanvas(int width, int height)
    : width_(width), height_(height),
      bytes_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * kBytesPerPixel),
      buffer_(bytes_.data(), static_cast<unsigned>(width), static_cast<unsigned>(height),
              width * kBytesPerPixel),
      format_(buffer_), base_(format_), lines_(base_),
      clip_(0.0, 0.0, width - kSubpixel, height - kSubpixel), colour_(kBlack) {
    lines_.line_color(FromBgr(colour_));
    Cls();
}

void AggCanvas::ForeColor(uint32_t colour) {
    if (colour != colour_) {
        colour_ = colour;
        lines_.line_color(FromBgr(colour));
    }
}

// The last pixel is drawn too, as the canvas's segments include both ends. AGG's clipping takes a
// NaN for a point inside, so non-finite ends are left out first.
void AggCanvas::Line(float x1, float y1, float x2, float y2) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return;
    }
    double ax = x1 + kToAgg;
    double ay = y1 + kToAgg;
    double bx = x2 + kToAgg;
    double by = y2 + kToAgg;
    constexpr unsigned kFullyClipped = 4;
    if (agg::clip_line_segment(&ax, &ay, &bx, &by, clip_) >= kFullyClipped) {
        return;
    }
    using Primitives = agg::renderer_primitives<Base>;
    lines_.line(Primitives::coord(ax), Primitives::coord(ay), Primitives::coord(bx),
                Primitives::coord(by), true);
}

void AggCanvas::Cls() {
    base_.clear(FromBgr(kBlack));
}

uint32_t AggCanvas::pixel(int x, int y) const {
    const agg::int8u* p = bytes_.data() + (static_cast<std::ptrdiff_t>(y) * width_ + x) *
                                              static_cast<std::ptrdiff_t>(kBytesPerPixel);
    // The buffer holds B, G, R, A bytes.
    return static_cast<uint32_t>(p[2]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[0]) << 16);
}
