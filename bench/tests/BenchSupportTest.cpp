// The benchmark's own helpers: the models are what they claim, the pixel counter counts exactly
// what RasterCanvas writes, the QPainter reference draws, and the views' drawing steps behave as
// the window's do.
#include "BenchModels.h"
#include "Colours.h"
#include "CountingCanvas.h"
#include "QPainterCanvas.h"
#include "RasterCanvas.h"
#include "Views.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
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

bool SamePoints(const c3dObj& a, const c3dObj& b) {
    if (a.nPoints() != b.nPoints()) {
        return false;
    }
    for (int32_t i = 0; i < a.nPoints(); ++i) {
        const auto k = static_cast<int16_t>(i);
        if (a.GetX(k) != b.GetX(k) || a.GetY(k) != b.GetY(k) || a.GetZ(k) != b.GetZ(k)) {
            return false;
        }
    }
    return true;
}

bool InsideTheBox(const Absolute& p) {
    constexpr double kSlack = 1e-3; // the float rounding of a point on a wall
    return p.x >= -kSlack && p.x <= kViewWidth + kSlack && p.y >= -kSlack &&
           p.y <= kViewHeight + kSlack && p.z >= -kSlack && p.z <= kDepth + kSlack;
}

int CountNot(const RasterCanvas& canvas, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < canvas.ScaleHeight(); ++y) {
        for (int x = 0; x < canvas.ScaleWidth(); ++x) {
            n += canvas.pixel(x, y) != colour ? 1 : 0;
        }
    }
    return n;
}

int Count(const QPainterCanvas& canvas, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < canvas.ScaleHeight(); ++y) {
        for (int x = 0; x < canvas.ScaleWidth(); ++x) {
            n += canvas.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

bool SamePixels(const RasterCanvas& a, const RasterCanvas& b) {
    const auto size =
        static_cast<std::size_t>(a.ScaleWidth()) * static_cast<std::size_t>(a.ScaleHeight());
    return a.ScaleWidth() == b.ScaleWidth() && a.ScaleHeight() == b.ScaleHeight() &&
           std::equal(a.bits(), a.bits() + size, b.bits());
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

TEST(BenchModels, SameSeed_GivesTheSamePoints_AnotherSeedOthers) {
    EXPECT_TRUE(SamePoints(benchmodels::Scatter(), benchmodels::Scatter()));
    EXPECT_TRUE(SamePoints(benchmodels::Walk(), benchmodels::Walk()));
    EXPECT_FALSE(SamePoints(benchmodels::Scatter(1), benchmodels::Scatter(2)));
    EXPECT_FALSE(SamePoints(benchmodels::Walk(1), benchmodels::Walk(2)));
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

// ---- the pixel counter ----

// What one segment writes, counted by scanning a whole fresh RasterCanvas.
int WrittenByScan(int width, int height, float x1, float y1, float x2, float y2) {
    RasterCanvas canvas(width, height);
    canvas.ForeColor(kGreen);
    canvas.Line(x1, y1, x2, y2);
    return CountNot(canvas, kBlack);
}

TEST(CountingCanvas, Segments_CountTheirPixelsOnce) {
    CountingCanvas canvas(20, 20);
    canvas.ForeColor(kGreen);
    canvas.Line(2, 3, 12, 3);
    EXPECT_EQ(canvas.linePixels(), 11u);
    canvas.Line(5, 15, 5, 1);
    EXPECT_EQ(canvas.linePixels(), 26u);
    EXPECT_EQ(canvas.lines(), 2u);
    EXPECT_EQ(canvas.clearPixels(), 0u);
}

TEST(CountingCanvas, AMarker_IsTwoElevenPixelSegments_ItsMiddleWrittenTwice) {
    CountingCanvas canvas(40, 40);
    c3dObj obj;
    obj.DrawPoint(canvas, 20.0f, 20.0f, kYellow);
    EXPECT_EQ(canvas.lines(), 2u);
    EXPECT_EQ(canvas.linePixels(), 22u);
}

TEST(CountingCanvas, Cls_CountsTheWholeView) {
    CountingCanvas canvas(30, 7);
    canvas.Cls();
    canvas.Cls();
    EXPECT_EQ(canvas.clearPixels(), 420u);
    EXPECT_EQ(canvas.pixels(), 420u);
    EXPECT_EQ(canvas.lines(), 0u);
}

TEST(CountingCanvas, OnlyThePixelsInsideTheView_AndNothingForNaN) {
    CountingCanvas canvas(20, 10);
    canvas.Line(-50, 4, 50, 4); // crosses the whole view
    EXPECT_EQ(canvas.linePixels(), 20u);
    canvas.Line(-50, -5, 50, -5); // wholly above it
    EXPECT_EQ(canvas.linePixels(), 20u);
    canvas.Line(std::numeric_limits<float>::quiet_NaN(), 1, 5, 5);
    EXPECT_EQ(canvas.linePixels(), 20u);
    EXPECT_EQ(canvas.lines(), 3u);
}

TEST(CountingCanvas, RandomSegments_MatchAScanOfTheWholeCanvas_AndLeaveTheScratchBlack) {
    constexpr int kWidth = 37;
    constexpr int kHeight = 23;
    benchmodels::Random random(99);
    CountingCanvas counting(kWidth, kHeight);
    uint64_t expected = 0;
    for (int i = 0; i < 3000; ++i) {
        // Ends in and far around the view, fractional, some huge.
        const double reach = i % 10 == 0 ? 1e8 : 60.0;
        const auto x1 = static_cast<float>(random.Uniform(-reach, reach));
        const auto y1 = static_cast<float>(random.Uniform(-reach, reach));
        const auto x2 = static_cast<float>(random.Uniform(-reach, reach));
        const auto y2 = static_cast<float>(random.Uniform(-reach, reach));
        const uint64_t before = counting.linePixels();
        counting.Line(x1, y1, x2, y2);
        const auto scanned = static_cast<uint64_t>(WrittenByScan(kWidth, kHeight, x1, y1, x2, y2));
        ASSERT_EQ(counting.linePixels() - before, scanned)
            << "segment " << x1 << ", " << y1 << " to " << x2 << ", " << y2;
        expected += scanned;
    }
    EXPECT_EQ(counting.linePixels(), expected);
    EXPECT_GT(expected, 3000u);
    EXPECT_EQ(CountNot(counting.scratch(), kBlack), 0);
}

TEST(CountingCanvas, AFullRedraw_CountsClearsAndEverySegment) {
    c3dObj obj;
    benchmodels::PlaceCentre(obj);
    obj.AddPoint(100, 100, 100);
    obj.AddPoint(110, 100, 100); // ten pixels right in front and top
    benchviews::FourCanvases<CountingCanvas> counting(kViewWidth, kViewHeight);
    benchviews::FullRedraw(obj, counting.views());
    const uint64_t view = static_cast<uint64_t>(kViewWidth) * kViewHeight;
    for (const CountingCanvas* c :
         {&counting.pic, &counting.picLeft, &counting.picTop, &counting.picPresp}) {
        EXPECT_EQ(c->clearPixels(), view);
        EXPECT_EQ(c->lines(), 5u); // two markers of two segments, one joining segment
    }
    EXPECT_EQ(counting.pic.linePixels(), 2u * 22u + 11u);
    EXPECT_EQ(counting.picTop.linePixels(), 2u * 22u + 11u);
    EXPECT_EQ(counting.picLeft.linePixels(), 2u * 22u + 1u); // both points at one place
}

// ---- the QPainter reference ----

TEST(QPainterCanvas, StartsBlack_DrawsInTheForeColour_ClearsToBlack) {
    QPainterCanvas canvas(30, 20);
    EXPECT_EQ(canvas.ScaleWidth(), 30);
    EXPECT_EQ(canvas.ScaleHeight(), 20);
    EXPECT_EQ(Count(canvas, kBlack), 600);

    canvas.ForeColor(kGreen);
    canvas.Line(2, 3, 12, 3);
    for (int x = 3; x <= 11; ++x) {
        EXPECT_EQ(canvas.pixel(x, 3), kGreen) << x;
    }
    const int green = Count(canvas, kGreen);
    EXPECT_GE(green, 10);
    EXPECT_LE(green, 12);
    EXPECT_EQ(Count(canvas, kBlack) + green, 600);

    canvas.ForeColor(kRed);
    canvas.Line(5, 10, 5, 18);
    EXPECT_EQ(canvas.pixel(5, 14), kRed);

    canvas.Cls();
    EXPECT_EQ(Count(canvas, kBlack), 600);
}

TEST(QPainterCanvas, AModelDrawing_CoversAboutWhatTheRasterCanvasCovers) {
    const c3dObj obj = benchmodels::Walk();
    QPainterCanvas painted(kViewWidth, kViewHeight);
    RasterCanvas raster(kViewWidth, kViewHeight);
    obj.DrawFrontView(painted, kGreen, kYellow);
    obj.DrawFrontView(raster, kGreen, kYellow);
    const int paintedInk = kViewWidth * kViewHeight - Count(painted, kBlack);
    const int rasterInk = CountNot(raster, kBlack);
    EXPECT_GT(rasterInk, 1000);
    EXPECT_NEAR(paintedInk, rasterInk, rasterInk / 10);
}

// ---- the window's drawing steps ----

TEST(BenchViews, FullRedraw_ClearsAndDrawsAllFourViews) {
    c3dObj obj;
    benchmodels::PlaceCentre(obj);
    obj.AddPoint(100, 50, 80);
    benchviews::FourCanvases<RasterCanvas> canvases(kViewWidth, kViewHeight);
    for (RasterCanvas* c :
         {&canvases.pic, &canvases.picLeft, &canvases.picTop, &canvases.picPresp}) {
        c->ForeColor(kBlue);
        c->Line(0, 200, 400, 200);
    }
    benchviews::FullRedraw(obj, canvases.views());
    EXPECT_EQ(canvases.pic.pixel(100, 50), kYellow);
    EXPECT_EQ(canvases.picLeft.pixel(80, 50), kYellow);
    EXPECT_EQ(canvases.picTop.pixel(100, 80), kYellow);
    for (RasterCanvas* c :
         {&canvases.pic, &canvases.picLeft, &canvases.picTop, &canvases.picPresp}) {
        EXPECT_EQ(CountNot(*c, kBlack), 21); // one marker, its middle shared
    }
}

TEST(BenchViews, DragStep_LeavesExactlyTheDrawingOfTheTurnedModel) {
    c3dObj dragged = benchmodels::Walk();
    benchviews::FourCanvases<RasterCanvas> stepped(kViewWidth, kViewHeight);
    benchviews::FullRedraw(dragged, stepped.views());
    benchviews::DragStep(dragged, stepped.views());
    benchviews::DragStep(dragged, stepped.views());

    c3dObj turned = benchmodels::Walk();
    for (int i = 0; i < 2; ++i) {
        turned.RotateXYZ(0, 1, 0);
        turned.RotateXYZ(1, 0, 0);
    }
    ASSERT_TRUE(SamePoints(dragged, turned));
    benchviews::FourCanvases<RasterCanvas> fresh(kViewWidth, kViewHeight);
    benchviews::FullRedraw(turned, fresh.views());

    EXPECT_TRUE(SamePixels(stepped.pic, fresh.pic));
    EXPECT_TRUE(SamePixels(stepped.picLeft, fresh.picLeft));
    EXPECT_TRUE(SamePixels(stepped.picTop, fresh.picTop));
    EXPECT_TRUE(SamePixels(stepped.picPresp, fresh.picPresp));
    EXPECT_GT(CountNot(fresh.pic, kBlack), 1000);
    // The step really turned the model: the first drawing differs.
    benchviews::FourCanvases<RasterCanvas> unturned(kViewWidth, kViewHeight);
    benchviews::FullRedraw(benchmodels::Walk(), unturned.views());
    EXPECT_FALSE(SamePixels(unturned.pic, fresh.pic));
}

} // namespace
