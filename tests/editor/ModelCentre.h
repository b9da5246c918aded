// The centre most window tests put their models around, and the models they build there.
#pragma once

#include "mObj.h"

#include <array>
#include <initializer_list>

inline constexpr float kCx = 200.0f;
inline constexpr float kCy = 150.0f;
inline constexpr float kCz = 100.0f;

// Moves the model's centre to (kCx, kCy, kCz) and adds points at the given offsets from it.
inline void PlaceAroundTheCentre(std::initializer_list<std::array<float, 3>> offsets) {
    Obj().SetCxyz(kCx, kCy, kCz);
    for (const auto& o : offsets) {
        Obj().AddPoint(kCx + o[0], kCy + o[1], kCz + o[2]);
    }
}

// The model after the given single-axis turns, each a call of its own, in order.
inline c3dObj Turned(c3dObj model, std::initializer_list<std::array<float, 3>> turns) {
    for (const auto& t : turns) {
        model.RotateXYZ(t[0], t[1], t[2]);
    }
    return model;
}
