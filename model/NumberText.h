// Numbers as text, the same in every locale: written with seven significant digits, read as
// decimal numbers. G3D files hold them so, and the window's boxes show them so but for the
// locale's decimal separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace NumberText {

// Seven significant digits, no trailing zeros, no decimal point for whole numbers, and the
// exponent form where seven digits do not reach: 10, -2.5, 0.3333333, 1.234568E+07.
std::string Format(float value);

// A decimal number with optional sign, point and exponent, blanks allowed around it, rounded to
// a float. Empty text, "nan", "inf" and values beyond the float range are not numbers; a value
// too small for a float is a zero.
std::optional<float> Parse(std::string_view text);

// A decimal number's value in double precision, text without blanks around it; nothing for text
// that is not a number. A value beyond the double range is an infinity, or a zero below it.
std::optional<double> ParseDecimal(std::string_view text);

// The text without the spaces before and after it; other blanks count as text.
std::string_view TrimBlanks(std::string_view text);

} // namespace NumberText
