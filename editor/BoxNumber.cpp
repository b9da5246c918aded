// QLocale() is the system locale unless a default was set, as tests do.
#include "BoxNumber.h"

#include "FloatRange.h"

#include <QLineEdit>
#include <QLocale>

namespace BoxNumber {

QString NumberText(float value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(value), 'g', 7);
}

std::optional<float> ReadNumber(const QString& text) {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    return ok ? NarrowToFloat(value) : std::nullopt;
}

void ShowNumber(QLineEdit* box, float value) {
    box->setText(NumberText(value));
    box->setCursorPosition(0);
}

} // namespace BoxNumber
