// Narrowing a double to a float without silently turning it into an infinity.
#pragma once

#include <cmath>
#include <limits>
#include <optional>

// A double rounded to a float; nothing for NaN, infinities and values beyond the float range.
inline std::optional<float> NarrowToFloat(double value) {
    // Beyond the largest float plus half its last step a value would round to infinity.
    const double limit = static_cast<double>(std::numeric_limits<float>::max()) + 0x1p103;
    if (!std::isfinite(value) || std::fabs(value) >= limit) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}
