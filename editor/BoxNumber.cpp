// QLocale() is the system locale unless a default was set, as tests do. The boxes are written
// with ASCII digits, an ASCII minus and an "E" exponent, which read back in every locale;
// QLocale's own texts do not: some carry invisible direction marks, some a "×10^" exponent and a
// U+2212 minus that its own conversion then refuses.
#include "BoxNumber.h"

#include "FloatRange.h"
#include "NumberText.h"

#include <QLineEdit>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace BoxNumber {

namespace {

constexpr char32_t kAsciiZero = U'0';
constexpr int kDigitCount = 10;
constexpr char32_t kMinusSign = U'\u2212';
// The characters plain text keeps as they are; the decimal point is the locale's alone, so that
// a group separator is refused.
constexpr std::u32string_view kPlainCharacters = U"0123456789eE+-";
// Stands for an exponent past the range of long long: it outweighs any mantissa's lead power
// and still leaves room to add one.
constexpr long long kHugeExponent = std::numeric_limits<long long>::max() / 2;

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

// The power of ten of the first non-zero digit of a mantissa such as "-0.0025" or "123.4".
long long LeadPower(std::string_view mantissa) {
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const auto lead = mantissa.find_first_of("123456789");
    return lead < point ? static_cast<long long>(point - lead) - 1
                        : -static_cast<long long>(lead - point);
}

// The exponent after "e", none being zero; one past the range of long long keeps its sign.
long long ExponentValue(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    long long exponent = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), exponent);
    if (result.ec == std::errc::result_out_of_range) {
        return text.starts_with('-') ? -kHugeExponent : kHugeExponent;
    }
    return exponent;
}

// Whether a number that from_chars found beyond the double range lies below it rather than
// above it.
bool BelowTheDoubleRange(std::string_view plain) {
    const auto exponentAt = std::min(plain.find_first_of("eE"), plain.size());
    const std::string_view exponent = plain.substr(std::min(exponentAt + 1, plain.size()));
    return LeadPower(plain.substr(0, exponentAt)) + ExponentValue(exponent) < 0;
}

// A plain decimal number as a float. A value too small for a double is read as zero, like one
// too small for a float: both are closer to zero than any float but zero.
std::optional<float> ReadPlain(std::string_view plain) {
    // from_chars takes no plus sign of its own.
    if (plain.starts_with('+') && !plain.substr(1).starts_with('-')) {
        plain.remove_prefix(1);
    }
    double value = 0.0;
    const char* end = plain.data() + plain.size();
    const auto result = std::from_chars(plain.data(), end, value);
    if (result.ec == std::errc::invalid_argument || result.ptr != end) {
        return std::nullopt;
    }
    if (result.ec == std::errc::result_out_of_range) {
        return BelowTheDoubleRange(plain) ? std::optional<float>(0.0f) : std::nullopt;
    }
    return NarrowToFloat(value);
}

} // namespace

QString NumberText(float value) {
    // The file format's text differs from the boxes' only in the decimal separator.
    QString text = QString::fromStdString(::NumberText::Format(value));
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

std::optional<float> ReadNumber(const QString& text) {
    const std::optional<std::string> plain = PlainText(text, QLocale());
    return plain ? ReadPlain(*plain) : std::nullopt;
}

void ShowNumber(QLineEdit* box, float value) {
    const QString text = NumberText(value);
    box->setText(text);
    box->setCursorPosition(0);
    box->setToolTip(text); // the whole number, where the box shows only its start
}

} // namespace BoxNumber
