#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "tables/text/TypedNumbers.h"

namespace {

// Bits, so that -0.0 and 0.0 tell apart and a result is checked exactly.
std::uint64_t Bits(double value)
{
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

TEST(TypedNumbers, DecimalTakesTheLongestPlainNumberAtTheFront)
{
    EXPECT_EQ(ReadTypedDecimal("55.25"), 55.25);
    EXPECT_EQ(ReadTypedDecimal(" \t\n\v\f\r55.25"), 55.25);
    EXPECT_EQ(ReadTypedDecimal("55.25MHz"), 55.25);
    EXPECT_EQ(ReadTypedDecimal("+1e2"), 100.0);
    EXPECT_EQ(ReadTypedDecimal("-3.5"), -3.5);
    EXPECT_EQ(ReadTypedDecimal(".5"), 0.5);
    EXPECT_EQ(ReadTypedDecimal("5."), 5.0);
    EXPECT_EQ(ReadTypedDecimal("-.5e1"), -5.0);
    EXPECT_EQ(ReadTypedDecimal("1E-2"), 0.01);
    EXPECT_EQ(ReadTypedDecimal("175.25999450683594"), 175.25999450683594);
    EXPECT_EQ(ReadTypedDecimal("55,25"), 55.0);
    EXPECT_EQ(ReadTypedDecimal("1.2.3"), 1.2);
    EXPECT_EQ(ReadTypedDecimal("007.5"), 7.5);
}

TEST(TypedNumbers, AnExponentWithoutDigitsIsNotPartOfTheNumber)
{
    EXPECT_EQ(ReadTypedDecimal("3e"), 3.0);
    EXPECT_EQ(ReadTypedDecimal("3e+"), 3.0);
    EXPECT_EQ(ReadTypedDecimal("3E-x"), 3.0);
    EXPECT_EQ(ReadTypedDecimal("3e 2"), 3.0);
    EXPECT_EQ(ReadTypedDecimal("3.e1"), 30.0);
}

TEST(TypedNumbers, TextThatIsNoPlainDecimalReadsAsZero)
{
    for (const char* text : {"", "   ", "abc", "-", "+", ".", "-.", "- 5", "+-5", "e5", ".e5", "MHz 55"})
        EXPECT_EQ(Bits(ReadTypedDecimal(text)), Bits(0.0)) << '"' << text << '"';
    // What a C library would read as hexadecimal, infinite or not a number.
    for (const char* text : {"0x10", "0X1A", "0x1p4", "inf", "-inf", "INFINITY", "nan", "NaN(123)", "-nan"}) {
        const double value = ReadTypedDecimal(text);
        EXPECT_TRUE(std::isfinite(value)) << text;
        EXPECT_EQ(value, 0.0) << text;
    }
    // The "0" in front of the "x" is a number of its own: zero.
    EXPECT_EQ(ReadTypedDecimal("0x10"), 0.0);
}

TEST(TypedNumbers, MagnitudesBeyondADoubleReadAsZero)
{
    EXPECT_EQ(ReadTypedDecimal("1e400"), 0.0);
    EXPECT_EQ(ReadTypedDecimal("-1e400"), 0.0);
    EXPECT_EQ(ReadTypedDecimal(std::string(400, '9')), 0.0);
    EXPECT_EQ(ReadTypedDecimal("1e-400"), 0.0);
    // The largest double is still a number.
    EXPECT_EQ(ReadTypedDecimal("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(ReadTypedDecimal("99999999999999999999"), 1e20);
}

// A magnitude too small for a double is the zero it rounds to, with its sign,
// as the C library's conversion gives it; too large has no value whatever the
// sign. Which of the two a number is depends on where its first non-zero digit
// stands, however the digits and the exponent share the power of ten.
TEST(TypedNumbers, TooSmallKeepsItsSign)
{
    const auto expectZeroWithSign = [](const std::string& text, bool bNegative) {
        const double value = ReadTypedDecimal(text);
        EXPECT_EQ(value, 0.0) << text;
        EXPECT_EQ(std::signbit(value), bNegative) << text;
    };
    expectZeroWithSign("-1e-400", true);
    expectZeroWithSign("  -1e-400 MHz", true);
    expectZeroWithSign("-0.0001e-330", true);
    expectZeroWithSign("-" + std::string(400, '0') + "1e-400", true);
    expectZeroWithSign("-0." + std::string(400, '0') + "1", true);
    expectZeroWithSign("-123456789e-99999999999999999999", true);
    expectZeroWithSign("+1e-400", false);
    expectZeroWithSign("1e-400", false);
    expectZeroWithSign("-0", true);
    // The first digit's power decides, not the exponent alone: these are huge.
    expectZeroWithSign("-1" + std::string(400, '0') + "e-10", false);
    expectZeroWithSign("-1000e306", false);
    // Below the smallest normal number a double still holds the value.
    EXPECT_EQ(ReadTypedDecimal("-4.9406564584124654e-324"), -std::numeric_limits<double>::denorm_min());
}

TEST(TypedNumbers, IntegerReadsDecimalDigitsClampedTo32Bits)
{
    EXPECT_EQ(ReadTypedInteger("44"), 44);
    EXPECT_EQ(ReadTypedInteger("0044"), 44);
    EXPECT_EQ(ReadTypedInteger("  +44abc"), 44);
    EXPECT_EQ(ReadTypedInteger("-7"), -7);
    EXPECT_EQ(ReadTypedInteger("4.9"), 4);
    EXPECT_EQ(ReadTypedInteger("0x1F"), 0);
    EXPECT_EQ(ReadTypedInteger("inf"), 0);
    EXPECT_EQ(ReadTypedInteger(""), 0);
    EXPECT_EQ(ReadTypedInteger("-"), 0);
    EXPECT_EQ(ReadTypedInteger("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ReadTypedInteger("2147483648"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ReadTypedInteger(std::string(300, '9')), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ReadTypedInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ReadTypedInteger("-" + std::string(300, '9')), std::numeric_limits<std::int32_t>::min());
}
