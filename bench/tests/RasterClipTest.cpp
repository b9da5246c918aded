// RasterCanvas draws a segment whose ends lie inside the view without clipping it. This checks,
// on many segments near and across the edges, that it writes exactly the pixels that clipping
// every segment in double precision and rounding its ends to the nearest pixel gives.
#include "BenchModels.h"
#include "Colours.h"
#include "RasterCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace {

struct Ends {
    int x1, y1, x2, y2;
};

// Pixel i covers [i - 0.5, i + 0.5); the far edges are pulled in by 1e-6 so that an end clipped
// onto them rounds to the last pixel. Liang-Barsky in double precision.
std::optional<Ends> ClippedEnds(float x1, float y1, float x2, float y2, int width, int height) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return std::nullopt;
    }
    const double ax = x1;
    const double ay = y1;
    const double dx = static_cast<double>(x2) - ax;
    const double dy = static_cast<double>(y2) - ay;
    double t0 = 0.0;
    double t1 = 1.0;
    auto edge = [&](double p, double q) {
        if (p == 0.0) {
            return q >= 0.0;
        }
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1) {
                return false;
            }
            t0 = std::max(t0, r);
        } else {
            if (r < t0) {
                return false;
            }
            t1 = std::min(t1, r);
        }
        return true;
    };
    const double xmax = width - 0.5 - 1e-6;
    const double ymax = height - 0.5 - 1e-6;
    if (!edge(-dx, ax + 0.5) || !edge(dx, xmax - ax) || !edge(-dy, ay + 0.5) ||
        !edge(dy, ymax - ay)) {
        return std::nullopt;
    }
    auto round = [](double v, int size) {
        return static_cast<int>(std::clamp(std::floor(v + 0.5), 0.0, size - 1.0));
    };
    const double sx = t0 > 0.0 ? ax + t0 * dx : ax;
    const double sy = t0 > 0.0 ? ay + t0 * dy : ay;
    const double ex = t1 < 1.0 ? ax + t1 * dx : static_cast<double>(x2);
    const double ey = t1 < 1.0 ? ay + t1 * dy : static_cast<double>(y2);
    return Ends{round(sx, width), round(sy, height), round(ex, width), round(ey, height)};
}

bool SamePixels(const RasterCanvas& a, const RasterCanvas& b) {
    const auto size =
        static_cast<std::size_t>(a.ScaleWidth()) * static_cast<std::size_t>(a.ScaleHeight());
    return std::equal(a.bits(), a.bits() + size, b.bits());
}

// A coordinate on a view of the given size: near an edge (a few float steps either side of it),
// inside, or outside, so that ends fall just in and just out of the view.
float Coordinate(benchmodels::Random& random, int size) {
    const double pick = random.Uniform(0.0, 1.0);
    if (pick < 0.4) {
        const bool nearEdge = random.Uniform(0.0, 1.0) < 0.5;
        float v = nearEdge ? -0.5f : static_cast<float>(size) - 0.5f;
        const int steps = static_cast<int>(random.Uniform(-4.0, 5.0));
        for (int i = 0; i < std::abs(steps); ++i) {
            v = std::nextafter(v, steps < 0 ? -1e9f : 1e9f);
        }
        return v;
    }
    if (pick < 0.8) {
        return static_cast<float>(random.Uniform(-0.5, size - 0.5));
    }
    return static_cast<float>(random.Uniform(-3.0 * size, 4.0 * size));
}

TEST(RasterCanvasClip, SegmentsNearAndAcrossTheEdges_WriteThePixelsOfTheirClippedRoundedEnds) {
    constexpr int kWidth = 31;
    constexpr int kHeight = 17;
    benchmodels::Random random(7);
    int drawn = 0;
    for (int i = 0; i < 20000; ++i) {
        const float x1 = Coordinate(random, kWidth);
        const float y1 = Coordinate(random, kHeight);
        const float x2 = Coordinate(random, kWidth);
        const float y2 = Coordinate(random, kHeight);
        RasterCanvas direct(kWidth, kHeight);
        direct.ForeColor(kGreen);
        direct.Line(x1, y1, x2, y2);
        RasterCanvas expected(kWidth, kHeight);
        expected.ForeColor(kGreen);
        if (const auto ends = ClippedEnds(x1, y1, x2, y2, kWidth, kHeight)) {
            ++drawn;
            expected.Line(static_cast<float>(ends->x1), static_cast<float>(ends->y1),
                          static_cast<float>(ends->x2), static_cast<float>(ends->y2));
        }
        ASSERT_TRUE(SamePixels(direct, expected))
            << "segment " << x1 << ", " << y1 << " to " << x2 << ", " << y2;
    }
    EXPECT_GT(drawn, 10000);
}

} // namespace
