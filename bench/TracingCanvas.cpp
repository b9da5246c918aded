// Recording and replaying the pixel writes of a drawing.
#include "TracingCanvas.h"

#include "Colours.h"

#include <algorithm>

TracingCanvas::TracingCanvas(int width, int height) : geometry_(width, height) {}

void TracingCanvas::Line(float x1, float y1, float x2, float y2) {
    Trace(Segment{x1, y1, x2, y2, fore_});
}

void TracingCanvas::Lines(std::span<const Segment> segments) {
    for (const Segment& s : segments) {
        fore_ = s.colour;
        Trace(s);
    }
}

void TracingCanvas::Trace(const Segment& s) {
    if (colours_.empty() || colours_.back().colour != s.colour) {
        colours_.push_back({indices_.size(), s.colour});
    }
    geometry_.TraceLines(std::span<const Segment>(&s, 1), indices_);
}

std::size_t TracingCanvas::viewSize() const {
    return static_cast<std::size_t>(ScaleWidth()) * static_cast<std::size_t>(ScaleHeight());
}

uint64_t TracingCanvas::writes() const {
    return indices_.size() + clears_.size() * viewSize();
}

void TracingCanvas::Replay(uint32_t* pixels, uint32_t rgb32) const {
    const uint32_t* next = indices_.data();
    const auto storeUpTo = [&](std::size_t end) {
        for (const uint32_t* const last = indices_.data() + end; next != last; ++next) {
            pixels[*next] = rgb32;
        }
    };
    for (const std::size_t clear : clears_) {
        storeUpTo(clear);
        std::fill_n(pixels, viewSize(), RasterCanvas::toRgb32(kBlack));
    }
    storeUpTo(indices_.size());
}

void TracingCanvas::ReplayInColour(uint32_t* pixels) const {
    std::size_t clear = 0;
    std::size_t colour = 0;
    uint32_t rgb32 = 0;
    for (std::size_t i = 0; i <= indices_.size(); ++i) {
        for (; clear < clears_.size() && clears_[clear] == i; ++clear) {
            std::fill_n(pixels, viewSize(), RasterCanvas::toRgb32(kBlack));
        }
        for (; colour < colours_.size() && colours_[colour].from == i; ++colour) {
            rgb32 = RasterCanvas::toRgb32(colours_[colour].colour);
        }
        if (i < indices_.size()) {
            pixels[indices_[i]] = rgb32;
        }
    }
}
