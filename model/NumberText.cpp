// Locale-independent conversions: to_chars and from_chars never look at the C locale, which Qt
// sets from the environment.
#include "NumberText.h"

#include "FloatRange.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace NumberText {

namespace {

constexpr int kSignificantDigits = 7;

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace

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
    text = TrimBlanks(text);
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
    if (result.ec != std::errc{} || result.ptr != end) {
        return std::nullopt;
    }
    return NarrowToFloat(value);
}

} // namespace NumberText
