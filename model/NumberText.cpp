// Number text independent of the process locale: to_chars and from_chars never look at the C
// locale, which Qt sets from the environment.
#include "NumberText.h"

#include "FloatRange.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace NumberText {

namespace {

constexpr int kSignificantDigits = 7;

// Whether a decimal number that from_chars found beyond the double range lies below it rather
// than above: the power of ten of its first significant digit, the exponent added, is negative.
bool BelowTheDoubleRange(std::string_view text) {
    const auto e = text.find_first_of("eE");
    const std::string_view digits = text.substr(0, e);
    const auto first = digits.find_first_of("123456789");
    const auto point = std::min(digits.find('.'), digits.size());
    const auto power =
        first < point ? static_cast<long>(point - first - 1) : -static_cast<long>(first - point);
    if (e == std::string_view::npos) {
        return power < 0;
    }
    std::string_view exponentText = text.substr(e + 1);
    const bool negative = exponentText.front() == '-';
    if (negative || exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    long exponent = 0;
    const char* end = exponentText.data() + exponentText.size();
    // An exponent beyond a long outweighs any number of digits.
    if (std::from_chars(exponentText.data(), end, exponent).ec != std::errc{}) {
        return negative;
    }
    return negative ? exponent > power : exponent < -power;
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A decimal number's value, or nothing for text that is not one. "nan" and "inf" are words,
// not numbers. A value too small for a double is a zero of its sign, as one too small for a
// float becomes when it is narrowed; one too large is an infinity.
std::optional<double> ParseDecimal(std::string_view text) {
    // from_chars takes no plus sign of its own.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range && result.ptr == end) {
        const double magnitude = BelowTheDoubleRange(text) ? 0.0 : HUGE_VAL;
        return text.front() == '-' ? -magnitude : magnitude;
    }
    if (result.ec != std::errc{} || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string Format(float value) {
    // A zero is written without a sign: negative zero is not a negative value, and a file must
    // not change when it is loaded and saved again (loading adds the centre, which clears it).
    if (value == 0.0f) {
        return "0";
    }
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, kSignificantDigits);
    std::string text(buffer.data(), result.ptr);
    for (char& ch : text) {
        if (ch == 'e') {
            ch = 'E';
        }
    }
    return text;
}

std::optional<float> Parse(std::string_view text) {
    const auto value = ParseDecimal(TrimBlanks(text));
    return value ? NarrowToFloat(*value) : std::nullopt;
}

} // namespace NumberText
