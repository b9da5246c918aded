// The models the benchmarks draw: the two largest-size ones, made from a fixed seed so every run
// and every machine sees the same points, and a real one read from the examples.
#pragma once

#include "SeededRandom.h"
#include "c3dObj.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>

namespace benchmodels {

// The drawing area of one view in the four-view grid: a 457 x 345 box less its border.
inline constexpr int kViewWidth = 453;
inline constexpr int kViewHeight = 341;
// The depth the points spread over, as deep as the view is high.
inline constexpr int kDepth = 341;
inline constexpr int32_t kPoints = c3dObj::kMaxPoints;
inline constexpr uint32_t kSeed = 8081;
// A walk step is this long, give or take a pixel.
inline constexpr double kStep = 5.0;
inline constexpr double kStepSpread = 1.0;

using Random = SeededRandom;

// The centre the window gives a new model: half the width, half the height, a quarter of the
// width.
inline void PlaceCentre(c3dObj& obj) {
    const auto w = static_cast<float>(kViewWidth);
    const auto h = static_cast<float>(kViewHeight);
    obj.SetCxyz(w / 2.0f, h / 2.0f, w / 4.0f);
}

// Points spread uniformly over the view and its depth: long segments crossing the whole view.
inline c3dObj Scatter(uint32_t seed = kSeed) {
    c3dObj obj;
    PlaceCentre(obj);
    Random random(seed);
    for (int32_t i = 0; i < kPoints; ++i) {
        const double x = random.Uniform(0.0, kViewWidth);
        const double y = random.Uniform(0.0, kViewHeight);
        const double z = random.Uniform(0.0, kDepth);
        obj.AddPoint(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    }
    return obj;
}

// Folds a coordinate that stepped past a wall of [0, size] back inside, as a reflection.
inline double Reflect(double v, double size) {
    if (v < 0.0) {
        return -v;
    }
    if (v > size) {
        return 2.0 * size - v;
    }
    return v;
}

// A random walk of steps of about five pixels in a direction drawn uniformly from the sphere,
// kept inside the view and its depth: short segments, as an outline drawn by hand.
inline c3dObj Walk(uint32_t seed = kSeed) {
    c3dObj obj;
    PlaceCentre(obj);
    Random random(seed);
    double x = kViewWidth / 2.0;
    double y = kViewHeight / 2.0;
    double z = kDepth / 2.0;
    for (int32_t i = 0; i < kPoints; ++i) {
        obj.AddPoint(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
        const double dz = random.Uniform(-1.0, 1.0);
        const double angle = random.Uniform(0.0, 2.0 * std::numbers::pi);
        const double length = random.Uniform(kStep - kStepSpread, kStep + kStepSpread);
        const double across = std::sqrt(1.0 - dz * dz);
        x = Reflect(x + length * across * std::cos(angle), kViewWidth);
        y = Reflect(y + length * across * std::sin(angle), kViewHeight);
        z = Reflect(z + length * dz, kDepth);
    }
    return obj;
}

// The Utah teapot of the examples folder, read into a model about the centre a new window gives
// it, as File › Open does.
inline c3dObj Teapot(const std::string& examples) {
    c3dObj obj;
    PlaceCentre(obj);
    obj.LoadFileEx(examples + "/teapot.G3D");
    return obj;
}

} // namespace benchmodels
