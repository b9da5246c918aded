// Numbers as the window's boxes and labels show them, and typed text read back as a number.
#pragma once

#include <QString>

#include <optional>

class QLineEdit;

namespace BoxNumber {

// A float as the boxes and labels show it: at most seven significant digits in the shorter of the
// fixed and exponent forms, ASCII digits and minus, the system locale's decimal separator, no
// group separator, an "E" exponent: -226.5, 1,234568E+07.
QString NumberText(float value);
// Text typed into a box: what NumberText writes, or the system locale's own digits, signs,
// U+2212 minus, decimal separator and exponent form, blanks allowed around it. Values too small
// for a float read as zero; nothing when the text is not a number within the float range.
std::optional<float> ReadNumber(const QString& text);
// A number in a narrow box, shown from its start so that its sign and first digits are seen,
// and whole in the box's tooltip.
void ShowNumber(QLineEdit* box, float value);

} // namespace BoxNumber
