// The flat views' codes and which two of a point's coordinates each view shows: one across, to
// the right, and one down. Drawing, picking, the centre cross and the mouse all read this table.
#pragma once

#include "Point3D.h"

#include <cstdint>
#include <optional>

// View codes; the perspective view has none.
inline constexpr int16_t vwFront = 1;
inline constexpr int16_t vwLeft = 2;
inline constexpr int16_t vwTop = 3;

enum class Axis { X, Y, Z };

struct ViewAxes {
    Axis across;
    Axis down;
};

inline constexpr ViewAxes kFrontAxes{Axis::X, Axis::Y};
inline constexpr ViewAxes kLeftAxes{Axis::Z, Axis::Y};
inline constexpr ViewAxes kTopAxes{Axis::X, Axis::Z};

// The axes of a flat view; nothing for any other code.
constexpr std::optional<ViewAxes> AxesOf(int16_t view) {
    switch (view) {
    case vwFront:
        return kFrontAxes;
    case vwLeft:
        return kLeftAxes;
    case vwTop:
        return kTopAxes;
    default:
        return std::nullopt;
    }
}

// The one axis a view does not show.
constexpr Axis HiddenAxis(ViewAxes axes) {
    for (Axis axis : {Axis::X, Axis::Y, Axis::Z}) {
        if (axis != axes.across && axis != axes.down) {
            return axis;
        }
    }
    return Axis::Z; // not reached: a view shows two different axes
}

constexpr float Along(const Point3D& point, Axis axis) {
    return axis == Axis::X ? point.x : axis == Axis::Y ? point.y : point.z;
}

constexpr float& Along(Point3D& point, Axis axis) {
    return axis == Axis::X ? point.x : axis == Axis::Y ? point.y : point.z;
}
