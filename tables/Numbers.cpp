#include "Numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "HexDigit.h"

namespace {

constexpr std::uint64_t kDefaultNanBits = 0x7FF8000000000000ull;
constexpr std::string_view kNanPrefix = "nan:";

std::uint64_t BitsOf(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

std::string FormatDouble(double value)
{
    if (std::isnan(value)) {
        const std::uint64_t bits = BitsOf(value);
        if (bits == kDefaultNanBits)
            return "nan";
        std::uint8_t big[8];
        for (int i = 0; i < 8; ++i)
            big[i] = static_cast<std::uint8_t>(bits >> (8 * (7 - i)));
        return std::string(kNanPrefix) + HexBytes(big, sizeof big);
    }
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool ParseDouble(std::string_view text, double& value)
{
    if (text == "nan") {
        value = FromBits(kDefaultNanBits);
        return true;
    }
    if (text == "inf") {
        value = std::numeric_limits<double>::infinity();
        return true;
    }
    if (text == "-inf") {
        value = -std::numeric_limits<double>::infinity();
        return true;
    }
    if (text.substr(0, kNanPrefix.size()) == kNanPrefix) {
        std::uint8_t big[8];
        if (!ParseHexBytes(text.substr(kNanPrefix.size()), big, sizeof big))
            return false;
        std::uint64_t bits = 0;
        for (std::uint8_t b : big)
            bits = (bits << 8) | b;
        value = FromBits(bits);
        return std::isnan(value);
    }
    // from_chars would also take "infinity" and "nan(...)": only digits,
    // a point and a sign may start a number here.
    const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (start >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[start])) || text[start] == '.'))
        return false;
    double parsed = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

bool ParseInteger(std::string_view text, std::int64_t& value)
{
    const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (start >= text.size())
        return false;
    for (std::size_t i = start; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    std::int64_t parsed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

bool ParseHexBytes(std::string_view text, std::uint8_t* bytes, std::size_t count)
{
    if (text.size() != 2 * count)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const int hi = HexDigitValue(text[2 * i]);
        const int lo = HexDigitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

std::int64_t ParsePosition(std::string_view text, std::int64_t limit)
{
    if (text.empty())
        return -1;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = std::min(value * 10 + (c - '0'), limit + 1);
    }
    return value;
}
