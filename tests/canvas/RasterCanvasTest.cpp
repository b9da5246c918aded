// RasterCanvas: the pixels a segment covers, clipping, erasing and the pixel layout.
#include "RasterCanvas.h"
#include "Colours.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

int CountPixels(const RasterCanvas& canvas, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < canvas.ScaleHeight(); ++y) {
        for (int x = 0; x < canvas.ScaleWidth(); ++x) {
            n += canvas.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

} // namespace

TEST(RasterCanvas, NewCanvas_IsBlackAndStoredAsOpaqueRgb32) {
    RasterCanvas canvas(4, 3);
    EXPECT_EQ(CountPixels(canvas, kBlack), 12);
    EXPECT_EQ(canvas.bits()[0], 0xFF000000u);
}

TEST(RasterCanvas, ForeColor_ConvertsBgrToRgb32) {
    RasterCanvas canvas(3, 1);
    canvas.ForeColor(kRed);
    canvas.Line(0, 0, 0, 0);
    EXPECT_EQ(canvas.bits()[0], 0xFFFF0000u);
    EXPECT_EQ(canvas.pixel(0, 0), kRed);
    canvas.ForeColor(kBlue);
    canvas.Line(1, 0, 1, 0);
    EXPECT_EQ(canvas.bits()[1], 0xFF0000FFu);
    EXPECT_EQ(canvas.pixel(1, 0), kBlue);
}

TEST(RasterCanvas, Line_HorizontalVerticalAndDiagonal_CoverExactlyTheirPixels) {
    RasterCanvas canvas(20, 20);
    canvas.ForeColor(kGreen);
    canvas.Line(2, 3, 12, 3);
    EXPECT_EQ(CountPixels(canvas, kGreen), 11);
    for (int x = 2; x <= 12; ++x) {
        EXPECT_EQ(canvas.pixel(x, 3), kGreen) << x;
    }
    canvas.Cls();
    canvas.Line(5, 15, 5, 1);
    EXPECT_EQ(CountPixels(canvas, kGreen), 15);
    EXPECT_EQ(canvas.pixel(5, 1), kGreen);
    EXPECT_EQ(canvas.pixel(5, 15), kGreen);
    canvas.Cls();
    canvas.Line(10, 10, 0, 0);
    EXPECT_EQ(CountPixels(canvas, kGreen), 11);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(canvas.pixel(i, i), kGreen) << i;
    }
}

TEST(RasterCanvas, Line_SteepAndShallow_ReachBothEndsWithOnePixelPerMajorStep) {
    RasterCanvas canvas(40, 40);
    canvas.ForeColor(kYellow);
    canvas.Line(3, 30, 17, 2); // steep, going up
    EXPECT_EQ(canvas.pixel(3, 30), kYellow);
    EXPECT_EQ(canvas.pixel(17, 2), kYellow);
    EXPECT_EQ(CountPixels(canvas, kYellow), 29);
    canvas.Cls();
    canvas.Line(37, 4, 1, 20); // shallow, going left
    EXPECT_EQ(canvas.pixel(37, 4), kYellow);
    EXPECT_EQ(canvas.pixel(1, 20), kYellow);
    EXPECT_EQ(CountPixels(canvas, kYellow), 37);
}

TEST(RasterCanvas, Line_FractionalEnds_RoundToNearestPixel) {
    RasterCanvas canvas(10, 10);
    canvas.ForeColor(kGreen);
    canvas.Line(1.4f, 2.6f, 1.4f, 2.6f);
    EXPECT_EQ(canvas.pixel(1, 3), kGreen);
    EXPECT_EQ(CountPixels(canvas, kGreen), 1);
}

TEST(RasterCanvas, Line_OneEndFarOutside_IsDrawnUpToTheBorder) {
    RasterCanvas canvas(50, 30);
    canvas.ForeColor(kGreen);
    canvas.Line(10, 10, 1e30f, 10);
    EXPECT_EQ(CountPixels(canvas, kGreen), 40);
    EXPECT_EQ(canvas.pixel(49, 10), kGreen);
    canvas.Cls();
    canvas.Line(10, 10, 10, -1e30f);
    EXPECT_EQ(CountPixels(canvas, kGreen), 11);
    EXPECT_EQ(canvas.pixel(10, 0), kGreen);
    canvas.Cls();
    // A diagonal leaving through the bottom edge at x = 10 + (29.5 - 10) = 29.5.
    canvas.Line(10, 10, 1e7f, 1e7f);
    EXPECT_EQ(canvas.pixel(29, 29), kGreen);
    EXPECT_EQ(CountPixels(canvas, kGreen), 20);
}

TEST(RasterCanvas, Line_BothEndsOutside_DrawsWhereItCrossesTheView) {
    RasterCanvas canvas(100, 50);
    canvas.ForeColor(kGreen);
    canvas.Line(-1e7f, 25, 1e7f, 25);
    EXPECT_EQ(CountPixels(canvas, kGreen), 100);
    canvas.Cls();
    canvas.Line(-1e7f, -1e7f, 1e7f, 1e7f); // the main diagonal through (0,0)..(49,49)
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(canvas.pixel(i, i), kGreen) << i;
    }
    canvas.Cls();
    canvas.Line(-100, -5, 300, -5); // wholly above
    canvas.Line(200, 0, 300, 40);   // wholly right
    EXPECT_EQ(CountPixels(canvas, kGreen), 0);
}

TEST(RasterCanvas, Line_NonFiniteEnds_DrawNothing) {
    RasterCanvas canvas(10, 10);
    canvas.ForeColor(kGreen);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    canvas.Line(nan, 1, 5, 5);
    canvas.Line(1, 1, inf, 5);
    canvas.Line(1, -inf, 5, 5);
    EXPECT_EQ(CountPixels(canvas, kGreen), 0);
}

TEST(RasterCanvas, Line_ExtremeFloats_NeverWriteOutsideTheBuffer) {
    RasterCanvas canvas(7, 5);
    canvas.ForeColor(kGreen);
    const float big = std::numeric_limits<float>::max();
    const float values[] = {-big, -1e30f, -1e7f, -0.5f, 0.0f, 3.3f, 6.5f, 7.0f, 1e7f, 1e30f, big};
    for (float a : values) {
        for (float b : values) {
            canvas.Line(a, b, b, a);
            canvas.Line(a, a, b, b);
            canvas.Line(a, 2, b, 2);
        }
    }
    // The sanitizer build catches any stray write; here the buffer keeps its size and colours.
    EXPECT_EQ(CountPixels(canvas, kGreen) + CountPixels(canvas, kBlack), 35);
    EXPECT_GT(CountPixels(canvas, kGreen), 0);
}

TEST(RasterCanvas, DrawingAgainInBlack_ErasesTheFigure) {
    RasterCanvas canvas(30, 30);
    canvas.ForeColor(kGreen);
    canvas.Line(2, 3, 27, 19);
    canvas.Line(27, 19, 4, 28);
    canvas.ForeColor(kBlack);
    canvas.Line(2, 3, 27, 19);
    canvas.Line(27, 19, 4, 28);
    EXPECT_EQ(CountPixels(canvas, kBlack), 900);
}

TEST(RasterCanvas, Cls_FillsWithBlack) {
    RasterCanvas canvas(5, 5);
    canvas.ForeColor(kYellow);
    canvas.Line(0, 0, 4, 4);
    canvas.Cls();
    EXPECT_EQ(CountPixels(canvas, kBlack), 25);
}

TEST(RasterCanvas, Resize_KeepsThePixelsThatFitAndBlackensTheRest) {
    RasterCanvas canvas(4, 4);
    canvas.ForeColor(kGreen);
    canvas.Line(0, 3, 3, 3);
    canvas.Line(3, 0, 3, 3);
    canvas.resize(8, 6);
    EXPECT_EQ(canvas.ScaleWidth(), 8);
    EXPECT_EQ(canvas.ScaleHeight(), 6);
    EXPECT_EQ(CountPixels(canvas, kGreen), 7);
    EXPECT_EQ(canvas.pixel(3, 3), kGreen);
    canvas.resize(2, 4);
    EXPECT_EQ(CountPixels(canvas, kGreen), 2);
    EXPECT_EQ(canvas.pixel(1, 3), kGreen);
}

TEST(RasterCanvas, EmptyCanvas_AcceptsDrawing) {
    RasterCanvas canvas(0, 0);
    canvas.ForeColor(kGreen);
    canvas.Line(0, 0, 10, 10);
    canvas.Cls();
    EXPECT_EQ(canvas.ScaleWidth(), 0);
}
