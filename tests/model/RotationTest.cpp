// Turning and scaling about the centre: the model's own degree factor, the order x, y, z with
// rounding to float after each turn, and the float grow and shrink factors.
#include "ModelChecks.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// A model whose only point lies at the given offsets from the centre (0, 0, 0).
c3dObj OnePoint(float x, float y, float z) {
    c3dObj obj;
    obj.AddPoint(x, y, z);
    return obj;
}

Point3D Turned(Point3D p, float xAngle, float yAngle, float zAngle) {
    c3dObj obj = OnePoint(p.x, p.y, p.z);
    obj.RotateXYZ(xAngle, yAngle, zAngle);
    return OffsetAt(obj, 0);
}

void ExpectFloatEq(const Point3D& got, const Point3D& want) {
    EXPECT_FLOAT_EQ(got.x, want.x);
    EXPECT_FLOAT_EQ(got.y, want.y);
    EXPECT_FLOAT_EQ(got.z, want.z);
}

} // namespace

TEST(RotateXYZ, ZeroAngles_LeaveEveryCoordinateExactlyAsItWas) {
    const std::array<Point3D, 3> points{
        {{1.0f / 3, -0.1f, 1e30f}, {123456.79f, -0.0f, 7e-39f}, {-3.4e38f, 2.5f, 0.0f}}};
    for (const Point3D& p : points) {
        EXPECT_TRUE(SamePoint(Turned(p, 0, 0, 0), p));
    }
}

TEST(RotateXYZ, NinetyAboutX_UsesTheModelsDegreeFactorNotPiOver180) {
    const Point3D got = Turned({0, 1, 0}, 90, 0, 0);
    EXPECT_EQ(got.x, 0.0f);
    EXPECT_FLOAT_EQ(got.y, -0.00063224457f);
    EXPECT_FLOAT_EQ(got.z, 0.99999982f);
}

TEST(RotateXYZ, OneAboutZ_TurnsXTowardsY) {
    // With pi / 180 this would be (99.984772, 1.7452407, 0).
    ExpectFloatEq(Turned({100, 0, 0}, 0, 0, 1), {99.984756f, 1.7459431f, 0});
}

TEST(RotateXYZ, EachAxisTurnsRightHanded) {
    ExpectFloatEq(Turned({0, 0, 1}, 0, 90, 0), {0.99999982f, 0, -0.00063224457f}); // z to x
    ExpectFloatEq(Turned({1, 0, 0}, 0, 0, 90), {-0.00063224457f, 0.99999982f, 0}); // x to y
    ExpectFloatEq(Turned({0, 1, 0}, -90, 0, 0), {0, -0.00063224457f, -0.99999982f});
}

TEST(RotateXYZ, ThreeHundredSixtyStepsAboutZ_DoNotComeBackToTheStart) {
    c3dObj obj = OnePoint(100, 0, 0);
    for (int i = 0; i < 360; ++i) {
        obj.RotateXYZ(0, 0, 1);
    }
    ExpectFloatEq(OffsetAt(obj, 0), {99.999657f, 0.25288332f, 0});
}

TEST(RotateXYZ, TurnsAboutXThenYThenZWithFloatRoundingBetween) {
    const Point3D start{1, 2, 3};
    const Point3D all = Turned(start, 30, 45, 60);
    ExpectFloatEq(all, {1.4244319f, 2.9325147f, 1.8361238f});
    // The same as three separate turns in that order, to the last bit.
    EXPECT_TRUE(SamePoint(all, Turned(Turned(Turned(start, 30, 0, 0), 0, 45, 0), 0, 0, 60)));
    // The reverse order lands elsewhere.
    const Point3D reverse = Turned(Turned(Turned(start, 0, 0, 60), 0, 45, 0), 30, 0, 0);
    EXPECT_NE(all.x, reverse.x);
    // Negative angles, small steps as the arrow keys make them.
    ExpectFloatEq(Turned({-7.5f, 0.25f, 12}, -1, 1, -1), {-7.2803183f, 0.58667469f, 12.122924f});
}

TEST(RotateXYZ, ModelWithSeveralPoints_TurnsEachKeepingCentreOrderAndName) {
    c3dObj obj;
    obj.SetCxyz(100, 200, 300);
    obj.ObjName = "wedge";
    const std::array<Point3D, 3> offsets{{{10, 0, 0}, {0, -20, 5}, {1, 2, 3}}};
    for (const Point3D& p : offsets) {
        obj.AddPoint(100 + p.x, 200 + p.y, 300 + p.z);
    }
    obj.RotateXYZ(30, 45, 60);
    EXPECT_TRUE(CentreIs(obj, 100.0f, 200.0f, 300.0f));
    EXPECT_EQ(obj.ObjName, "wedge");
    ASSERT_EQ(obj.nPoints(), 3);
    for (int16_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(
            SamePoint(OffsetAt(obj, i), Turned(offsets[static_cast<std::size_t>(i)], 30, 45, 60)));
    }
}

TEST(Resize, GrowThenShrink_ScalesByFloatFactorsAndDoesNotCancel) {
    c3dObj obj = OnePoint(10, -20, 0);
    obj.Resize(1);
    EXPECT_TRUE(PointIs(obj, 0, 11, -22, 0));
    obj.Resize(-1);
    EXPECT_TRUE(PointIs(obj, 0, 9.8999996f, -19.799999f, 0));
}

TEST(Resize, FactorsAreFloats_NotDoubles) {
    // 3 x 1.1 in double rounds to 3.3f; the float factor 1.10000002 gives the next float up.
    c3dObj obj = OnePoint(3, 3, 3);
    obj.Resize(1);
    EXPECT_EQ(obj.GetX(0), 3.30000019f);
    obj = OnePoint(3, 3, 3);
    obj.Resize(-1);
    EXPECT_EQ(obj.GetX(0), 2.69999981f); // 3 x 0.9 in double would give 2.70000005f
}

TEST(Resize, ScalesAboutTheCentreKeepingItAndTheOrder) {
    c3dObj obj;
    obj.SetCxyz(50, 60, 70);
    obj.AddPoint(60, 60, 70); // offsets (10, 0, 0)
    obj.AddPoint(50, 40, 75); // offsets (0, -20, 5)
    obj.Resize(1);
    EXPECT_TRUE(CentreIs(obj, 50.0f, 60.0f, 70.0f));
    ASSERT_EQ(obj.nPoints(), 2);
    EXPECT_TRUE(PointIs(obj, 0, 11, 0, 0));
    EXPECT_TRUE(PointIs(obj, 1, 0, -22, 5.5f));
}
