// The benchmark's own helpers: the models are what they claim, the trace holds exactly the
// stores of a full redraw in their order, one core means every thread, the peers draw, and the
// views' drawing steps behave as the window's do.
#include "BenchModels.h"
#include "Colours.h"
#include "ModelChecks.h"
#include "OneCore.h"
#include "Pixels.h"
#include "QPainterCanvas.h"
#include "RasterCanvas.h"
#include "TracingCanvas.h"
#include "Views.h"
#include "c3dObj.h"

#ifdef TESSALY_BENCH_CAIRO
#include "CairoCanvas.h"
#endif
#ifdef TESSALY_BENCH_AGG
#include "AggCanvas.h"
#endif

#include <gtest/gtest.h>

#include <barrier>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <sched.h>
#include <thread>
#include <utility>
#include <vector>

namespace {

using benchmodels::kDepth;
using benchmodels::kViewHeight;
using benchmodels::kViewWidth;

struct Absolute {
    double x, y, z;
};

std::vector<Absolute> AbsolutePoints(const c3dObj& obj) {
    std::vector<Absolute> out;
    for (int32_t i = 0; i < obj.nPoints(); ++i) {
        const auto k = static_cast<int16_t>(i);
        out.push_back({static_cast<double>(obj.GetX(k)) + obj.GetCX(),
                       static_cast<double>(obj.GetY(k)) + obj.GetCY(),
                       static_cast<double>(obj.GetZ(k)) + obj.GetCZ()});
    }
    return out;
}

bool InsideTheBox(const Absolute& p) {
    constexpr double kSlack = 1e-3; // the float rounding of a point on a wall
    return p.x >= -kSlack && p.x <= kViewWidth + kSlack && p.y >= -kSlack &&
           p.y <= kViewHeight + kSlack && p.z >= -kSlack && p.z <= kDepth + kSlack;
}

// Pixels of the colour, on any canvas that reads its pixels back.
template <typename C> int Count(const C& canvas, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < canvas.ScaleHeight(); ++y) {
        for (int x = 0; x < canvas.ScaleWidth(); ++x) {
            n += canvas.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

int CountNot(const RasterCanvas& canvas, uint32_t colour) {
    return canvas.ScaleWidth() * canvas.ScaleHeight() - CountColour(canvas, colour);
}

// ---- models ----

TEST(BenchModels, BothModels_HoldTheLargestCountAboutTheWindowsStartCentre) {
    for (const c3dObj& obj : {benchmodels::Scatter(), benchmodels::Walk()}) {
        EXPECT_EQ(obj.nPoints(), 32767);
        EXPECT_EQ(obj.GetCX(), 226.5f);
        EXPECT_EQ(obj.GetCY(), 170.5f);
        EXPECT_EQ(obj.GetCZ(), 113.25f);
    }
}

TEST(BenchModels, Teapot_HoldsTheExamplesPointsAboutTheWindowsStartCentre) {
    const c3dObj teapot = benchmodels::Teapot(TESSALY_EXAMPLES_DIR);
    EXPECT_EQ(teapot.nPoints(), 3968);
    EXPECT_TRUE(CentreIs(teapot, 226.5f, 170.5f, 113.25f));
}

TEST(BenchModels, SameSeed_GivesTheSamePoints_AnotherSeedOthers) {
    EXPECT_TRUE(SameOffsets(benchmodels::Scatter(), benchmodels::Scatter()));
    EXPECT_TRUE(SameOffsets(benchmodels::Walk(), benchmodels::Walk()));
    EXPECT_FALSE(SameOffsets(benchmodels::Scatter(1), benchmodels::Scatter(2)));
    EXPECT_FALSE(SameOffsets(benchmodels::Walk(1), benchmodels::Walk(2)));
}

TEST(BenchModels, Scatter_CoversTheWholeViewAndDepth) {
    const auto points = AbsolutePoints(benchmodels::Scatter());
    Absolute lo{1e9, 1e9, 1e9};
    Absolute hi{-1e9, -1e9, -1e9};
    double sumX = 0.0;
    for (const Absolute& p : points) {
        ASSERT_TRUE(InsideTheBox(p)) << p.x << ", " << p.y << ", " << p.z;
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        sumX += p.x;
    }
    EXPECT_LT(lo.x, 1.0);
    EXPECT_GT(hi.x, kViewWidth - 1.0);
    EXPECT_LT(lo.y, 1.0);
    EXPECT_GT(hi.y, kViewHeight - 1.0);
    EXPECT_LT(lo.z, 1.0);
    EXPECT_GT(hi.z, kDepth - 1.0);
    // Uniform: the mean lies near the middle (its spread here is under a pixel).
    EXPECT_NEAR(sumX / static_cast<double>(points.size()), kViewWidth / 2.0, 3.0);
}

TEST(BenchModels, Walk_StaysInsideWithStepsOfAboutFivePixels) {
    const auto points = AbsolutePoints(benchmodels::Walk());
    double total = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        ASSERT_TRUE(InsideTheBox(points[i])) << i;
        if (i == 0) {
            continue;
        }
        const double step = std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y,
                                       points[i].z - points[i - 1].z);
        // A reflection off a wall only shortens a step.
        ASSERT_LE(step, 6.0 + 1e-3) << i;
        total += step;
    }
    const double mean = total / static_cast<double>(points.size() - 1);
    EXPECT_GT(mean, 4.5);
    EXPECT_LT(mean, 5.5);
}

TEST(BenchModels, Reflect_FoldsBackAtBothWalls) {
    EXPECT_EQ(benchmodels::Reflect(-2.0, 10.0), 2.0);
    EXPECT_EQ(benchmodels::Reflect(12.5, 10.0), 7.5);
    EXPECT_EQ(benchmodels::Reflect(4.0, 10.0), 4.0);
}

// ---- the trace of a full redraw ----

std::vector<uint32_t> Pixels(const RasterCanvas& canvas) {
    return {canvas.bits(), canvas.bits() + canvas.ScaleWidth() * canvas.ScaleHeight()};
}

// The stores replayed in the recorded order, each in its segment's colour, give every view's
// picture of the full redraw: no store missing, none extra, the last on top.
TEST(TracingCanvas, AFullRedrawReplayedInColour_IsThePictureTheRedrawDraws) {
    for (const c3dObj& model : {benchmodels::Walk(), benchmodels::Scatter()}) {
        benchviews::FourCanvases<TracingCanvas> traced(kViewWidth, kViewHeight);
        benchviews::FullRedraw(model, traced.canvases());
        benchviews::FourCanvases<RasterCanvas> drawn(kViewWidth, kViewHeight);
        benchviews::FullRedraw(model, drawn.canvases());
        const std::pair<const TracingCanvas*, const RasterCanvas*> views[] = {
            {&traced.front, &drawn.front},
            {&traced.left, &drawn.left},
            {&traced.top, &drawn.top},
            {&traced.presp, &drawn.presp}};
        for (const auto& [trace, picture] : views) {
            std::vector<uint32_t> replayed(Pixels(*picture).size(), 0x12345678u);
            trace->ReplayInColour(replayed.data());
            EXPECT_TRUE(replayed == Pixels(*picture));
            EXPECT_EQ(trace->clears(), 1u);
            EXPECT_EQ(trace->writes(), trace->indices().size() + replayed.size());
        }
    }
}

// The timed replay stores to exactly those pixels, after the clear, in one colour.
TEST(TracingCanvas, Replay_ClearsThenStoresOneColourAtEveryTracedPixel) {
    const c3dObj model = benchmodels::Walk();
    TracingCanvas trace(kViewWidth, kViewHeight);
    RasterCanvas drawn(kViewWidth, kViewHeight);
    for (Canvas* canvas : {static_cast<Canvas*>(&trace), static_cast<Canvas*>(&drawn)}) {
        canvas->Cls();
        model.DrawFrontView(*canvas, kGreen, kYellow);
    }
    const uint32_t white = RasterCanvas::toRgb32(0xFFFFFF);
    std::vector<uint32_t> replayed(Pixels(drawn).size(), white);
    trace.Replay(replayed.data(), white);
    const uint32_t black = RasterCanvas::toRgb32(kBlack);
    std::vector<uint32_t> expected = Pixels(drawn);
    for (uint32_t& pixel : expected) {
        pixel = pixel == black ? black : white;
    }
    EXPECT_TRUE(replayed == expected);
    EXPECT_GT(CountNot(drawn, kBlack), 10000);
}

// ---- one core ----

cpu_set_t ThreadAffinity() {
    cpu_set_t set;
    CPU_ZERO(&set);
    sched_getaffinity(0, sizeof set, &set);
    return set;
}

TEST(OneCore, PinsTheThreadsStartedBeforeToo_AndGivesTheFormerCoresBack) {
    // A thread started before the pinning reads its own affinity each time it is asked, until
    // it is let go; it is let go however the test ends, so that it can be joined.
    std::barrier meet(2);
    cpu_set_t seen{};
    bool done = false;
    const std::jthread earlier([&] {
        for (meet.arrive_and_wait(); !done; meet.arrive_and_wait()) {
            seen = ThreadAffinity();
            meet.arrive_and_wait();
        }
    });
    const auto earlierAffinity = [&] {
        meet.arrive_and_wait();
        meet.arrive_and_wait();
        return seen;
    };
    const std::unique_ptr<bool, std::function<void(bool*)>> letGo(&done, [&meet](bool* d) {
        *d = true;
        meet.arrive_and_wait();
    });
    const cpu_set_t before = earlierAffinity();
    {
        const OneCore pinned;
        for (const cpu_set_t& set : {ThreadAffinity(), earlierAffinity()}) {
            EXPECT_EQ(CPU_COUNT(&set), 1);
            EXPECT_TRUE(CPU_ISSET(pinned.core(), &set));
        }
    }
    for (const cpu_set_t& set : {ThreadAffinity(), earlierAffinity()}) {
        EXPECT_TRUE(CPU_EQUAL(&set, &before));
    }
    EXPECT_EQ(AllowedCores(), CPU_COUNT(&before));
}

// ---- the peers ----

// A peer canvas behind the Canvas interface, with its pixels read back.
struct Peer {
    const char* name;
    // The share of the raster canvas's pixels a model's view has in common with it, at least.
    double agreement;
    std::function<std::unique_ptr<Canvas>(int, int)> make;
    std::function<uint32_t(const Canvas&, int, int)> pixel;
};

template <typename C> Peer PeerOf(const char* name, double agreement) {
    return {name, agreement, [](int w, int h) { return std::make_unique<C>(w, h); },
            [](const Canvas& canvas, int x, int y) {
                return dynamic_cast<const C&>(canvas).pixel(x, y);
            }};
}

const Peer kPeers[] = {
    PeerOf<QPainterCanvas>("QPainter", 0.92),
#ifdef TESSALY_BENCH_CAIRO
    PeerOf<CairoCanvas>("Cairo", 0.99),
#endif
#ifdef TESSALY_BENCH_AGG
    PeerOf<AggCanvas>("AGG", 0.99),
#endif
};

int PeerCount(const Peer& peer, const Canvas& canvas, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < canvas.ScaleHeight(); ++y) {
        for (int x = 0; x < canvas.ScaleWidth(); ++x) {
            n += peer.pixel(canvas, x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

TEST(Peers, StartBlack_DrawInTheSegmentsColours_ClearToBlack) {
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        const auto canvas = peer.make(30, 20);
        EXPECT_EQ(PeerCount(peer, *canvas, kBlack), 600);
        const Canvas::Segment segments[] = {{2, 3, 12, 3, kGreen}, {5, 10, 5, 18, kRed}};
        canvas->Lines(segments);
        // The ends may differ by a pixel from library to library; what lies between may not.
        for (int x = 3; x <= 11; ++x) {
            EXPECT_EQ(peer.pixel(*canvas, x, 3), kGreen) << x;
        }
        for (int y = 11; y <= 17; ++y) {
            EXPECT_EQ(peer.pixel(*canvas, 5, y), kRed) << y;
        }
        EXPECT_NEAR(PeerCount(peer, *canvas, kGreen), 11, 1);
        EXPECT_NEAR(PeerCount(peer, *canvas, kRed), 9, 1);
        canvas->Cls();
        EXPECT_EQ(PeerCount(peer, *canvas, kBlack), 600);
    }
}

// The peers draw the same segments: about as many pixels as the raster canvas, nearly all where
// its are; clipping included (the perspective view of the walk reaches past the view). Each
// library has its own rule for the pixels of a segment, so a few per cent differ.
TEST(Peers, AModelsViews_CoverAboutWhatTheRasterCanvasCovers) {
    const c3dObj model = benchmodels::Walk();
    RasterCanvas raster(kViewWidth, kViewHeight);
    model.DrawPrespectiveView(raster, kGreen, kYellow);
    const int rasterInk = CountNot(raster, kBlack);
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        const auto canvas = peer.make(kViewWidth, kViewHeight);
        model.DrawPrespectiveView(*canvas, kGreen, kYellow);
        int ink = 0;
        int shared = 0;
        for (int y = 0; y < kViewHeight; ++y) {
            for (int x = 0; x < kViewWidth; ++x) {
                const bool inked = peer.pixel(*canvas, x, y) != kBlack;
                ink += inked ? 1 : 0;
                shared += inked && raster.pixel(x, y) != kBlack ? 1 : 0;
            }
        }
        EXPECT_GT(rasterInk, 10000);
        EXPECT_NEAR(ink, rasterInk, rasterInk / 100);
        EXPECT_GT(shared, peer.agreement * rasterInk);
    }
}

// ---- the window's drawing steps ----

TEST(BenchViews, FullRedraw_ClearsAndDrawsAllFourViews) {
    c3dObj obj;
    benchmodels::PlaceCentre(obj);
    obj.AddPoint(100, 50, 80);
    benchviews::FourCanvases<RasterCanvas> canvases(kViewWidth, kViewHeight);
    for (RasterCanvas* c : {&canvases.front, &canvases.left, &canvases.top, &canvases.presp}) {
        c->ForeColor(kBlue);
        c->Line(0, 200, 400, 200);
    }
    benchviews::FullRedraw(obj, canvases.canvases());
    EXPECT_EQ(canvases.front.pixel(100, 50), kYellow);
    EXPECT_EQ(canvases.left.pixel(80, 50), kYellow);
    EXPECT_EQ(canvases.top.pixel(100, 80), kYellow);
    for (RasterCanvas* c : {&canvases.front, &canvases.left, &canvases.top, &canvases.presp}) {
        EXPECT_EQ(CountNot(*c, kBlack), 21); // one marker, its middle shared
    }
}

TEST(BenchViews, DragStep_LeavesExactlyTheDrawingOfTheTurnedModel) {
    c3dObj dragged = benchmodels::Walk();
    benchviews::FourCanvases<RasterCanvas> stepped(kViewWidth, kViewHeight);
    benchviews::FullRedraw(dragged, stepped.canvases());
    benchviews::DragStep(dragged, stepped.canvases());
    benchviews::DragStep(dragged, stepped.canvases());

    c3dObj turned = benchmodels::Walk();
    for (int i = 0; i < 2; ++i) {
        turned.RotateXYZ(0, 1, 0);
        turned.RotateXYZ(1, 0, 0);
    }
    ASSERT_TRUE(SameOffsets(dragged, turned));
    benchviews::FourCanvases<RasterCanvas> fresh(kViewWidth, kViewHeight);
    benchviews::FullRedraw(turned, fresh.canvases());

    EXPECT_TRUE(SamePixels(stepped.front, fresh.front));
    EXPECT_TRUE(SamePixels(stepped.left, fresh.left));
    EXPECT_TRUE(SamePixels(stepped.top, fresh.top));
    EXPECT_TRUE(SamePixels(stepped.presp, fresh.presp));
    EXPECT_GT(CountNot(fresh.front, kBlack), 1000);
    // The step really turned the model: the first drawing differs.
    benchviews::FourCanvases<RasterCanvas> unturned(kViewWidth, kViewHeight);
    benchviews::FullRedraw(benchmodels::Walk(), unturned.canvases());
    EXPECT_FALSE(SamePixels(unturned.front, fresh.front));
}

} // namespace
