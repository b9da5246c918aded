// Picking: which point lies under the pointer in a flat view, and the red markers it draws.
#include "Colours.h"
#include "RecordingCanvas.h"
#include "SegmentChecks.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <stdexcept>

namespace {

// The canvas holds exactly one marker, in red, centred on (x, y).
void ExpectOnlyRedMarkerAt(const RecordingCanvas& canvas, float x, float y) {
    const auto s = canvas.segments();
    ASSERT_EQ(s.size(), 2u);
    ExpectMarker(s, 0, x, y, kRed);
}

// A centre whose three components differ, so that a mixed-up origin shows.
c3dObj OnePointAbout100_200_300(float x, float y, float z) {
    c3dObj obj;
    obj.SetCxyz(100, 200, 300);
    obj.AddPoint(100 + x, 200 + y, 300 + z);
    return obj;
}

} // namespace

TEST(SelectPoint, EmptyModel_ReturnsMinusOneAndDrawsNothing) {
    const c3dObj obj;
    RecordingCanvas canvas;
    EXPECT_EQ(obj.SelectPoint(canvas, 0, 0, vwFront), -1);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST(SelectPoint, InsideTheRadius_HitsAndMarksTheAbsolutePosition) {
    c3dObj obj;
    obj.SetCxyz(100, 100, 100);
    obj.AddPoint(100, 100, 150); // offsets (0, 0, 50)
    RecordingCanvas canvas;
    EXPECT_EQ(obj.SelectPoint(canvas, 5, 6, vwFront), 0); // distance 7.81
    ExpectOnlyRedMarkerAt(canvas, 100, 100);
}

TEST(SelectPoint, DistanceExactlyTen_IsNoHit) {
    c3dObj obj;
    obj.SetCxyz(100, 100, 100);
    obj.AddPoint(100, 100, 150);
    RecordingCanvas canvas;
    EXPECT_EQ(obj.SelectPoint(canvas, 8, 6, vwFront), -1);
    EXPECT_EQ(obj.SelectPoint(canvas, 0, -10, vwFront), -1);
    EXPECT_EQ(obj.SelectPoint(canvas, 50, 10, vwLeft), -1);
    EXPECT_EQ(obj.SelectPoint(canvas, -10, 50, vwTop), -1);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST(SelectPoint, DistanceIsTakenInDoubleAndRoundedToFloatBeforeTheComparison) {
    c3dObj obj;
    obj.AddPoint(0, 0, 0);
    const float justBelow8 = std::nextafter(8.0f, 0.0f);
    const struct {
        float x, y;
        int16_t hit;
    } cases[] = {
        // (6, 8 - 2^-21) lies 10 - 3.8e-7 away, which rounds to the float 10: no hit.
        {6, justBelow8, -1},
        // One float step nearer, 10 - 7.6e-7 rounds to the float below 10: a hit.
        {6, std::nextafter(justBelow8, 0.0f), 0},
        // 10 - 7.5e-7 away, rounded to the float below 10: a hit. Squared and summed in float
        // precision, the distance would come out as 10.
        {0.002f, std::nextafter(10.0f, 0.0f), 0},
    };
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        EXPECT_EQ(obj.SelectPoint(canvas, c.x, c.y, vwFront), c.hit) << c.x << ", " << c.y;
    }
}

TEST(SelectPoint, SeveralInsideTheRadius_FirstInIndexOrderWinsOverTheNearest) {
    c3dObj obj;
    obj.AddPoint(20, 0, 0); // out of reach
    obj.AddPoint(9, 0, 0);
    obj.AddPoint(1, 0, 0); // nearer, but later
    RecordingCanvas canvas;
    EXPECT_EQ(obj.SelectPoint(canvas, 0, 0, vwFront), 1);
    ExpectOnlyRedMarkerAt(canvas, 9, 0); // only the winner is marked
}

TEST(SelectPoint, EachViewComparesItsOwnTwoAxesAndMarksWithItsOwnOrigin) {
    const c3dObj obj = OnePointAbout100_200_300(10, 20, 30);
    {
        RecordingCanvas front;
        EXPECT_EQ(obj.SelectPoint(front, 10, 20, vwFront), 0);
        ExpectOnlyRedMarkerAt(front, 110, 220);
    }
    {
        RecordingCanvas left;
        EXPECT_EQ(obj.SelectPoint(left, 30, 20, vwLeft), 0);
        ExpectOnlyRedMarkerAt(left, 330, 220);
    }
    {
        RecordingCanvas top;
        EXPECT_EQ(obj.SelectPoint(top, 10, 30, vwTop), 0);
        ExpectOnlyRedMarkerAt(top, 110, 330);
    }
    // The same pointer positions miss when given to a view with other axes.
    RecordingCanvas miss;
    EXPECT_EQ(obj.SelectPoint(miss, 10, 20, vwLeft), -1);
    EXPECT_EQ(obj.SelectPoint(miss, 10, 20, vwTop), -1);
    EXPECT_EQ(obj.SelectPoint(miss, 30, 20, vwFront), -1);
    EXPECT_TRUE(miss.calls.empty());
}

TEST(SelectPoint, PointsDifferingOnlyInZ_OneSpotInFrontApartInLeft) {
    c3dObj obj;
    obj.AddPoint(0, 0, 0);
    obj.AddPoint(0, 0, 40);
    RecordingCanvas canvas;
    EXPECT_EQ(obj.SelectPoint(canvas, 0, 0, vwFront), 0);
    EXPECT_EQ(obj.SelectPoint(canvas, 40, 0, vwFront), -1);
    EXPECT_EQ(obj.SelectPoint(canvas, 0, 0, vwLeft), 0);
    EXPECT_EQ(obj.SelectPoint(canvas, 40, 0, vwLeft), 1);
    EXPECT_EQ(obj.SelectPoint(canvas, 0, 40, vwTop), 1);
}

TEST(SelectPoint, HiddenCoordinateHasNoInfluence) {
    c3dObj obj;
    obj.AddPoint(3, 4, 1e30f);
    RecordingCanvas canvas;
    EXPECT_EQ(obj.SelectPoint(canvas, 0, 0, vwFront), 0);
}

TEST(SelectPoint, UnknownViewCode_HitsNothingAndDrawsNothing) {
    c3dObj obj;
    obj.AddPoint(0, 0, 0);
    RecordingCanvas canvas;
    for (const int16_t view : std::array<int16_t, 5>{0, 4, -1, 5, 255}) {
        EXPECT_EQ(obj.SelectPoint(canvas, 0, 0, view), -1) << "view " << view;
    }
    EXPECT_TRUE(canvas.calls.empty());
}

TEST(SelectInAllView, MarksThePointInFrontLeftAndTopViews) {
    c3dObj obj = OnePointAbout100_200_300(0, 0, 0);
    obj.AddPoint(110, 220, 330); // offsets (10, 20, 30)
    RecordingCanvas front;
    RecordingCanvas left;
    RecordingCanvas top;
    obj.SelectInAllView(front, left, top, 1);
    ExpectOnlyRedMarkerAt(front, 110, 220);
    ExpectOnlyRedMarkerAt(left, 330, 220);
    ExpectOnlyRedMarkerAt(top, 110, 330);
}

TEST(SelectInAllView, IndexOutsideTheList_ThrowsBeforeDrawing) {
    c3dObj obj;
    obj.AddPoint(1, 2, 3);
    obj.AddPoint(4, 5, 6);
    RecordingCanvas front;
    RecordingCanvas left;
    RecordingCanvas top;
    EXPECT_THROW(obj.SelectInAllView(front, left, top, 2), std::out_of_range);
    EXPECT_THROW(obj.SelectInAllView(front, left, top, -1), std::out_of_range);
    obj.DeletePoint(1);
    EXPECT_THROW(obj.SelectInAllView(front, left, top, 1), std::out_of_range);
    EXPECT_TRUE(front.calls.empty());
    EXPECT_TRUE(left.calls.empty());
    EXPECT_TRUE(top.calls.empty());
}
