#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "tests/TestFiles.h"
#include "ui/dialog/TextNumbers.h"

TEST(TextNumbers, FrequencyReadsAPlainDecimalNumber)
{
    EXPECT_EQ(TextToDouble("55.25"), 55.25);
    EXPECT_EQ(TextToDouble("  \t55.25MHz"), 55.25);
    EXPECT_EQ(TextToDouble("+1e2"), 100.0);
    EXPECT_EQ(TextToDouble("-3.5"), -3.5);
    EXPECT_EQ(TextToDouble(".5"), 0.5);
    EXPECT_EQ(TextToDouble("0x10"), 0.0);
    EXPECT_EQ(TextToDouble("abc"), 0.0);
    EXPECT_EQ(TextToDouble(""), 0.0);
    EXPECT_EQ(TextToDouble("- 5"), 0.0);
    EXPECT_EQ(TextToDouble("55,25"), 55.0);
    EXPECT_EQ(TextToDouble("1e999"), 0.0);
    EXPECT_EQ(TextToDouble("inf"), 0.0);
    EXPECT_EQ(TextToDouble("nan"), 0.0);
    // A character outside ASCII ends the number like any other.
    EXPECT_EQ(TextToDouble(QString::fromUtf8("12\u00e9")), 12.0);
    EXPECT_EQ(TextToDouble(QString::fromUtf8("\u00a012")), 0.0);
}

// Qt puts the program in the desktop's locale; a decimal comma there must not
// cut "55.25" down to 55.
TEST(TextNumbers, FrequencyIgnoresTheProgramsLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    TempDir locales;
    bool bComma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    if (!bComma) {
        // Build the locale privately when the system has its sources but not the compiled locale.
        const std::string command = "localedef -i de_DE -f UTF-8 '" + locales.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            ::setenv("LOCPATH", locales.Path().c_str(), 1);
            bComma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
            ::unsetenv("LOCPATH");
        }
    }
    if (!bComma)
        GTEST_SKIP() << "no locale with a decimal comma available";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(std::atof("55.25"), 55.0); // what the plain C call would make of it
    EXPECT_EQ(TextToDouble("55.25"), 55.25);
    EXPECT_EQ(TextToDouble("55,25"), 55.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(TextNumbers, CountryCodeReadsAsAtolDoesClampedTo32Bits)
{
    EXPECT_EQ(TextToLong("44"), 44);
    EXPECT_EQ(TextToLong("0044"), 44);
    EXPECT_EQ(TextToLong("  +44abc"), 44);
    EXPECT_EQ(TextToLong("-7"), -7);
    EXPECT_EQ(TextToLong("4.9"), 4);
    EXPECT_EQ(TextToLong("abc"), 0);
    EXPECT_EQ(TextToLong(""), 0);
    EXPECT_EQ(TextToLong("0x1F"), 0);
    EXPECT_EQ(TextToLong("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TextToLong("2147483648"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TextToLong("99999999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TextToLong("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TextToLong("-99999999999"), std::numeric_limits<std::int32_t>::min());
}
