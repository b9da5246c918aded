// Checks on the segments a RecordingCanvas records: single lines and the plus markers of points.
#pragma once

#include "RecordingCanvas.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Half the length of a marker's arms, in view pixels.
inline constexpr float kMarkerArm = 5.0f;

// The segment runs from (x1, y1) to (x2, y2) in colour c.
inline void ExpectLine(const RecordingCanvas::Segment& s, float x1, float y1, float x2, float y2,
                       uint32_t c) {
    EXPECT_EQ(s.colour, c);
    EXPECT_FLOAT_EQ(s.x1, x1);
    EXPECT_FLOAT_EQ(s.y1, y1);
    EXPECT_FLOAT_EQ(s.x2, x2);
    EXPECT_FLOAT_EQ(s.y2, y2);
}

// Segments at and at + 1 are the marker at (x, y) in colour c: across, then down.
inline void ExpectMarker(const std::vector<RecordingCanvas::Segment>& s, std::size_t at, float x,
                         float y, uint32_t c) {
    ASSERT_GT(s.size(), at + 1);
    ExpectLine(s[at], x - kMarkerArm, y, x + kMarkerArm, y, c);
    ExpectLine(s[at + 1], x, y - kMarkerArm, x, y + kMarkerArm, c);
}
