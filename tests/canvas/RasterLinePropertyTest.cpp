// Properties of RasterCanvas::Line on many random segments from a fixed seed, checked with plain
// geometry rather than with the canvas's own clipping: every pixel drawn lies near the true
// segment, a segment that misses the view draws nothing, an end inside the view is drawn, each
// column (row) it crosses inside the view is drawn, and a segment with both ends inside is an
// unbroken chain of one pixel per step along its major axis. Ends reach the largest floats.
// The fixed-point step draws the pixels of Bresenham's walk on the same random segments and on the
// views of the benchmark models.
#include "BenchModels.h"
#include "CanvasPictures.h"
#include "Colours.h"
#include "ModelChecks.h"
#include "RasterCanvas.h"
#include "SeededRandom.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Pixel (i, j) is the square of side 1 centred on (i, j); the view is the union of its pixels,
// [-0.5, width - 0.5] x [-0.5, height - 0.5].
constexpr double kHalf = 0.5;

// How far the centre of a drawn pixel may lie from the true segment. Each end is rounded to the
// nearest pixel, half a pixel at most on each axis, which moves the rounded segment by at most
// 0.5 + 0.5 * slope along the minor axis; stepping along the rounded segment adds half a pixel
// more. Across the segment that is (1 + 0.5 s) / sqrt(1 + s^2) for a slope s in [0, 1], largest
// at s = 0.5: sqrt(1.25) = 1.118.
constexpr double kNearSegment = 1.1181;
// A segment farther than this from the view draws no pixel.
constexpr double kMissMargin = 1.0;
// The canvas pulls its far edges in by a hair; a crossing this near an edge may fall either side.
constexpr double kEdgeSliver = 1e-5;
constexpr double kFloatMax = std::numeric_limits<float>::max();

struct Segment {
    float x1, y1, x2, y2;
};

struct Pixel {
    int x, y;
    bool operator==(const Pixel&) const = default;
};

std::string Describe(const Segment& s, int width, int height) {
    std::ostringstream out;
    out.precision(9);
    out << "segment (" << s.x1 << ", " << s.y1 << ") to (" << s.x2 << ", " << s.y2 << ") on "
        << width << " x " << height;
    return out.str();
}

using Random = SeededRandom;

// ---- geometry in double precision, from the float ends the canvas receives ----

double DistanceToSegment(double px, double py, const Segment& s) {
    const double ax = s.x1;
    const double ay = s.y1;
    const double dx = static_cast<double>(s.x2) - ax;
    const double dy = static_cast<double>(s.y2) - ay;
    // Beyond an end is judged from that end: exact next to a near end, however far the other.
    if ((px - ax) * dx + (py - ay) * dy <= 0.0) {
        return std::hypot(px - ax, py - ay);
    }
    if ((px - s.x2) * dx + (py - s.y2) * dy >= 0.0) {
        return std::hypot(px - s.x2, py - s.y2);
    }
    // Across: (p - a) x d as p x d - a x b, a difference of exact products of floats.
    const double cross = px * dy - py * dx - (ax * s.y2 - ay * s.x2);
    return std::fabs(cross) / std::hypot(dx, dy);
}

struct Box {
    double xmin, ymin, xmax, ymax;
};

Box ViewArea(int width, int height) {
    return {-kHalf, -kHalf, width - kHalf, height - kHalf};
}

double DistanceToBox(double x, double y, const Box& box) {
    const double outX = std::max({box.xmin - x, 0.0, x - box.xmax});
    const double outY = std::max({box.ymin - y, 0.0, y - box.ymax});
    return std::hypot(outX, outY);
}

// Separating axes: the two axes of the box and the normal of the segment.
bool Crosses(const Segment& s, const Box& box) {
    if (std::max(s.x1, s.x2) < box.xmin || std::min(s.x1, s.x2) > box.xmax ||
        std::max(s.y1, s.y2) < box.ymin || std::min(s.y1, s.y2) > box.ymax) {
        return false;
    }
    const double nx = -(static_cast<double>(s.y2) - s.y1);
    const double ny = static_cast<double>(s.x2) - s.x1;
    const double own = static_cast<double>(s.x2) * s.y1 - static_cast<double>(s.x1) * s.y2;
    const std::array<double, 4> corners{
        nx * box.xmin + ny * box.ymin, nx * box.xmax + ny * box.ymin, nx * box.xmin + ny * box.ymax,
        nx * box.xmax + ny * box.ymax};
    const auto [lo, hi] = std::minmax_element(corners.begin(), corners.end());
    return own >= *lo && own <= *hi;
}

// 0 when the segment meets the view; otherwise the distance between them, which for two disjoint
// convex shapes is reached at an end of the segment or at a corner of the box.
double DistanceToView(const Segment& s, int width, int height) {
    const Box box = ViewArea(width, height);
    if (Crosses(s, box)) {
        return 0.0;
    }
    double d = std::min(DistanceToBox(s.x1, s.y1, box), DistanceToBox(s.x2, s.y2, box));
    for (const double cx : {box.xmin, box.xmax}) {
        for (const double cy : {box.ymin, box.ymax}) {
            d = std::min(d, DistanceToSegment(cx, cy, s));
        }
    }
    return d;
}

// The pixel an end falls in, when it falls in the view. An end a hair inside the right or
// bottom edge counts too: the canvas must keep it although it clips against edges pulled in a
// little.
bool EndPixel(float x, float y, int width, int height, Pixel& pixel) {
    if (x >= width - kHalf || y >= height - kHalf) {
        return false;
    }
    const double fx = std::floor(static_cast<double>(x) + kHalf);
    const double fy = std::floor(static_cast<double>(y) + kHalf);
    if (fx < 0.0 || fx >= width || fy < 0.0 || fy >= height) {
        return false;
    }
    pixel = {static_cast<int>(fx), static_cast<int>(fy)};
    return true;
}

// ---- the random segments ----

// 10^e for e up to the largest float's, from low: far out, up to the largest float.
double FarOut(Random& random, double low) {
    return kFloatMax / std::pow(10.0, random.Uniform(0.0, std::log10(kFloatMax) - low));
}

// A coordinate on an axis of the given size, of one of six kinds.
float Coordinate(Random& random, int size, int kind) {
    const double far = size - kHalf;
    switch (kind) {
    case 0: // inside
        return static_cast<float>(random.Uniform(-kHalf, far));
    case 1: { // within two pixels of an edge
        const double edge = random.Below(2) == 0 ? -kHalf : far;
        return static_cast<float>(edge + random.Uniform(-2.0, 2.0));
    }
    case 2: { // a few float steps from an edge, on either side
        float v = random.Below(2) == 0 ? -0.5f : static_cast<float>(far);
        const int steps = random.Below(9) - 4;
        for (int i = 0; i < std::abs(steps); ++i) {
            v = std::nextafter(v, steps < 0 ? -1e9f : 1e9f);
        }
        return v;
    }
    case 3: // whole and half pixels, ties of the rounding included
        return static_cast<float>(random.Below(2 * size + 8) - 4) * 0.5f;
    case 4: { // far out, up to 1e7 either side
        const double magnitude = std::pow(10.0, random.Uniform(0.0, 7.0));
        return static_cast<float>(random.Below(2) == 0 ? -magnitude : size + magnitude);
    }
    default: // farther, up to the largest float
        return static_cast<float>(random.Below(2) == 0 ? -FarOut(random, 7.0)
                                                       : FarOut(random, 7.0));
    }
}

constexpr int kKinds = 6;

Segment RandomSegment(Random& random, int width, int height) {
    const int pick = random.Below(10);
    if (pick < 3) { // both ends inside
        return {Coordinate(random, width, 0), Coordinate(random, height, 0),
                Coordinate(random, width, 0), Coordinate(random, height, 0)};
    }
    if (pick < 5) { // both ends near the edges
        const int kind = 1 + random.Below(2);
        return {Coordinate(random, width, kind), Coordinate(random, height, kind),
                Coordinate(random, width, kind), Coordinate(random, height, kind)};
    }
    if (pick < 6) { // both ends far
        return {Coordinate(random, width, 4), Coordinate(random, height, 4),
                Coordinate(random, width, 4), Coordinate(random, height, 4)};
    }
    // mixed: every coordinate of its own kind
    return {Coordinate(random, width, random.Below(kKinds)),
            Coordinate(random, height, random.Below(kKinds)),
            Coordinate(random, width, random.Below(kKinds)),
            Coordinate(random, height, random.Below(kKinds))};
}

// A segment along a line that passes the view at one to four pixels, in any direction, short or
// up to 1e7 long.
Segment NearMiss(Random& random, int width, int height) {
    const Box box = ViewArea(width, height);
    const double angle = random.Uniform(0.0, 2.0 * 3.14159265358979323846);
    const double nx = std::cos(angle);
    const double ny = std::sin(angle);
    const double support = std::max({nx * box.xmin + ny * box.ymin, nx * box.xmax + ny * box.ymin,
                                     nx * box.xmin + ny * box.ymax, nx * box.xmax + ny * box.ymax});
    const double offset = support + random.Uniform(kMissMargin, 4.0);
    const double reach = std::pow(10.0, random.Uniform(0.0, 7.0));
    const double cx = (box.xmin + box.xmax) / 2.0;
    const double cy = (box.ymin + box.ymax) / 2.0;
    // The point of the line nearest the centre, then along the line either way.
    const double base = offset - (nx * cx + ny * cy);
    const double px = cx + nx * base;
    const double py = cy + ny * base;
    const double s1 = random.Uniform(-reach, reach);
    const double s2 = random.Uniform(-reach, reach);
    return {static_cast<float>(px - ny * s1), static_cast<float>(py + nx * s1),
            static_cast<float>(px - ny * s2), static_cast<float>(py + nx * s2)};
}

// A coordinate a few float steps from a whole or half pixel, where the rounding to a pixel turns.
float NearATie(Random& random, int size) {
    float v = static_cast<float>(random.Below(2 * size + 4) - 2) * 0.5f;
    const int steps = random.Below(5) - 2;
    for (int i = 0; i < std::abs(steps); ++i) {
        v = std::nextafter(v, steps < 0 ? -1e9f : 1e9f);
    }
    return v;
}

// Segments as a model's drawing hands them over: short steps, a marker's arms, and any other.
Canvas::Segment BatchSegment(Random& random, int width, int height) {
    const float x = NearATie(random, width);
    const float y = NearATie(random, height);
    const auto reach = static_cast<float>(random.Below(19) - 9);
    switch (random.Below(4)) {
    case 0:
        return {x, y, x + reach + NearATie(random, 1), y - reach, kGreen};
    case 1:
        return {x - reach, y, x + reach, y, kYellow};
    case 2:
        return {x, y - reach, x, y + reach, kYellow};
    default:
        const Segment s = RandomSegment(random, width, height);
        return {s.x1, s.y1, s.x2, s.y2, kGreen};
    }
}

// ---- the checks ----

struct Tally {
    int segments = 0;
    int drawn = 0;
    int missed = 0;
    int endsInside = 0;
    int chains = 0;
    int longChains = 0;
};

std::vector<Pixel> DrawnPixels(const RasterCanvas& canvas) {
    std::vector<Pixel> drawn;
    const uint32_t background = RasterCanvas::toRgb32(kBlack);
    const int width = canvas.ScaleWidth();
    const uint32_t* const bits = canvas.bits();
    const uint32_t* const end = bits + static_cast<std::ptrdiff_t>(width) * canvas.ScaleHeight();
    for (const uint32_t* p = bits; p != end; ++p) {
        if (*p != background) {
            const auto i = static_cast<int>(p - bits);
            drawn.push_back({i % width, i / width});
        }
    }
    return drawn;
}

// Every column whose middle the segment passes inside the view, kEdgeSliver clear of its edges,
// has a drawn pixel, so the drawn part is not cut short; rows stand for columns when it is steep.
bool CoversItsCrossing(const Segment& s, const std::vector<Pixel>& drawn, int width, int height) {
    const bool steep = std::fabs(double{s.y2} - s.y1) > std::fabs(double{s.x2} - s.x1);
    const auto [x1, y1, x2, y2] = steep ? Segment{s.y1, s.x1, s.y2, s.x2} : s;
    const double rows = steep ? width : height;
    const double cross = double{x1} * y2 - double{y1} * x2;
    const double last =
        std::min<double>((steep ? height : width) - 1, std::floor(std::max(x1, x2)));
    for (double x = std::max<double>(0, std::ceil(std::min(x1, x2))); x1 != x2 && x <= last; ++x) {
        const double y = (x * (double{y2} - y1) - cross) / (double{x2} - x1); // x dy - y dx = a x b
        const auto inColumn = [&](const Pixel& p) { return (steep ? p.y : p.x) == x; };
        if (y > kEdgeSliver - kHalf && y < rows - kHalf - kEdgeSliver &&
            std::none_of(drawn.begin(), drawn.end(), inColumn)) {
            return false;
        }
    }
    return true;
}

// True when the pixels join `from` to `to` through steps to one of the eight neighbours.
bool Joined(const std::vector<Pixel>& pixels, Pixel from, Pixel to) {
    std::vector<Pixel> reached{from};
    std::vector<bool> seen(pixels.size(), false);
    for (std::size_t next = 0; next < reached.size(); ++next) {
        const Pixel at = reached[next];
        if (at == to) {
            return true;
        }
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (!seen[i] && std::abs(pixels[i].x - at.x) <= 1 &&
                std::abs(pixels[i].y - at.y) <= 1) {
                seen[i] = true;
                reached.push_back(pixels[i]);
            }
        }
    }
    return false;
}

testing::AssertionResult DrawsAsASegment(RasterCanvas& canvas, const Segment& s, Tally& tally) {
    const int width = canvas.ScaleWidth();
    const int height = canvas.ScaleHeight();
    canvas.Cls();
    canvas.Line(s.x1, s.y1, s.x2, s.y2);
    const std::vector<Pixel> drawn = DrawnPixels(canvas);
    ++tally.segments;
    tally.drawn += drawn.empty() ? 0 : 1;

    for (const Pixel& p : drawn) {
        const double d = DistanceToSegment(p.x, p.y, s);
        if (!(d <= kNearSegment)) {
            return testing::AssertionFailure() << Describe(s, width, height) << ": pixel (" << p.x
                                               << ", " << p.y << ") lies " << d << " from it";
        }
    }

    if (!CoversItsCrossing(s, drawn, width, height)) {
        return testing::AssertionFailure() << Describe(s, width, height) << " crosses the view but "
                                           << drawn.size() << " pixels left a gap in it";
    }

    const double gap = DistanceToView(s, width, height);
    if (gap > kMissMargin) {
        ++tally.missed;
        if (!drawn.empty()) {
            return testing::AssertionFailure()
                   << Describe(s, width, height) << " passes " << gap << " from the view but "
                   << drawn.size() << " pixels were drawn, the first (" << drawn[0].x << ", "
                   << drawn[0].y << ")";
        }
    }

    Pixel a{};
    Pixel b{};
    const bool aInside = EndPixel(s.x1, s.y1, width, height, a);
    const bool bInside = EndPixel(s.x2, s.y2, width, height, b);
    for (const auto& [inside, end] : {std::pair{aInside, a}, std::pair{bInside, b}}) {
        if (inside) {
            ++tally.endsInside;
            if (std::find(drawn.begin(), drawn.end(), end) == drawn.end()) {
                return testing::AssertionFailure()
                       << Describe(s, width, height) << ": its end pixel (" << end.x << ", "
                       << end.y << ") was not drawn";
            }
        }
    }

    if (aInside && bInside) {
        ++tally.chains;
        const auto steps =
            static_cast<std::size_t>(std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)));
        tally.longChains += steps >= 10 ? 1 : 0;
        if (drawn.size() != steps + 1) {
            return testing::AssertionFailure() << Describe(s, width, height) << ": " << drawn.size()
                                               << " pixels drawn, " << steps + 1 << " expected";
        }
        // As many pixels as steps along the major axis plus one, joined end to end: nothing else
        // can be drawn, and no pixel is left out.
        if (!Joined(drawn, a, b)) {
            return testing::AssertionFailure()
                   << Describe(s, width, height) << ": its pixels do not join (" << a.x << ", "
                   << a.y << ") to (" << b.x << ", " << b.y << ")";
        }
    }
    return testing::AssertionSuccess();
}

struct ViewSize {
    int width;
    int height;
    int segments;
};

// A view of the window's grid, smaller ones where more segments fit in the time, and the
// smallest views.
constexpr std::array kSizes{ViewSize{453, 341, 600}, ViewSize{64, 48, 20000},
                            ViewSize{37, 23, 20000}, ViewSize{5, 3, 5000}, ViewSize{1, 1, 2000}};

// ---- the fixed-point step against Bresenham's walk ----

using Stepping = RasterCanvas::Stepping;

testing::AssertionResult SameAsBresenham(int width, int height, const Segment& s) {
    RasterCanvas fixedPoint(width, height, Stepping::FixedPoint);
    RasterCanvas bresenham(width, height, Stepping::Bresenham);
    for (RasterCanvas* canvas : {&fixedPoint, &bresenham}) {
        canvas->ForeColor(kGreen);
        canvas->Line(s.x1, s.y1, s.x2, s.y2);
    }
    return SamePixels(fixedPoint, bresenham) << " for " << Describe(s, width, height);
}

} // namespace

TEST(RasterCanvasLine, RandomSegments_DrawOnlyNearThemselvesAndReachTheirEndsInside) {
    Random random(20261207);
    Tally tally;
    for (const ViewSize& size : kSizes) {
        RasterCanvas canvas(size.width, size.height);
        canvas.ForeColor(kGreen);
        for (int i = 0; i < size.segments; ++i) {
            ASSERT_TRUE(
                DrawsAsASegment(canvas, RandomSegment(random, size.width, size.height), tally));
        }
    }
    // The segments exercise every property many times.
    EXPECT_GT(tally.drawn, 20000);
    EXPECT_GT(tally.missed, 5000);
    EXPECT_GT(tally.endsInside, 30000);
    EXPECT_GT(tally.chains, 10000);
    EXPECT_GT(tally.longChains, 5000);
}

// Rows and columns, such as a marker's arms, are clipped without the general clipping: ends of
// every kind, along lines inside, on and beyond the edges.
TEST(RasterCanvasLine, SegmentsAlongARowOrAColumn_DrawOnlyNearThemselvesAndReachTheirEndsInside) {
    Random random(1618);
    Tally tally;
    for (const ViewSize& size : kSizes) {
        RasterCanvas canvas(size.width, size.height);
        canvas.ForeColor(kGreen);
        for (int i = 0; i < size.segments / 2; ++i) {
            Segment s = RandomSegment(random, size.width, size.height);
            (i % 2 == 0 ? s.y2 : s.x2) = i % 2 == 0 ? s.y1 : s.x1;
            ASSERT_TRUE(DrawsAsASegment(canvas, s, tally));
        }
    }
    EXPECT_GT(tally.drawn, 10000);
    EXPECT_GT(tally.missed, 5000);
    EXPECT_GT(tally.chains, 5000);
}

TEST(RasterCanvasLine, SegmentsPassingTheViewAtAPixelOrMore_DrawNothing) {
    Random random(4051);
    Tally tally;
    for (const ViewSize& size : kSizes) {
        RasterCanvas canvas(size.width, size.height);
        canvas.ForeColor(kYellow);
        for (int i = 0; i < size.segments / 4; ++i) {
            ASSERT_TRUE(DrawsAsASegment(canvas, NearMiss(random, size.width, size.height), tally));
        }
    }
    // Rounding the ends to floats may bring a far segment nearer than a pixel; most stay out.
    EXPECT_GT(tally.missed, tally.segments * 9 / 10);
    EXPECT_EQ(tally.drawn, 0);
}

TEST(RasterCanvasLine, SegmentsFromFarOutsideAcrossTheView_DrawWhereTheyCrossIt) {
    constexpr int kWidth = 64;
    constexpr int kHeight = 48;
    // The view less a margin: a segment through it crosses more than a sliver of a pixel.
    constexpr double kInset = 0.01;
    const Box inner{-kHalf + kInset, -kHalf + kInset, kWidth - kHalf - kInset,
                    kHeight - kHalf - kInset};
    Random random(99);
    Tally tally;
    int crossing = 0;
    RasterCanvas canvas(kWidth, kHeight);
    canvas.ForeColor(kRed);
    for (int i = 0; i < 5000; ++i) {
        // Ends far out on opposite sides: the segment crosses the view or passes it by.
        const auto reach = static_cast<float>(FarOut(random, 2.0));
        const auto u = static_cast<float>(random.Uniform(-3.0, kWidth + 2.0));
        const auto v = static_cast<float>(random.Uniform(-3.0, kWidth + 2.0));
        const Segment s = random.Below(2) == 0
                              ? Segment{-reach, u * 0.75f, kWidth + reach, v * 0.75f}
                              : Segment{u, -reach, v, kHeight + reach};
        ASSERT_TRUE(DrawsAsASegment(canvas, s, tally));
        if (Crosses(s, inner)) {
            ++crossing;
            ASSERT_FALSE(DrawnPixels(canvas).empty())
                << Describe(s, kWidth, kHeight) << " crosses the view and drew nothing";
        }
    }
    EXPECT_GT(crossing, 3000);
}

TEST(RasterCanvasLine, RandomSegments_FixedPointStepDrawsThePixelsOfBresenhamsWalk) {
    Random random(3141);
    for (const ViewSize& size : kSizes) {
        for (int i = 0; i < size.segments; ++i) {
            // A third of them rows and a third columns, which take short cuts of their own.
            Segment s = RandomSegment(random, size.width, size.height);
            if (i % 3 == 1) {
                s.y2 = s.y1;
            } else if (i % 3 == 2) {
                s.x2 = s.x1;
            }
            ASSERT_TRUE(SameAsBresenham(size.width, size.height, s));
        }
    }
}

// At the end of the range where the fixed-point step is exact, a step rounded one unit higher puts
// a pixel of the first segment a step early; just past it, so does the exact step in the others,
// which must take Bresenham's walk.
TEST(RasterCanvasLine, SegmentsAroundTheEndOfTheExactRange_DrawThePixelsOfBresenhamsWalk) {
    EXPECT_TRUE(SameAsBresenham(46341, 3, {0, 0, 46340, 2}));
    EXPECT_TRUE(SameAsBresenham(102, 46663, {101, 46662, 0, 0}));
    EXPECT_TRUE(SameAsBresenham(65539, 2, {0, 0, 65538, 1}));
}

// Each segment lists every pixel it writes once, the batch lists its segments' pixels one segment
// after another, and writing them in that order in each segment's own colour gives the picture
// Lines draws: every pixel, none more, the last write on top.
TEST(RasterCanvasLine, TraceLines_ListsThePixelsLinesWritesInItsOrder) {
    Random random(2718);
    for (const ViewSize& size : kSizes) {
        std::vector<Canvas::Segment> batch;
        for (int i = 0; i < size.segments / 4; ++i) {
            const Segment s = RandomSegment(random, size.width, size.height);
            batch.push_back({s.x1, s.y1, s.x2, s.y2, static_cast<uint32_t>(i + 1)});
        }
        RasterCanvas drawn(size.width, size.height);
        drawn.Lines(batch);
        std::vector<uint32_t> traced;
        drawn.TraceLines(batch, traced);

        RasterCanvas replayed(size.width, size.height);
        std::vector<uint32_t> inTurn;
        for (const Canvas::Segment& s : batch) {
            std::vector<uint32_t> own;
            replayed.TraceLines({&s, 1}, own);
            for (const uint32_t i : own) {
                replayed.bits()[i] = RasterCanvas::toRgb32(s.colour);
            }
            inTurn.insert(inTurn.end(), own.begin(), own.end());
            std::sort(own.begin(), own.end());
            ASSERT_TRUE(std::adjacent_find(own.begin(), own.end()) == own.end())
                << Describe({s.x1, s.y1, s.x2, s.y2}, size.width, size.height);
        }
        EXPECT_TRUE(traced == inTurn);
        EXPECT_TRUE(SamePixels(drawn, replayed)) << size.width << " x " << size.height;
    }
}

// Lines and TraceLines set segments up a vector at a time, as wide as the processor runs (a width
// it lacks falls back to the widest it has). Batches of every length, at every width, list the
// pixels of Bresenham's walk, segment after segment: over a million segments in all. Drawn in
// colours of any 32 bits, they leave the reference's picture.
TEST(RasterCanvasLine, BatchesAtEveryVectorWidth_TraceThePixelsOfBresenhamsWalk) {
    constexpr int kPerWidthAndSize = 70000;
    constexpr int kLongestBatch = 300;
    Random random(5772);
    for (const int lanes : {4, 8, 16}) {
        for (const ViewSize& size : kSizes) {
            RasterCanvas reference(size.width, size.height, Stepping::Bresenham);
            RasterCanvas batched(size.width, size.height, Stepping::FixedPoint, lanes);
            for (int done = 0; done < kPerWidthAndSize;) {
                std::vector<Canvas::Segment> batch(random.Below(kLongestBatch) + 1);
                for (Canvas::Segment& s : batch) {
                    s = BatchSegment(random, size.width, size.height);
                    s.colour = random.Bits();
                }
                std::vector<uint32_t> expected;
                for (const Canvas::Segment& s : batch) {
                    reference.TraceLines({&s, 1}, expected);
                }
                std::vector<uint32_t> pixels;
                batched.TraceLines(batch, pixels);
                ASSERT_TRUE(pixels == expected)
                    << lanes << " lanes, " << size.width << " x " << size.height << ", "
                    << batch.size() << " segments";
                reference.Lines(batch);
                batched.Lines(batch);
                done += static_cast<int>(batch.size());
            }
            EXPECT_TRUE(SamePixels(batched, reference)) << lanes << " lanes";
        }
    }
}

TEST(RasterCanvasLine, BenchmarkModelViews_FixedPointStepDrawsThePixelsOfBresenhamsWalk) {
    using benchmodels::kViewHeight;
    using benchmodels::kViewWidth;
    for (const c3dObj& model : {benchmodels::Scatter(), benchmodels::Walk()}) {
        for (const Draw draw : {&c3dObj::DrawFrontView, &c3dObj::DrawLeftView, &c3dObj::DrawTopView,
                                &c3dObj::DrawPrespectiveView}) {
            RasterCanvas fixedPoint(kViewWidth, kViewHeight, Stepping::FixedPoint);
            RasterCanvas bresenham(kViewWidth, kViewHeight, Stepping::Bresenham);
            (model.*draw)(fixedPoint, kGreen, kYellow);
            (model.*draw)(bresenham, kGreen, kYellow);
            EXPECT_TRUE(SamePixels(fixedPoint, bresenham));
        }
    }
}
