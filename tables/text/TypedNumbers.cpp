#include "tables/text/TypedNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

// The exponent's value, clamped far beyond any double's range so that a long
// run of digits cannot overflow.
std::int64_t ExponentValue(std::string_view text, std::size_t at, std::size_t end)
{
    if (at >= end)
        return 0;
    ++at; // the 'e'
    const bool bNegative = text[at] == '-';
    if (IsSign(text, at))
        ++at;
    constexpr std::int64_t kClamp = 1000000000;
    std::int64_t value = 0;
    for (; at < end && value < kClamp; ++at)
        value = value * 10 + (text[at] - '0');
    return bNegative ? -value : value;
}

// Whether a plain decimal number with at least one non-zero digit is below 1
// in magnitude: the power of ten of its first non-zero digit is negative.
// Of the numbers too far out of range to read, these are the ones too small.
bool BelowOne(std::string_view text, std::size_t start, std::size_t mantissaEnd, std::size_t end)
{
    std::int64_t iPower = 0;
    const std::size_t point = text.find('.', start);
    const std::size_t integerEnd = point < mantissaEnd ? point : mantissaEnd;
    std::size_t at = start;
    while (at < mantissaEnd && (text[at] == '0' || text[at] == '.'))
        ++at;
    if (at >= mantissaEnd)
        return true;
    if (at < integerEnd)
        iPower = static_cast<std::int64_t>(integerEnd - at) - 1;
    else
        iPower = -static_cast<std::int64_t>(at - integerEnd);
    return iPower + ExponentValue(text, mantissaEnd, end) < 0;
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
    const std::size_t mantissaEnd = end;
    end = ExponentEnd(text, end);

    // The text is now known to be a plain decimal number, which from_chars
    // reads without a sign and without regard to the locale.
    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small reads as the zero it rounds to, keeping its sign as the C
        // library's conversion does; too large has no value.
        if (BelowOne(text, start, mantissaEnd, end))
            return bNegative ? -0.0 : 0.0;
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
