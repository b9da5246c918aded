// Batches of segments for checking Lines against the
// ForeColor and Line it stands for.
#pragma once

#include "Canvas.h"
#include "Colours.h"
#include "Pixels.h"
#include "RasterCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr int kBatchWidth = 12;
inline constexpr int kBatchRows = 8;

// Colours change from segment to segment, stay for a few, come back, change on segments that draw
// nothing, and stay over empty batches. The batches are drawn in the top rows, each followed by a
// probe along a row of its own below them in whatever fore colour it left.
inline const std::vector<std::vector<Canvas::Segment>> kBatches{
    {{0, 0, 11, 3, kGreen}, {0, 7, 11, 0, kYellow}, {2, 0, 2, 7, kYellow}, {11, 7, 0, 5, kRed}},
    {},
    {{0, 2, 11, 2, kBlue}, {1, 1, 1, 1, kGreen}, {5, 0, 9, 7, kBlue}},
    {{3, 3, 8, 6, kYellow}, {-5, -5, -1, -9, kRed}},
    {},
    {{0, 6, 5, 6, kBlue}, {kBatchWidth, 0, kBatchWidth, 7, kGreen}}};
inline const int kBatchHeight = kBatchRows + static_cast<int>(kBatches.size());

// Draws the batches with Lines, or with the default Lines of every canvas when `each` is set.
inline void DrawBatches(Canvas& canvas, bool each) {
    for (std::size_t i = 0; i < kBatches.size(); ++i) {
        each ? canvas.Canvas::Lines(kBatches[i]) : canvas.Lines(kBatches[i]);
        const auto probe = static_cast<float>(kBatchRows + i);
        canvas.Line(0, probe, kBatchWidth - 1, probe);
    }
}
