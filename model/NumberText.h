// Numbers as G3D files write and read them, independent of the process locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace NumberText {

// Seven significant digits, no trailing zeros, no decimal point for whole numbers, and the
// exponent form where seven digits do not reach: 10, -2.5, 0.3333333, 1.234568E+07.
std::string Format(float value);

// A decimal number with optional sign, point and exponent, blanks allowed around it, rounded to
// a float. Empty text, "nan", "inf" and values beyond the float range are not numbers.
std::optional<float> Parse(std::string_view text);

} // namespace NumberText
