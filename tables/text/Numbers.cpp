#include "tables/text/Numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/HexDigit.h"

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

// The shortest text of a value that a decimal of at most five places names
// exactly, as std::to_chars writes it, without its general search: tables'
// frequencies are such values, and listings format hundreds of thousands.
// In [0.001, 10000) the fixed form is never longer than the exponent form, so
// to_chars writes the fixed one; and two decimals of at most five places lie
// at least 1e-5 apart while doubles there lie less than 2e-12 apart, so the
// one decimal that reads back as the value is also the shortest. False for
// any other value, which takes the general way.
bool FormatFiveDecimals(double value, std::string& text)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 0.001 && magnitude < 10000.0))
        return false;
    constexpr double kScale = 100000.0;
    const double scaled = std::nearbyint(magnitude * kScale);
    // The decimal scaled/1e5 reads back as the double nearest it, which is
    // this division, correctly rounded.
    if (scaled / kScale != magnitude)
        return false;
    auto units = static_cast<std::uint64_t>(scaled);
    char digits[24];
    char* p = digits + sizeof digits;
    int places = 5;
    while (places > 0 && units % 10 == 0) {
        units /= 10;
        --places;
    }
    for (int i = 0; i < places; ++i, units /= 10)
        *--p = static_cast<char>('0' + units % 10);
    if (places > 0)
        *--p = '.';
    do {
        *--p = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units > 0);
    if (value < 0)
        *--p = '-';
    text.assign(p, digits + sizeof digits);
    return true;
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
    std::string text;
    if (FormatFiveDecimals(value, text))
        return text;
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

std::string QuotedMagic(std::uint32_t dwMagic)
{
    std::string text = "\"";
    for (int i = 0; i < 4; ++i) {
        const auto b = static_cast<std::uint8_t>(dwMagic >> (8 * i));
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            text += static_cast<char>(b);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", b);
            text += escape;
        }
    }
    return text + "\"";
}
