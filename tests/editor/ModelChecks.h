// The centre most window tests put their models around, and checks on the model's stored points.
#pragma once

#include "mObj.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>

inline constexpr float kCx = 200.0f;
inline constexpr float kCy = 150.0f;
inline constexpr float kCz = 100.0f;

// The model's points hold exactly the offsets of want's, point for point.
inline void ExpectSameOffsets(const c3dObj& want) {
    const c3dObj& got = Obj();
    ASSERT_EQ(got.nPoints(), want.nPoints());
    for (int16_t i = 0; i < want.nPoints(); ++i) {
        SCOPED_TRACE(testing::Message() << "point " << i);
        EXPECT_EQ(got.GetX(i), want.GetX(i));
        EXPECT_EQ(got.GetY(i), want.GetY(i));
        EXPECT_EQ(got.GetZ(i), want.GetZ(i));
    }
}

// Point i of the model is stored as the offsets (x, y, z).
inline void ExpectPoint(int16_t i, float x, float y, float z) {
    ASSERT_LT(i, Obj().nPoints());
    EXPECT_EQ(Obj().GetX(i), x);
    EXPECT_EQ(Obj().GetY(i), y);
    EXPECT_EQ(Obj().GetZ(i), z);
}

// The model after the given single-axis turns, each a call of its own, in order.
inline c3dObj Turned(c3dObj model, std::initializer_list<std::array<float, 3>> turns) {
    for (const auto& t : turns) {
        model.RotateXYZ(t[0], t[1], t[2]);
    }
    return model;
}
