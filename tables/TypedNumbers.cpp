#include "TypedNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t SkipSpace(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    return at;
}

std::size_t SkipDigits(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at;
}

bool IsSign(std::string_view text, std::size_t at)
{
    return at < text.size() && (text[at] == '+' || text[at] == '-');
}

// The end of the exponent that starts at `at`, or `at` itself when no whole
// exponent stands there ("1e" and "1e+" end before the "e").
std::size_t ExponentEnd(std::string_view text, std::size_t at)
{
    if (at >= text.size() || (text[at] != 'e' && text[at] != 'E'))
        return at;
    std::size_t digits = at + 1;
    if (IsSign(text, digits))
        ++digits;
    const std::size_t end = SkipDigits(text, digits);
    return end > digits ? end : at;
}

} // namespace

double ReadTypedDecimal(std::string_view text)
{
    std::size_t at = SkipSpace(text, 0);
    const bool bNegative = at < text.size() && text[at] == '-';
    if (IsSign(text, at))
        ++at;
    const std::size_t start = at;
    std::size_t end = SkipDigits(text, at);
    std::size_t digitCount = end - start;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fraction = end + 1;
        end = SkipDigits(text, fraction);
        digitCount += end - fraction;
    }
    if (digitCount == 0)
        return 0.0;
    end = ExponentEnd(text, end);

    // The text is now known to be a plain decimal number, which from_chars
    // reads without a sign and without regard to the locale.
    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small reads as the zero it rounds to; too large has no value.
        return 0.0;
    }
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return bNegative ? -value : value;
}

std::int32_t ReadTypedInteger(std::string_view text)
{
    std::size_t at = SkipSpace(text, 0);
    const bool bNegative = at < text.size() && text[at] == '-';
    if (IsSign(text, at))
        ++at;
    const std::size_t end = SkipDigits(text, at);
    // Clamping: 64 bits of magnitude hold every 32-bit value with room to spare.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (std::size_t i = at; i < end && magnitude <= kLimit; ++i)
        magnitude = magnitude * 10 + (text[i] - '0');
    const std::int64_t value = bNegative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
