// RasterCanvas: the pixels a segment covers, clipping, erasing, the pixel layout and batches of
// segments.
#include "RasterCanvas.h"
#include "CanvasPictures.h"
#include "Colours.h"
#include "Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// A few segments drawn on a canvas the size of the picture, whose rows end in a newline: '#' for a
// drawn pixel, '.' for the background.
struct LinePicture {
    std::string picture;
    std::vector<std::array<float, 4>> segments;
    const char* what;
};

std::string Draw(const LinePicture& c) {
    const auto width = static_cast<int>(c.picture.find('\n'));
    const auto height = static_cast<int>(std::count(c.picture.begin(), c.picture.end(), '\n'));
    RasterCanvas canvas(width, height);
    canvas.ForeColor(kGreen);
    for (const auto& [x1, y1, x2, y2] : c.segments) {
        canvas.Line(x1, y1, x2, y2);
    }
    std::string drawn;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            drawn += canvas.pixel(x, y) == kGreen ? '#' : '.';
        }
        drawn += '\n';
    }
    return drawn;
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
// A hair inside the far edge of a 3-pixel axis, within the clipping's inset.
const float kJustInside = std::nextafter(2.5f, 0.0f);

// Each picture, then its segments and what it shows.
// clang-format off
const LinePicture kLinePictures[] = {
    {"..###\n"
     "##...\n"
     "#.#..\n"
     "#..#.\n", {{4, 0, 2, 0}, {0, 3, 0, 1}, {3, 3, 1, 1}}, "runs and a diagonal, either way"},
    {".#....##\n"
     ".#..##..\n"
     "#.##....\n"
     "#.......\n", {{0, 3, 1, 0}, {7, 0, 2, 2}}, "steep going up, shallow going left"},
    {"##...#.\n"
     "..##.#.\n"
     "....#.#\n", {{0, 0, 4, 2}, {5, 0, 6, 2}}, "half-pixel error: no step yet"},
    {"##.....\n"
     "..###..\n"
     ".#...##\n", {{-0.5f, 0.49f, 5.5f, 1.5f}, {1.4f, 1.6f, 1.4f, 1.6f}},
     "fractional ends round, halves up"},
    {"####....\n"
     "....####\n", {{-3, -1, 10, 2}}, "clipped at the left and right edges"},
    {".#...\n"
     "..#..\n"
     "...#.\n", {{0, -2, 4, 5}}, "clipped at the top and bottom edges"},
    {"#.####\n"
     "##....\n"
     "#.#...\n"
     "...#..\n", {{2, 0, 1e30f, 0}, {0, 2, 0, -1e30f}, {1, 1, 1e7f, 1e7f}},
     "one end far outside: drawn up to the edge it leaves by"},
    {"#....#\n"
     "######\n"
     "..#..#\n"
     "...#.#\n", {{1e7f, 1, -1e7f, 1}, {-1e7f, -1e7f, 1e7f, 1e7f}, {5, -3e38f, 5, 3e38f}},
     "both ends far outside: drawn where it crosses the view"},
    {"....\n",
     {{-100, -5, 300, -5}, {200, 0, 300, 40}, {kNaN, 0, 1, 0}, {1, 0, kInf, 0}, {1, -kInf, 2, 0}},
     "missing the view or with a non-finite end: nothing"},
    {"..#\n"
     "..#\n"
     "##.\n", {{kJustInside, 0, kJustInside, 1}, {0, kJustInside, 1, kJustInside}},
     "an end a hair inside the far edges"},
};
// clang-format on

} // namespace

TEST(RasterCanvas, NewCanvas_IsBlackAndStoredAsOpaqueRgb32) {
    RasterCanvas canvas(4, 3);
    EXPECT_EQ(CountColour(canvas, kBlack), 12);
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

TEST(RasterCanvas, Line_DrawsExactlyThePixelsOfItsPicture) {
    for (const LinePicture& picture : kLinePictures) {
        EXPECT_EQ(Draw(picture), picture.picture) << picture.what;
    }
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
    EXPECT_EQ(CountColour(canvas, kGreen) + CountColour(canvas, kBlack), 35);
    EXPECT_GT(CountColour(canvas, kGreen), 0);
}

TEST(RasterCanvas, DrawingAgainInBlack_ErasesTheFigure) {
    RasterCanvas canvas(30, 30);
    canvas.ForeColor(kGreen);
    canvas.Line(2, 3, 27, 19);
    canvas.Line(27, 19, 4, 28);
    canvas.ForeColor(kBlack);
    canvas.Line(2, 3, 27, 19);
    canvas.Line(27, 19, 4, 28);
    EXPECT_EQ(CountColour(canvas, kBlack), 900);
}

TEST(RasterCanvas, Cls_FillsWithBlack) {
    RasterCanvas canvas(5, 5);
    canvas.ForeColor(kYellow);
    canvas.Line(0, 0, 4, 4);
    canvas.Cls();
    EXPECT_EQ(CountColour(canvas, kBlack), 25);
}

TEST(RasterCanvas, Resize_KeepsThePixelsThatFitAndBlackensTheRest) {
    RasterCanvas canvas(4, 4);
    canvas.ForeColor(kGreen);
    canvas.Line(0, 3, 3, 3);
    canvas.Line(3, 0, 3, 3);
    canvas.resize(8, 6);
    EXPECT_EQ(canvas.ScaleWidth(), 8);
    EXPECT_EQ(canvas.ScaleHeight(), 6);
    EXPECT_EQ(CountColour(canvas, kGreen), 7);
    EXPECT_EQ(canvas.pixel(3, 3), kGreen);
    canvas.resize(2, 4);
    EXPECT_EQ(CountColour(canvas, kGreen), 2);
    EXPECT_EQ(canvas.pixel(1, 3), kGreen);
}

TEST(RasterCanvas, EmptyCanvas_AcceptsDrawing) {
    RasterCanvas canvas(0, 0);
    canvas.ForeColor(kGreen);
    canvas.Line(0, 0, 10, 10);
    canvas.Cls();
    EXPECT_EQ(canvas.ScaleWidth(), 0);
}

TEST(RasterCanvas, Lines_DrawAsForeColorAndLineForEachSegment) {
    RasterCanvas each(kBatchWidth, kBatchHeight);
    DrawBatches(each, true);
    RasterCanvas batched(kBatchWidth, kBatchHeight);
    DrawBatches(batched, false);
    EXPECT_TRUE(SamePixels(batched, each));
}
