// QLocale() is the system locale unless a default was set, as tests do. The boxes are written
// with ASCII digits, an ASCII minus and an "E" exponent, which read back in every locale;
// QLocale's own texts do not: some carry invisible direction marks, some a "×10^" exponent and a
// U+2212 minus that its own conversion then refuses.
#include "BoxNumber.h"

#include "NumberText.h"

#include <QLineEdit>
#include <QLocale>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace BoxNumber {

namespace {

constexpr char32_t kAsciiZero = U'0';
constexpr int kDigitCount = 10;
constexpr char32_t kMinusSign = U'\u2212';
// The characters plain text keeps as they are; the decimal point is the locale's alone, so that
// a group separator is refused.
constexpr std::u32string_view kPlainCharacters = U"0123456789eE+-";
struct PlainForm {
    std::u32string text;
    char plain;
};

char32_t ZeroDigit(const QLocale& locale) {
    return locale.zeroDigit().toUcs4().front();
}

// Text as a person sees it: without the invisible format characters (direction marks), and with
// the locale's digits as ASCII ones.
std::u32string Visible(const QString& text, char32_t zero) {
    std::u32string result;
    for (const uint code : text.toUcs4()) {
        if (QChar::category(code) == QChar::Other_Format) {
            continue;
        }
        const bool localeDigit = code >= zero && code < zero + kDigitCount;
        result += localeDigit ? kAsciiZero + (code - zero) : char32_t{code};
    }
    return result;
}

std::u32string_view Trimmed(std::u32string_view text) {
    while (!text.empty() && QChar::isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && QChar::isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The locale's signs, decimal separator and exponent, and the mathematical minus, as the plain
// characters that from_chars reads.
std::vector<PlainForm> PlainForms(const QLocale& locale) {
    const char32_t zero = ZeroDigit(locale);
    return {{Visible(locale.exponential(), zero), 'e'},
            {Visible(locale.decimalPoint(), zero), '.'},
            {Visible(locale.negativeSign(), zero), '-'},
            {Visible(locale.positiveSign(), zero), '+'},
            {std::u32string(1, kMinusSign), '-'}};
}

// The text in the plain form from_chars reads; nothing when a character has no plain meaning.
std::optional<std::string> PlainText(const QString& typed, const QLocale& locale) {
    const std::vector<PlainForm> forms = PlainForms(locale);
    const std::u32string visible = Visible(typed, ZeroDigit(locale));
    std::u32string_view rest = Trimmed(visible);
    std::string plain;
    while (!rest.empty()) {
        const auto form = std::find_if(forms.begin(), forms.end(), [&](const PlainForm& f) {
            return !f.text.empty() && rest.starts_with(f.text);
        });
        if (form != forms.end()) {
            plain += form->plain;
            rest.remove_prefix(form->text.size());
        } else if (kPlainCharacters.find(rest.front()) != std::u32string_view::npos) {
            plain += static_cast<char>(rest.front());
            rest.remove_prefix(1);
        } else {
            return std::nullopt;
        }
    }
    return plain;
}

} // namespace

QString NumberText(float value) {
    // The file format's text differs from the boxes' only in the decimal separator.
    QString text = QString::fromStdString(NumberText::Format(value));
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

std::optional<float> ReadNumber(const QString& text) {
    const std::optional<std::string> plain = PlainText(text, QLocale());
    // The plain text is what the file reader reads, underflow to zero included.
    return plain ? NumberText::Parse(*plain) : std::nullopt;
}

void ShowNumber(QLineEdit* box, float value) {
    const QString text = NumberText(value);
    box->setText(text);
    box->setCursorPosition(0);
    box->setToolTip(text); // the whole number, where the box shows only its start
}

} // namespace BoxNumber
