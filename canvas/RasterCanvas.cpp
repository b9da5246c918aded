// Clipping and rasterising of segments into the pixel buffer.
#include "RasterCanvas.h"

#include "Colours.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

// Pixel i covers [i - 0.5, i + 0.5): segments are clipped to the union of all pixels and their
// ends rounded to the nearest pixel.
constexpr double kHalfPixel = 0.5;
// The far edges are pulled in a little so that an end clipped onto them rounds to the last pixel
// rather than one past it.
constexpr double kFarEdgeInset = 1e-6;

// Ends farther than this outside the view are first brought nearer along their segment. Nearer
// ends are clipped as they are: there a + t * (b - a) is off by less than 1e-7 of a pixel.
constexpr double kNearReach = 1e8;
// How far beyond the circle round the view a far end is brought: just outside the view.
constexpr double kBroughtBeyond = 2.0;

struct Point {
    double x;
    double y;
};

// The view as the clipping sees it, far edges pulled in.
struct Box {
    double xmin;
    double ymin;
    double xmax;
    double ymax;

    bool isFar(Point p) const {
        return p.x < xmin - kNearReach || p.x > xmax + kNearReach || p.y < ymin - kNearReach ||
               p.y > ymax + kNearReach;
    }
    Point centre() const { return {(xmin + xmax) / 2.0, (ymin + ymax) / 2.0}; }
    double radius() const { return std::hypot(xmax - xmin, ymax - ymin) / 2.0; }
};

// Moves the far ends of the segment ab along it to just outside the view; false when it is a
// single far point. From a far end, a + t * (b - a) cancels terms up to 1e38 and keeps none of
// the digits that place the clipped end in the view; a wider type would only move the limit. The
// line is fixed instead by a x b, a difference of products of floats, each exact in double, so it
// is off by a single rounding. Its point nearest the view's centre is then good to a few roundings
// of the view's size, however far out the ends lie, and ends placed along the line from there are
// as exact as those of a segment drawn near the view.
bool bringFarEndsNear(Point& a, Point& b, const Box& view) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length == 0.0) {
        return false;
    }
    const Point along{(b.x - a.x) / length, (b.y - a.y) / length};
    // Every point p of the line has p x along = a x b / length.
    const double line = (a.x * b.y - a.y * b.x) / length;
    const Point centre = view.centre();
    const double across = centre.x * along.y - centre.y * along.x - line;
    const Point foot{centre.x - across * along.y, centre.y + across * along.x};
    const double reach = view.radius() + kBroughtBeyond;
    for (Point* end : {&a, &b}) {
        if (view.isFar(*end)) {
            const double s = (end->x - foot.x) * along.x + (end->y - foot.y) * along.y;
            const double kept = std::clamp(s, -reach, reach);
            *end = {foot.x + kept * along.x, foot.y + kept * along.y};
        }
    }
    return true;
}

// Liang-Barsky clipping in double precision, where no float input can overflow.
struct Clip {
    double t0 = 0.0;
    double t1 = 1.0;

    // Keeps the part of the segment where p * t <= q; false when nothing is left.
    bool edge(double p, double q) {
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
    }
};

// One segment's walk from its first pixel: `major` steps along the major axis, `minor` of them
// also along the minor axis, 0 < minor <= major, each axis's step as a step of the buffer index.
struct Walk {
    std::ptrdiff_t first;
    std::ptrdiff_t majorStep;
    std::ptrdiff_t minorStep;
    int major;
    int minor;
};

// Where the pixels of a segment go. Drawing and tracing run the same clipping and stepping and
// differ only in what they do with a pixel's buffer index, so the traced indices are the written
// pixels by construction; as a template argument the store costs drawing nothing. Stores are
// passed by value: a copy of Paint's colour cannot alias the pixels it writes, so it stays in a
// register.
class Paint {
public:
    static constexpr int kQuad = 4;

    explicit Paint(uint32_t* pixels) : pixels_(pixels) {}
    void colour(uint32_t rgb32) { colour_ = rgb32; }

    // A pixel is reached through a cursor that steps as the buffer index does: here a pointer,
    // so that a walk's pixel is its cursor plus one scaled offset, one address computation.
    uint32_t* at(std::ptrdiff_t index) const { return pixels_ + index; }
    void pixel(uint32_t* p) const { *p = colour_; }
    // count pixels from first on, along a row: four at a time, the last four overlapping the
    // ones before where count is not a multiple of four. A marker's arm is 11 pixels, three
    // stores, where a general fill spends more on lining up than on writing.
    void run(uint32_t* first, int count) const {
        if (count < kQuad) {
            column(first, 1, count);
            return;
        }
        const std::array<uint32_t, kQuad> quad{colour_, colour_, colour_, colour_};
        uint32_t* const last = first + (count - kQuad);
        for (; first < last; first += kQuad) {
            std::memcpy(first, quad.data(), sizeof quad);
        }
        std::memcpy(last, quad.data(), sizeof quad);
    }
    // count pixels from first on, stride apart, four to a loop step.
    void column(uint32_t* first, std::ptrdiff_t stride, int count) const {
        for (; count >= kQuad; count -= kQuad, first += kQuad * stride) {
            first[0] = colour_;
            first[stride] = colour_;
            first[2 * stride] = colour_;
            first[3 * stride] = colour_;
        }
        for (; count > 0; --count, first += stride) {
            *first = colour_;
        }
    }

private:
    uint32_t* pixels_;
    uint32_t colour_ = 0;
};

class Record {
public:
    explicit Record(std::vector<uint32_t>& indices) : indices_(indices) {}

    void colour(uint32_t /*rgb32*/) {}
    std::ptrdiff_t at(std::ptrdiff_t index) const { return index; }
    void pixel(std::ptrdiff_t i) const { indices_.push_back(static_cast<uint32_t>(i)); }
    void run(std::ptrdiff_t first, int count) const { column(first, 1, count); }
    void column(std::ptrdiff_t first, std::ptrdiff_t stride, int count) const {
        for (; count > 0; --count, first += stride) {
            pixel(first);
        }
    }

private:
    std::vector<uint32_t>& indices_;
};

// Bresenham's walk, with M = major and m = minor: the error starts at 2m - M, and step i
// (0 <= i < M) also moves along the minor axis when the error is above 0, a tie stepping late.
template <typename Store> void walkBresenham(const Walk& w, Store store) {
    auto p = store.at(w.first);
    int err = 2 * w.minor - w.major;
    for (int n = w.major;; --n) {
        store.pixel(p);
        if (n == 0) {
            break; // never step past the last pixel
        }
        if (err > 0) {
            p += w.minorStep;
            err -= 2 * w.major;
        }
        err += 2 * w.minor;
        p += w.majorStep;
    }
}

// The same pixels without a decision per step. Before step i Bresenham's error is
// 2m(i + 1) - M - 2M k(i), where k(i) is the minor offset of pixel i, and by induction
//     k(i) = ceil((2mi - M) / 2M) = floor((2mi + M - 1) / 2M):
// it holds at i = 0, and as the quotient grows by m / M <= 1 a step, k(i + 1) is k(i) + 1 exactly
// when (2m(i + 1) - M) / 2M > k(i), which is the error above 0.
//
// The walk holds 2^32 times that quotient as a 32.32 fixed-point number, both terms rounded up:
// a(0) = ceil((M - 1) 2^32 / 2M), s = ceil(m 2^32 / M), a(i) = a(0) + i s. So a(i) exceeds the
// exact value by r(i) = e + i f with e, f in [0, 1), 0 <= r(i) < M + 1 for i <= M. Never being
// below it, a(i) keeps k(i) where the quotient is whole; and as the quotient's fraction is at most
// (2M - 1) / 2M, a(i) stays below k(i) + 1 when r(i) < 2^32 / 2M, true for every i as long as
// M (M + 1) <= 2^31: M <= kExactMajor. Not far beyond, the rounding does put a pixel a step early
// (M = 46662 and m = 101; M = 65538 and m = 1 at pixel 32769), so longer segments take
// Bresenham's walk. a(i) < (m + 1) 2^32 never nears the top of the 64 bits.
constexpr int kFractionBits = 32;
constexpr int kExactMajor = 46340;
static_assert(uint64_t{kExactMajor} * (kExactMajor + 1) <= (uint64_t{1} << (kFractionBits - 1)));
static_assert(uint64_t{kExactMajor + 1} * (kExactMajor + 2) > (uint64_t{1} << (kFractionBits - 1)));

constexpr uint64_t ceilDiv(uint64_t n, uint64_t d) {
    return (n + d - 1) / d;
}

constexpr uint64_t fixedStep(uint64_t major, uint64_t minor) {
    return ceilDiv(minor << kFractionBits, major);
}
constexpr uint64_t fixedStart(uint64_t major) {
    return ceilDiv((major - 1) << kFractionBits, 2 * major);
}

// Short segments, most of a drawing by hand, take both quotients from a table: two divisions
// would cost more than their whole walk.
constexpr int kShortMajor = 16;

struct ShortSteps {
    std::array<std::array<uint64_t, kShortMajor + 1>, kShortMajor + 1> step{};
    std::array<uint64_t, kShortMajor + 1> start{};
};

constexpr ShortSteps kShortSteps = [] {
    ShortSteps table;
    for (uint64_t major = 1; major <= kShortMajor; ++major) {
        table.start[major] = fixedStart(major);
        for (uint64_t minor = 0; minor <= major; ++minor) {
            table.step[major][minor] = fixedStep(major, minor);
        }
    }
    return table;
}();

template <typename Store>
[[gnu::always_inline]] inline void walkFixedPoint(const Walk& w, Store store) {
    const auto major = static_cast<uint64_t>(w.major);
    const auto minor = static_cast<uint64_t>(w.minor);
    const bool isShort = w.major <= kShortMajor;
    const uint64_t step = isShort ? kShortSteps.step[major][minor] : fixedStep(major, minor);
    uint64_t at = isShort ? kShortSteps.start[major] : fixedStart(major);
    auto p = store.at(w.first);
    for (int n = w.major; n >= 0; --n, p += w.majorStep, at += step) {
        store.pixel(p + static_cast<std::ptrdiff_t>(at >> kFractionBits) * w.minorStep);
    }
}

int roundToPixel(double v, int size) {
    const double rounded = std::floor(v + kHalfPixel);
    return static_cast<int>(std::clamp(rounded, 0.0, static_cast<double>(size - 1)));
}

// The buffer's shape, as the rasteriser needs it.
struct Grid {
    int width;
    int height;
    // The last floats inside the clipping's far edges.
    float lastX;
    float lastY;
    RasterCanvas::Stepping stepping;

    Box view() const {
        return {-kHalfPixel, -kHalfPixel, width - kHalfPixel - kFarEdgeInset,
                height - kHalfPixel - kFarEdgeInset};
    }
};

// The last floats inside the clipping's far edges.
std::array<float, 2> lastInside(int width, int height) {
    const auto last = [](int size) {
        const double edge = size - kHalfPixel - kFarEdgeInset;
        const auto f = static_cast<float>(edge);
        return static_cast<double>(f) > edge
                   ? std::nextafter(f, -std::numeric_limits<float>::infinity())
                   : f;
    };
    return {last(width), last(height)};
}

template <typename Store> void walk(const Grid& grid, const Walk& w, Store store) {
    if (grid.stepping == RasterCanvas::Stepping::FixedPoint && w.major <= kExactMajor) {
        walkFixedPoint(w, store);
    } else {
        walkBresenham(w, store);
    }
}

// A segment's end pixels, both inside the buffer.
struct PixelEnds {
    int x0;
    int y0;
    int x1;
    int y1;
};

// Both ends lie inside the buffer, so every pixel between them does too.
template <typename Store> void plot(const Grid& grid, PixelEnds e, Store store) {
    const std::ptrdiff_t width = grid.width;
    if (e.y0 == e.y1) {
        store.run(store.at(e.y0 * width + std::min(e.x0, e.x1)), std::abs(e.x1 - e.x0) + 1);
        return;
    }
    if (e.x0 == e.x1) {
        store.column(store.at(std::min(e.y0, e.y1) * width + e.x0), width,
                     std::abs(e.y1 - e.y0) + 1);
        return;
    }
    const int dx = std::abs(e.x1 - e.x0);
    const int dy = std::abs(e.y1 - e.y0);
    const std::ptrdiff_t stepX = e.x1 > e.x0 ? 1 : -1;
    const std::ptrdiff_t stepY = e.y1 > e.y0 ? width : -width;
    const bool xMajor = dx >= dy;
    walk(grid,
         Walk{e.y0 * width + e.x0, xMajor ? stepX : stepY, xMajor ? stepY : stepX, xMajor ? dx : dy,
              xMajor ? dy : dx},
         store);
}

// The end pixels of the part of a segment inside the view, for a segment with an end outside it
// or not finite; false when no part is inside. Kept out of line, so that the drawing loop around
// the common case, both ends inside, holds no more than that case needs.
[[gnu::noinline]] bool clipToView(const Grid& grid, const Canvas::Segment& s, PixelEnds& ends) {
    if (grid.width == 0 || grid.height == 0 || !std::isfinite(s.x1) || !std::isfinite(s.y1) ||
        !std::isfinite(s.x2) || !std::isfinite(s.y2)) {
        return false;
    }
    const Box view = grid.view();
    Point a{s.x1, s.y1};
    Point b{s.x2, s.y2};
    if ((view.isFar(a) || view.isFar(b)) && !bringFarEndsNear(a, b, view)) {
        return false;
    }
    // An end inside the view but within the inset of a far edge belongs to the last pixel; it is
    // moved onto the inset edge so that clipping keeps it.
    const auto pullIn = [](double v, double inset, int size) {
        return v > inset && v < size - kHalfPixel ? inset : v;
    };
    a.x = pullIn(a.x, view.xmax, grid.width);
    b.x = pullIn(b.x, view.xmax, grid.width);
    a.y = pullIn(a.y, view.ymax, grid.height);
    b.y = pullIn(b.y, view.ymax, grid.height);
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;

    Clip clip;
    if (!clip.edge(-dx, a.x - view.xmin) || !clip.edge(dx, view.xmax - a.x) ||
        !clip.edge(-dy, a.y - view.ymin) || !clip.edge(dy, view.ymax - a.y)) {
        return false;
    }
    // An end that needs no clipping keeps its exact value.
    const double sx = clip.t0 > 0.0 ? a.x + clip.t0 * dx : a.x;
    const double sy = clip.t0 > 0.0 ? a.y + clip.t0 * dy : a.y;
    const double ex = clip.t1 < 1.0 ? a.x + clip.t1 * dx : b.x;
    const double ey = clip.t1 < 1.0 ? a.y + clip.t1 * dy : b.y;
    ends = {roundToPixel(sx, grid.width), roundToPixel(sy, grid.height),
            roundToPixel(ex, grid.width), roundToPixel(ey, grid.height)};
    return true;
}

// A segment along a row or a column, such as each arm of a point's marker, with both ends near
// the view (and so finite): the clipping keeps its line when the line lies in the view and cuts
// its span to the view's, an end cut off falling on the first or last pixel, as an end inside
// rounds. Ends far out are left to the clipping, which moves them along the line first.
struct Span {
    int line;
    int first;
    int last;
};

bool isNear(float v) {
    constexpr auto kNear = static_cast<float>(kNearReach);
    return std::fabs(v) < kNear;
}

bool spanInView(float across, float from, float to, int lines, int length, Span& span) {
    const double line = static_cast<double>(across) + kHalfPixel;
    const double a = static_cast<double>(from) + kHalfPixel;
    const double b = static_cast<double>(to) + kHalfPixel;
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    if (!(line >= 0.0 && line < lines && hi >= 0.0 && lo < length)) {
        return false;
    }
    span = {static_cast<int>(line), lo >= 0.0 ? static_cast<int>(lo) : 0,
            hi < length ? static_cast<int>(hi) : length - 1};
    return true;
}

// A segment the set-up leaves (an end outside, or not finite); without the set-up, any segment.
template <typename Store>
void drawSegment(const Grid& grid, const Canvas::Segment& s, Store store) {
    PixelEnds ends{};
    if (grid.stepping == RasterCanvas::Stepping::Bresenham) {
        // The reference takes no short cut: every segment is clipped the general way.
        if (clipToView(grid, s, ends)) {
            plot(grid, ends, store);
        }
        return;
    }
    const std::ptrdiff_t width = grid.width;
    Span span{};
    if (s.y1 == s.y2 && isNear(s.x1) && isNear(s.x2)) {
        if (spanInView(s.y1, s.x1, s.x2, grid.height, grid.width, span)) {
            store.run(store.at(span.line * width + span.first), span.last - span.first + 1);
        }
        return;
    }
    if (s.x1 == s.x2 && isNear(s.y1) && isNear(s.y2)) {
        if (spanInView(s.x1, s.y1, s.y2, grid.width, grid.height, span)) {
            store.column(store.at(span.first * width + span.line), width,
                         span.last - span.first + 1);
        }
        return;
    }
    if (clipToView(grid, s, ends)) {
        plot(grid, ends, store);
    }
}

// ---- many segments set up at once: a segment with both ends inside is set up (end pixels, major
// axis, steps) a vector of segments at a time, then stored as above; drawSegment draws the others.

// How a set-up segment's pixels are stored; how many are set up at once (fit the L1 cache).
enum Kind : int32_t { kWalk, kRow, kColumn, kNothing, kClipped };
constexpr std::size_t kChunk = 64;

// What the set-up found, a slot a segment; for a row or column the major axis is along it.
struct Chunk {
    std::array<int32_t, kChunk> kind;
    std::array<int32_t, kChunk> first;
    std::array<int32_t, kChunk> majorStep;
    std::array<int32_t, kChunk> minorStep;
    std::array<int32_t, kChunk> major;
    std::array<int32_t, kChunk> minor;
    std::array<uint32_t, kChunk> rgb32;
    // The segments' five words (x1, y1, x2, y2, colour), an array a word, as vectors load them.
    std::array<std::array<uint32_t, kChunk>, 5> words;
};

// floor(v + 0.5) for v in [-0.5, 2^31): the whole part, plus one where the fraction reaches a
// half. Both are exact in float, where v + 0.5 itself may round up to the next whole number.
[[gnu::always_inline]] inline int32_t nearest(float v) {
    const auto whole = static_cast<int32_t>(v);
    return whole + static_cast<int32_t>(v - static_cast<float>(whole) >= 0.5f);
}

// All ones where the condition holds, else all zeros; and a choice by such a mask.
[[gnu::always_inline]] inline int32_t mask(bool condition) {
    return -static_cast<int32_t>(condition);
}
[[gnu::always_inline]] inline int32_t pick(int32_t mask, int32_t yes, int32_t no) {
    return (mask & yes) | (~mask & no);
}

// Vectors cross only always-inlined calls, even unoptimised: GCC's ABI warning cannot apply.
#pragma GCC diagnostic ignored "-Wpsabi"
// N segments are 5 N words, loaded as five vectors; word k of segment l is word 5 l + k. A field is
// shuffled out of vectors 0-1 and 2-3, then of those two, then of that and 4; a lane whose word a
// later shuffle brings takes any index (0).
template <std::size_t N> struct Words {
    // NOLINTNEXTLINE(modernize-use-using): GCC keeps the vector size of a dependent typedef only.
    typedef uint32_t V __attribute__((vector_size(4 * N)));

    // Vector k of a block, loaded straight: copied through the stack in halves, it stalls the
    // loads.
    [[gnu::always_inline]] static V load(const Canvas::Segment* block, std::size_t k) {
        V v;
        std::memcpy(&v, reinterpret_cast<const char*>(block) + k * sizeof v, sizeof v);
        return v;
    }
    // Where word w lies in the two vectors from word `from` on.
    static constexpr std::size_t in(std::size_t w, std::size_t from) {
        return w >= from && w < from + 2 * N ? w - from : 0;
    }
    template <std::size_t K, std::size_t... L>
    [[gnu::always_inline]] static V field(const V (&w)[5], std::index_sequence<L...>) {
        const V low = __builtin_shufflevector(w[0], w[1], in(5 * L + K, 0)...);
        const V high = __builtin_shufflevector(w[2], w[3], in(5 * L + K, 2 * N)...);
        const V four = __builtin_shufflevector(low, high, (5 * L + K < 2 * N ? L : N + L)...);
        return __builtin_shufflevector(four, w[4], (5 * L + K < 4 * N ? L : 5 * L + K - 3 * N)...);
    }
};

// The segments' words into the chunk's arrays a vector at a time: arrays written a word at a time
// would stall the set-up's vector loads until the words had left the store queue.
template <std::size_t N>
[[gnu::always_inline]] inline void transpose(const Canvas::Segment* __restrict segments,
                                             std::size_t n, Chunk& chunk) {
    static_assert(sizeof(Canvas::Segment) == 5 * sizeof(uint32_t) && kChunk % N == 0);
    using W = Words<N>;
    std::size_t i = 0;
    for (; i + N <= n; i += N) {
        [&]<std::size_t... K>(std::index_sequence<K...>) {
            const typename W::V w[5]{W::load(segments + i, K)...};
            const std::array fields{W::template field<K>(w, std::make_index_sequence<N>())...};
            (std::memcpy(&chunk.words[K][i], &fields[K], sizeof fields[K]), ...);
        }
        (std::make_index_sequence<5>());
    }
    for (; i % N != 0 || i < n; ++i) { // the rest, and the last again up to a whole vector
        std::array<uint32_t, 5> w{};
        std::memcpy(w.data(), segments + std::min(i, n - 1), sizeof w);
        for (std::size_t k = 0; k < w.size(); ++k) {
            chunk.words[k][i] = w[k];
        }
    }
}

// For each segment with both ends inside (and so finite, and kept exactly by the clipping), what
// plot works out; written with masks, not branches, so that the compiler vectorises the loop.
template <std::size_t N>
[[gnu::always_inline]] inline void setUpLoop(const Grid& grid,
                                             const Canvas::Segment* __restrict segments,
                                             std::size_t n, Chunk* __restrict chunk) {
    const int32_t width = grid.width;
    const auto first = -static_cast<float>(kHalfPixel);
    transpose<N>(segments, n, *chunk);
    for (std::size_t block = 0; block < n; block += N) { // lanes past n: the last again, not drawn
#pragma omp simd
        for (std::size_t i = block; i < block + N; ++i) {
            const Canvas::Segment s{std::bit_cast<float>(chunk->words[0][i]),
                                    std::bit_cast<float>(chunk->words[1][i]),
                                    std::bit_cast<float>(chunk->words[2][i]),
                                    std::bit_cast<float>(chunk->words[3][i]), chunk->words[4][i]};
            const int32_t inside = mask(
                (s.x1 >= first) & (s.x1 <= grid.lastX) & (s.y1 >= first) & (s.y1 <= grid.lastY) &
                (s.x2 >= first) & (s.x2 <= grid.lastX) & (s.y2 >= first) & (s.y2 <= grid.lastY));
            // Ends outside are zeroed before they are converted, where they might not fit.
            const auto pixel = [inside](float v) {
                return nearest(std::bit_cast<float>(std::bit_cast<int32_t>(v) & inside));
            };
            const int32_t x0 = pixel(s.x1);
            const int32_t y0 = pixel(s.y1);
            const int32_t x1 = pixel(s.x2);
            const int32_t y1 = pixel(s.y2);
            const int32_t dx = x1 - x0;
            const int32_t dy = y1 - y0;
            const int32_t adx = (dx ^ (dx >> 31)) - (dx >> 31);
            const int32_t ady = (dy ^ (dy >> 31)) - (dy >> 31);
            const int32_t xMajor = mask(adx >= ady);
            // 1 forwards, -1 backwards or not at all; dx and dy are far from the least int.
            const int32_t stepX = ((dx - 1) >> 31) | 1;
            const int32_t stepY = pick((dy - 1) >> 31, -width, width);
            // A single pixel is a row: plot tries rows first.
            const int32_t row = mask(dy == 0);
            const int32_t column = mask(dx == 0);
            const int32_t left = pick(mask(x1 < x0), x1, x0);
            const int32_t top = pick(mask(y1 < y0), y1, y0);
            // Both ends beyond one edge of the pixels (a far edge plus a pixel, a whole float
            // past it on the sizes drawn here): the clipping would keep nothing.
            const int32_t beyond =
                mask(((s.x1 < first) & (s.x2 < first)) | ((s.y1 < first) & (s.y2 < first)) |
                     ((s.x1 > grid.lastX + 1.0f) & (s.x2 > grid.lastX + 1.0f)) |
                     ((s.y1 > grid.lastY + 1.0f) & (s.y2 > grid.lastY + 1.0f)));
            chunk->kind[i] = pick(inside, pick(row, kRow, pick(column, kColumn, kWalk)),
                                  pick(beyond, kNothing, kClipped));
            chunk->first[i] =
                pick(row, y0 * width + left, pick(column, top * width + x0, y0 * width + x0));
            chunk->majorStep[i] = pick(xMajor, stepX, stepY);
            chunk->minorStep[i] = pick(xMajor, stepY, stepX);
            chunk->major[i] = pick(xMajor, adx, ady);
            chunk->minor[i] = pick(xMajor, ady, adx);
            chunk->rgb32[i] = kOpaque | ((s.colour & 0xFFu) << 16) | (s.colour & 0xFF00u) |
                              ((s.colour >> 16) & 0xFFu);
        }
    }
}

using SetUp = void (*)(const Grid&, const Canvas::Segment*, std::size_t, Chunk&);

// A set-up for each vector unit; __restrict spares a run-time check that chunk and segments differ.
void setUp4(const Grid& grid, const Canvas::Segment* __restrict segments, std::size_t n,
            Chunk& __restrict chunk) {
    setUpLoop<4>(grid, segments, n, &chunk);
}
#if defined(__x86_64__)
[[gnu::target("avx2")]] void setUp8(const Grid& grid, const Canvas::Segment* __restrict segments,
                                    std::size_t n, Chunk& __restrict chunk) {
    setUpLoop<8>(grid, segments, n, &chunk);
}
[[gnu::target("avx512f,avx512vl,avx512dq,avx512bw")]] void
setUp16(const Grid& grid, const Canvas::Segment* __restrict segments, std::size_t n,
        Chunk& __restrict chunk) {
    setUpLoop<16>(grid, segments, n, &chunk);
}
#endif

// The widest set-up this processor runs, at most `lanes` wide (0: no limit).
SetUp chooseSetUp([[maybe_unused]] int lanes) {
#if defined(__x86_64__)
    if ((lanes == 0 || lanes >= 16) && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq")) {
        return setUp16;
    }
    if ((lanes == 0 || lanes >= 8) && __builtin_cpu_supports("avx2")) {
        return setUp8;
    }
#endif
    return setUp4;
}

// A chunk at a time: set up, then stored segment by segment in order.
template <typename Store>
void drawSetUp(const Grid& grid, SetUp setUp, std::span<const Canvas::Segment> segments,
               Store store) {
    Chunk c;
    for (std::size_t done = 0; done < segments.size(); done += kChunk) {
        const std::size_t n = std::min(kChunk, segments.size() - done);
        setUp(grid, segments.data() + done, n, c);
        for (std::size_t i = 0; i < n; ++i) {
            store.colour(c.rgb32[i]);
            switch (c.kind[i]) {
            case kWalk:
                walk(grid, Walk{c.first[i], c.majorStep[i], c.minorStep[i], c.major[i], c.minor[i]},
                     store);
                break;
            case kRow:
                store.run(store.at(c.first[i]), c.major[i] + 1);
                break;
            case kColumn:
                store.column(store.at(c.first[i]), grid.width, c.major[i] + 1);
                break;
            case kNothing:
                break;
            default:
                drawSegment(grid, segments[done + i], store);
            }
        }
    }
}

} // namespace

RasterCanvas::RasterCanvas(int width, int height, Stepping stepping, int lanes)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), stepping_(stepping), lanes_(lanes),
      lastInside_(lastInside(width_, height_)), fore_(toRgb32(kBlack)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_),
              toRgb32(kBlack)) {}

uint32_t RasterCanvas::toRgb32(uint32_t bgr) {
    const uint32_t r = bgr & 0xFFu;
    const uint32_t g = (bgr >> 8) & 0xFFu;
    const uint32_t b = (bgr >> 16) & 0xFFu;
    return kOpaque | (r << 16) | (g << 8) | b;
}

uint32_t RasterCanvas::fromRgb32(uint32_t rgb32) {
    const uint32_t r = (rgb32 >> 16) & 0xFFu;
    const uint32_t g = (rgb32 >> 8) & 0xFFu;
    const uint32_t b = rgb32 & 0xFFu;
    return (b << 16) | (g << 8) | r;
}

void RasterCanvas::ForeColor(uint32_t colour) {
    fore_ = toRgb32(colour);
}

void RasterCanvas::Cls() {
    std::fill(pixels_.begin(), pixels_.end(), toRgb32(kBlack));
}

uint32_t RasterCanvas::pixel(int x, int y) const {
    return fromRgb32(pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                             static_cast<std::size_t>(x)]);
}

void RasterCanvas::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) {
        return;
    }
    std::vector<uint32_t> grown(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                toRgb32(kBlack));
    const int keepW = std::min(width, width_);
    const int keepH = std::min(height, height_);
    for (int y = 0; y < keepH; ++y) {
        const auto from = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
        std::copy(from, from + keepW, grown.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    pixels_.swap(grown);
    lastInside_ = lastInside(width, height);
    width_ = width;
    height_ = height;
}

void RasterCanvas::Line(float x1, float y1, float x2, float y2) {
    const Segment s{x1, y1, x2, y2, fromRgb32(fore_)};
    draw({&s, 1}, Paint(pixels_.data()));
}

void RasterCanvas::Lines(std::span<const Segment> segments) {
    if (!segments.empty()) {
        fore_ = toRgb32(segments.back().colour);
        draw(segments, Paint(pixels_.data()));
    }
}

void RasterCanvas::TraceLines(std::span<const Segment> segments,
                              std::vector<uint32_t>& indices) const {
    draw(segments, Record(indices));
}

// The reference, and canvases too large for 32-bit lanes, draw segment by segment.
template <typename Store>
void RasterCanvas::draw(std::span<const Segment> segments, Store store) const {
    const Grid grid{width_, height_, lastInside_[0], lastInside_[1], stepping_};
    // The set-up's lanes hold buffer indices in 32 bits, and its floats a pixel past an edge.
    if (stepping_ == Stepping::FixedPoint && std::max(width_, height_) < (1 << 24) &&
        int64_t{width_} * height_ <= std::numeric_limits<int32_t>::max()) {
        drawSetUp(grid, chooseSetUp(lanes_), segments, store);
        return;
    }
    for (const Segment& s : segments) {
        store.colour(toRgb32(s.colour));
        drawSegment(grid, s, store);
    }
}
