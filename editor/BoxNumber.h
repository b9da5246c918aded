// Numbers as the window's boxes and labels show them, and typed text read back as a number.
#pragma once

#include <QString>

#include <optional>

class QLineEdit;

namespace BoxNumber {

// A float as the boxes and labels show it: the system locale's general format, at most seven
// significant digits, no group separator.
QString NumberText(float value);
// Text typed into a box, read with the system locale's conversion; nothing when it is not a
// number within the float range.
std::optional<float> ReadNumber(const QString& text);
// A number in a narrow box, shown from its start so that its sign and first digits are seen.
void ShowNumber(QLineEdit* box, float value);

} // namespace BoxNumber
