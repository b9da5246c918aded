// c3dObj's point list and centre: storing relative to the centre, deleting, limits and errors.
#include "ModelChecks.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Points A, B, C, D told apart by their x offsets 1, 2, 3, 4.
c3dObj FourPoints() {
    c3dObj obj;
    for (int i = 1; i <= 4; ++i) {
        obj.AddPoint(static_cast<float>(i), 0, 0);
    }
    return obj;
}

} // namespace

TEST(PointList, NewModel_IsEmptyWithCentreAtOrigin) {
    c3dObj obj;
    EXPECT_EQ(obj.nPoints(), 0);
    EXPECT_EQ(obj.ObjName, "");
    EXPECT_TRUE(CentreIs(obj, 0.0f, 0.0f, 0.0f));
}

TEST(PointList, AddPoint_StoresTheOffsetFromTheCentre) {
    c3dObj obj;
    obj.SetCxyz(100, 50, 25);
    obj.AddPoint(110, 40, 25);
    EXPECT_EQ(obj.nPoints(), 1);
    EXPECT_TRUE(PointIs(obj, 0, 10, -10, 0));
}

TEST(PointList, SetCxyz_MovesTheModelAndKeepsOffsets) {
    c3dObj obj;
    obj.SetCxyz(100, 50, 25);
    obj.AddPoint(110, 40, 25);
    obj.SetCxyz(200, 100, 50);
    EXPECT_TRUE(PointIs(obj, 0, 10, -10, 0));
    EXPECT_FLOAT_EQ(obj.GetX(0) + obj.GetCX(), 210);
    EXPECT_FLOAT_EQ(obj.GetY(0) + obj.GetCY(), 90);
}

TEST(PointList, SetXYZ_TakesAbsoluteCoordinates) {
    c3dObj obj;
    obj.SetCxyz(100, 50, 25);
    obj.AddPoint(110, 40, 25);
    obj.SetXYZ(0, 0, 0, 0);
    EXPECT_TRUE(PointIs(obj, 0, -100, -50, -25));
}

TEST(PointList, DeletePoint_InTheMiddle_ShiftsLaterPointsDown) {
    c3dObj obj = FourPoints();
    obj.DeletePoint(1);
    ASSERT_EQ(obj.nPoints(), 3);
    EXPECT_EQ(obj.GetX(0), 1.0f);
    EXPECT_EQ(obj.GetX(1), 3.0f);
    EXPECT_EQ(obj.GetX(2), 4.0f);
}

TEST(PointList, DeletePoint_PastTheEnd_RemovesLastPoint) {
    c3dObj obj = FourPoints();
    obj.DeletePoint(1);
    obj.DeletePoint(7);
    ASSERT_EQ(obj.nPoints(), 2);
    EXPECT_EQ(obj.GetX(0), 1.0f);
    EXPECT_EQ(obj.GetX(1), 3.0f);
}

TEST(PointList, DeletePoint_OnEmptyList_DoesNothing) {
    c3dObj obj;
    EXPECT_NO_THROW(obj.DeletePoint(0));
    EXPECT_NO_THROW(obj.DeletePoint(-1));
    EXPECT_EQ(obj.nPoints(), 0);
}

TEST(PointList, DeletePoint_NegativeIndex_ThrowsAndKeepsThePoints) {
    c3dObj obj = FourPoints();
    EXPECT_THROW(obj.DeletePoint(-1), std::out_of_range);
    EXPECT_EQ(obj.nPoints(), 4);
}

TEST(PointList, ResetSequence_ZeroToCount_EmptiesTheList) {
    c3dObj obj = FourPoints();
    const auto n = static_cast<int16_t>(obj.nPoints());
    for (int16_t i = 0; i <= n; ++i) {
        obj.DeletePoint(i);
    }
    EXPECT_EQ(obj.nPoints(), 0);
}

TEST(PointList, IndexOutsideTheList_ThrowsAndChangesNothing) {
    c3dObj obj = FourPoints();
    EXPECT_THROW(obj.GetX(4), std::out_of_range);
    EXPECT_THROW(obj.GetY(-1), std::out_of_range);
    EXPECT_THROW(obj.GetZ(32767), std::out_of_range);
    EXPECT_THROW(obj.SetXYZ(4, 9, 9, 9), std::out_of_range);
    EXPECT_THROW(obj.SetXYZ(-1, 9, 9, 9), std::out_of_range);
    obj.DeletePoint(3);
    EXPECT_THROW(obj.GetX(3), std::out_of_range); // right after a deletion
    ASSERT_EQ(obj.nPoints(), 3);
    for (int16_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(PointIs(obj, i, static_cast<float>(i + 1), 0, 0));
    }
}

TEST(PointList, AddPoint_BeyondTheLimit_ThrowsAndKeepsTheFirstPoints) {
    c3dObj obj;
    for (int i = 0; i < c3dObj::kMaxPoints; ++i) {
        obj.AddPoint(static_cast<float>(i), 1, 2);
    }
    EXPECT_THROW(obj.AddPoint(-1, -1, -1), std::length_error);
    ASSERT_EQ(obj.nPoints(), 32767);
    EXPECT_TRUE(PointIs(obj, 0, 0, 1, 2));
    EXPECT_TRUE(PointIs(obj, 32766, 32766, 1, 2));
}
