// Checks on a model's stored points, centre and name, for the tests of every layer.
#pragma once

#include "Canvas.h"
#include "Point3D.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

// One of the model's four view drawings, as DrawFrontView.
using Draw = void (c3dObj::*)(Canvas&, uint32_t, uint32_t) const;

inline std::ostream& operator<<(std::ostream& os, const Point3D& p) {
    return os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

// Point i of the model as it is stored: its offsets from the centre.
inline Point3D OffsetAt(const c3dObj& model, int16_t i) {
    return {model.GetX(i), model.GetY(i), model.GetZ(i)};
}

// Both hold exactly the same coordinates.
inline testing::AssertionResult SamePoint(const Point3D& got, const Point3D& want) {
    if (got.x == want.x && got.y == want.y && got.z == want.z) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << got << " where " << want << " was expected";
}

// Point i of the model is stored as the offsets (x, y, z).
inline testing::AssertionResult PointIs(const c3dObj& model, int16_t i, float x, float y, float z) {
    if (i < 0 || i >= model.nPoints()) {
        return testing::AssertionFailure() << "no point " << i << " in " << model.nPoints();
    }
    return SamePoint(OffsetAt(model, i), {x, y, z}) << " at point " << i;
}

// The model's centre lies exactly at (x, y, z).
inline testing::AssertionResult CentreIs(const c3dObj& model, float x, float y, float z) {
    return SamePoint({model.GetCX(), model.GetCY(), model.GetCZ()}, {x, y, z}) << " as the centre";
}

// The model's points hold exactly the offsets of want, point for point.
inline testing::AssertionResult SameOffsets(const c3dObj& got, const std::vector<Point3D>& want) {
    if (static_cast<std::size_t>(got.nPoints()) != want.size()) {
        return testing::AssertionFailure()
               << got.nPoints() << " points where " << want.size() << " were expected";
    }
    for (int16_t i = 0; i < got.nPoints(); ++i) {
        if (auto same = SamePoint(OffsetAt(got, i), want[static_cast<std::size_t>(i)]); !same) {
            return same << " at point " << i;
        }
    }
    return testing::AssertionSuccess();
}

inline testing::AssertionResult SameOffsets(const c3dObj& got, const c3dObj& want) {
    std::vector<Point3D> offsets;
    for (int16_t i = 0; i < want.nPoints(); ++i) {
        offsets.push_back(OffsetAt(want, i));
    }
    return SameOffsets(got, offsets);
}

// Everything of a model that its operations can change is alike: name, centre and points.
inline testing::AssertionResult SameModel(const c3dObj& got, const c3dObj& want) {
    if (got.ObjName != want.ObjName) {
        return testing::AssertionFailure()
               << "name '" << got.ObjName << "' where '" << want.ObjName << "' was expected";
    }
    if (auto same = CentreIs(got, want.GetCX(), want.GetCY(), want.GetCZ()); !same) {
        return same;
    }
    return SameOffsets(got, want);
}
