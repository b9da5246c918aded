// c3dObj's drawing: the exact calls, order and colours each view makes on its canvas.
#include "Colours.h"
#include "ModelChecks.h"
#include "Pixels.h"
#include "RasterCanvas.h"
#include "RecordingCanvas.h"
#include "SegmentChecks.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The segments one view of the model draws, lines in green and markers in yellow.
std::vector<RecordingCanvas::Segment> Segments(const c3dObj& obj, Draw draw) {
    RecordingCanvas canvas;
    (obj.*draw)(canvas, kGreen, kYellow);
    return canvas.segments();
}

// (0,0,0), (10,0,0), (10,10,0) about the centre (100,100,100).
c3dObj ThreePoints() {
    c3dObj obj;
    obj.SetCxyz(100, 100, 100);
    obj.AddPoint(100, 100, 100);
    obj.AddPoint(110, 100, 100);
    obj.AddPoint(110, 110, 100);
    return obj;
}

} // namespace

TEST(Drawing, EmptyModel_DrawsNothingInAnyView) {
    c3dObj obj;
    RecordingCanvas canvas;
    obj.DrawFrontView(canvas, kGreen, kYellow);
    obj.DrawLeftView(canvas, kGreen, kYellow);
    obj.DrawTopView(canvas, kGreen, kYellow);
    obj.DrawPrespectiveView(canvas, kGreen, kYellow);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST(Drawing, OnePoint_DrawsOneMarkerAndNoSegment) {
    c3dObj obj;
    obj.AddPoint(20, 30, 40);
    const auto s = Segments(obj, &c3dObj::DrawFrontView);
    ASSERT_EQ(s.size(), 2u);
    ExpectMarker(s, 0, 20, 30, kYellow);
}

TEST(Drawing, FrontView_MarkerSegmentMarkerOrder_NoClosingSegment) {
    const c3dObj obj = ThreePoints();
    const auto s = Segments(obj, &c3dObj::DrawFrontView);
    ASSERT_EQ(s.size(), 8u);
    ExpectMarker(s, 0, 100, 100, kYellow);
    ExpectLine(s[2], 100, 100, 110, 100, kGreen);
    ExpectMarker(s, 3, 110, 100, kYellow);
    ExpectLine(s[5], 110, 100, 110, 110, kGreen);
    ExpectMarker(s, 6, 110, 110, kYellow);
}

TEST(Drawing, TopAndLeftViews_MapTheirAxes) {
    c3dObj obj = ThreePoints();
    obj.SetXYZ(2, 110, 110, 130); // (10, 10, 30)
    auto s = Segments(obj, &c3dObj::DrawTopView);
    ExpectMarker(s, 0, 100, 100, kYellow);
    ExpectMarker(s, 3, 110, 100, kYellow);
    ExpectMarker(s, 6, 110, 130, kYellow);
    s = Segments(obj, &c3dObj::DrawLeftView);
    ExpectMarker(s, 0, 100, 100, kYellow);
    ExpectMarker(s, 3, 100, 100, kYellow);
    ExpectLine(s[5], 100, 100, 130, 110, kGreen);
    ExpectMarker(s, 6, 130, 110, kYellow);
}

TEST(Drawing, TopView_PointsDifferingOnlyInY_Coincide) {
    const c3dObj obj = ThreePoints();
    const auto s = Segments(obj, &c3dObj::DrawTopView);
    ExpectMarker(s, 3, 110, 100, kYellow);
    ExpectMarker(s, 6, 110, 100, kYellow);
}

TEST(Drawing, Perspective_DepthZeroMatchesFrontAndNearerPointsSpreadOut) {
    c3dObj obj;
    obj.SetCxyz(100, 100, 100);  // eye depth 600
    obj.AddPoint(130, 80, 0);    // offset (30, -20, -100): depth 0, divisor 1
    obj.AddPoint(160, 100, 300); // offset (60, 0, 200): depth 300, divisor 0.5
    obj.AddPoint(110, 120, 700); // offset (10, 20, 600): divisor -0.166..., flipped
    const auto s = Segments(obj, &c3dObj::DrawPrespectiveView);
    ASSERT_EQ(s.size(), 8u);
    ExpectMarker(s, 0, 130, 80, kYellow);
    ExpectMarker(s, 3, 220, 100, kYellow);
    // The divisor is held as a float; the quotient and sum are taken in double precision.
    const auto s3 = static_cast<float>(1.0 - 700.0 / 600.0);
    ExpectMarker(s, 6, static_cast<float>(10.0 / s3 + 100), static_cast<float>(20.0 / s3 + 100),
                 kYellow);
    EXPECT_LT(s[6].x1 + 5, 100.0f); // drawn on the other side of the centre
}

TEST(Drawing, Perspective_DivisorIsHeldAsAFloat) {
    c3dObj obj;
    obj.SetCxyz(-10000, 0, 0);
    obj.AddPoint(0, 0, 1); // offset (10000, 0, 1): divisor 1 - 1/500, as a float 0.998000026
    // With the divisor held as a double the marker would be at 20.04008, in float precision
    // throughout at 20.04004: more than a hundred float steps away either way.
    ExpectMarker(Segments(obj, &c3dObj::DrawPrespectiveView), 0, 20.0398216f, 0, kYellow);
}

TEST(Drawing, Perspective_PointAtTheEyeDepth_StopsTheViewThereAndThrows) {
    c3dObj obj;
    obj.SetCxyz(100, 100, 100);
    obj.AddPoint(110, 100, 0);   // depth 0: drawn as in the front view
    obj.AddPoint(120, 100, 600); // offset z 500: at the eye
    obj.AddPoint(130, 100, 100);
    RecordingCanvas canvas;
    EXPECT_THROW(obj.DrawPrespectiveView(canvas, kGreen, kYellow), std::overflow_error);
    const auto s = canvas.segments();
    ASSERT_EQ(s.size(), 2u); // the marker of point 0, then the failure
    ExpectMarker(s, 0, 110, 100, kYellow);
}

TEST(Drawing, Perspective_EyeAtDepthZero_ThrowsBeforeDrawing) {
    c3dObj obj;
    obj.SetCxyz(0, 0, -500);
    obj.AddPoint(10, 10, -500);
    RecordingCanvas canvas;
    EXPECT_THROW(obj.DrawPrespectiveView(canvas, kGreen, kYellow), std::overflow_error);
    EXPECT_TRUE(canvas.segments().empty());
}

TEST(Drawing, Perspective_OverflowingPosition_Throws) {
    c3dObj obj;
    obj.AddPoint(3e38f, 0, 499.99f);
    RecordingCanvas canvas;
    EXPECT_THROW(obj.DrawPrespectiveView(canvas, kGreen, kYellow), std::overflow_error);
}

TEST(Drawing, DrawingAgainInBlack_LeavesTheCanvasBlack) {
    c3dObj obj;
    obj.SetCxyz(50, 40, 30);
    obj.AddPoint(10, 10, 0);
    obj.AddPoint(90, 20, 5);
    obj.AddPoint(60, 70, 60);
    obj.AddPoint(-20, 75, 9);
    RasterCanvas canvas(100, 80);
    obj.DrawFrontView(canvas, kGreen, kYellow);
    EXPECT_EQ(canvas.pixel(50, 15), kGreen);  // on the segment (10,10)-(90,20)
    EXPECT_EQ(canvas.pixel(60, 65), kYellow); // the upper arm of the marker at (60,70)
    obj.DrawPrespectiveView(canvas, kGreen, kYellow);
    obj.DrawFrontView(canvas, kBlack, kBlack);
    obj.DrawPrespectiveView(canvas, kBlack, kBlack);
    EXPECT_TRUE(Blank(canvas));
}
