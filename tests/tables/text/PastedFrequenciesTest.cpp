// The clipboard's text as Paste reads it (tables/text/PastedFrequencies.h), the
// rows Copy writes (ChannelRowsText) and the CSV reader's other separators.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tables/text/ChannelCsv.h"
#include "tables/text/Csv.h"
#include "tables/text/PastedFrequencies.h"

namespace {

std::vector<double> Pasted(const std::string& text)
{
    std::vector<double> values;
    PastedTextFault fault;
    EXPECT_TRUE(ReadPastedFrequencies(text, values, fault)) << "line " << fault.line << ": " << fault.reason;
    return values;
}

PastedTextFault FaultOf(const std::string& text)
{
    std::vector<double> values = {1.0};
    PastedTextFault fault;
    EXPECT_FALSE(ReadPastedFrequencies(text, values, fault)) << text;
    // A refused text leaves what the caller held.
    EXPECT_EQ(values, std::vector<double>({1.0}));
    return fault;
}

using Values = std::vector<double>;

PastedFrequencies PastedWithColumn(const std::string& text)
{
    PastedFrequencies pasted;
    PastedTextFault fault;
    EXPECT_TRUE(ReadPastedFrequencies(text, pasted, fault)) << "line " << fault.line << ": " << fault.reason;
    return pasted;
}

void ExpectColumn(const std::string& text, std::size_t index, const std::string& heading, bool bDecimalComma)
{
    const PastedColumn column = PastedWithColumn(text).column;
    EXPECT_EQ(column.index, index) << text;
    EXPECT_EQ(column.heading, heading) << text;
    EXPECT_EQ(column.bDecimalComma, bDecimalComma) << text;
}

// count values, one per line, each its line number in MHz, then `tail`.
std::string Numbered(std::size_t count, const std::string& tail)
{
    std::string text;
    for (std::size_t i = 1; i <= count; ++i)
        text += std::to_string(i) + "\n";
    return text + tail;
}

TEST(PastedFrequencies, OneValuePerLineWithAnyLineEnd)
{
    EXPECT_EQ(Pasted("55.25\n62.25\n175.25\n"), Values({55.25, 62.25, 175.25}));
    EXPECT_EQ(Pasted("55.25\r\n62.25\r\n"), Values({55.25, 62.25}));
    EXPECT_EQ(Pasted("  55.25 \n\n\t\n+62.25\n175.25 MHz\n0"), Values({55.25, 62.25, 175.25, 0.0}));
}

TEST(PastedFrequencies, TheFrequencyColumnIsFoundByItsHeading)
{
    // A spreadsheet's two columns under their headings, tab-separated.
    EXPECT_EQ(Pasted("Channel\tFrequency (MHz)\r\n5\t175.25\r\n6\t182.25\r\n"), Values({175.25, 182.25}));
    // The heading names the column even where a later column holds numbers.
    EXPECT_EQ(Pasted("MHz;channel;note\n55.25;2;3\n62.25;3;4\n"), Values({55.25, 62.25}));
    EXPECT_EQ(Pasted("list,channel,frequency_mhz\nair,1,48.25\ncable,1,112.25\n"), Values({48.25, 112.25}));
    EXPECT_EQ(Pasted("FREQ\n48.25\n"), Values({48.25}));
}

TEST(PastedFrequencies, QuotedCsvFieldsAreUnquoted)
{
    EXPECT_EQ(Pasted("\"channel\",\"frequency_mhz\"\n\"E2\",\"48.25\"\n\"E3, Band I\",\"55.25\"\n"),
              Values({48.25, 55.25}));
    // What quotes hold separates nothing, a semicolon neither.
    EXPECT_EQ(Pasted("\"E3; Band I\",55.25\n\"E4\",62.25\n"), Values({55.25, 62.25}));
}

TEST(PastedFrequencies, WithoutAHeadingTheLastNumberColumnIsTheFrequency)
{
    EXPECT_EQ(Pasted("5\t175.25\tBBC One\n6\t182.25\tITV\n"), Values({175.25, 182.25}));
    EXPECT_EQ(Pasted("Ch,Value\n2,55.25\n3,62.25\n"), Values({55.25, 62.25}));
    EXPECT_EQ(Pasted("1;48.25\n2;55.25\n"), Values({48.25, 55.25}));
}

TEST(PastedFrequencies, WhereCommasSeparateNothingACommaMayBeTheDecimalMark)
{
    EXPECT_EQ(Pasted("5\t175,25\n6\t182,25 MHz\n"), Values({175.25, 182.25}));
    EXPECT_EQ(Pasted("Kanal;Frequenz (MHz)\n2;55,25\n"), Values({55.25}));
    EXPECT_EQ(FaultOf("Channel;MHz\n1;55,25,5\n").reason, "\"55,25,5\" is not a frequency");
    EXPECT_EQ(FaultOf("Channel;MHz\n1;55.2,5\n").reason, "\"55.2,5\" is not a frequency");
}

TEST(PastedFrequencies, ValuesComeBackWithTheirBitsAsCopyWroteThem)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Values list = {55.25, 0.0, -1.0, 175.25999450683594, std::numeric_limits<double>::infinity(), nan};
    const std::vector<std::int32_t> channels = {1, 2, 3, 4, 5, 6};
    for (const ChannelRowsForm form : {ChannelRowsForm::TabSeparated, ChannelRowsForm::Csv}) {
        const Values back = Pasted(ChannelRowsText(list, channels, form));
        ASSERT_EQ(back.size(), list.size());
        EXPECT_EQ(std::memcmp(back.data(), list.data(), list.size() * sizeof(double)), 0);
    }
}

TEST(PastedFrequencies, ABadLineIsNamedWithItsReason)
{
    PastedTextFault fault = FaultOf("55.25\n62.25\n175.25\nabc\n182.25\n");
    EXPECT_EQ(fault.line, 4u);
    EXPECT_EQ(fault.reason, "\"abc\" is not a frequency");
    fault = FaultOf("Channel\tFrequency\n1\t48.25\n2\t\n");
    EXPECT_EQ(fault.line, 3u);
    EXPECT_EQ(fault.reason, "no frequency in column 2");
    fault = FaultOf("1,48.25\n2,48.25x\n");
    EXPECT_EQ(fault.line, 2u);
    EXPECT_EQ(fault.reason, "\"48.25x\" is not a frequency");
    // A line end inside quotes: the fault's line is where the row starts.
    fault = FaultOf("\"48.25\"\n\"55.25\",\"a\nb\"\n\"c\n");
    EXPECT_EQ(fault.line, 4u);
    EXPECT_EQ(fault.reason, "a quote is never closed");
    EXPECT_EQ(FaultOf("abc\n48.25\n").line, 1u);
    EXPECT_EQ(FaultOf("+-5\n").reason, "\"+-5\" is not a frequency");
    EXPECT_EQ(FaultOf(std::string(100, '\t') + "1\n").reason, "more than 64 columns");
}

TEST(PastedFrequencies, ASingleColumnOfDecimalCommasIsReadAsOneValuePerLine)
{
    EXPECT_EQ(Pasted("175,25\n182,25\n189,25\n"), Values({175.25, 182.25, 189.25}));
    EXPECT_EQ(Pasted("\n+175,25 MHz\r\n  182,5\n\n"), Values({175.25, 182.5}));
    // A heading of one field says the text has one column.
    EXPECT_EQ(Pasted("Frequency (MHz)\n175,25\n182\n189.25\n"), Values({175.25, 182.0, 189.25}));
    EXPECT_EQ(Pasted("MHz\n48,25\n"), Values({48.25}));
}

TEST(PastedFrequencies, CommasSeparateWhereTheTextHasColumns)
{
    // A heading of two fields, or a row whose comma cannot be a decimal mark.
    EXPECT_EQ(Pasted("Channel,MHz\n5,175\n6,182\n"), Values({175.0, 182.0}));
    EXPECT_EQ(Pasted("5,175.25\n6,182\n"), Values({175.25, 182.0}));
    EXPECT_EQ(Pasted("6,182\n7,189\n5,175.25,BBC\n"), Values({182.0, 189.0, 175.25}));
    EXPECT_EQ(Pasted("channel,frequency_mhz\n1,0\n2,48\n"), Values({0.0, 48.0}));
}

TEST(PastedFrequencies, ALineThatMayBeOneValueOrTwoIsRefused)
{
    const std::string reason = " may be one frequency with a decimal comma or two columns; write its decimal mark as "
                               "a point";
    PastedTextFault fault = FaultOf("182.25\n\n175,25\n189,25\n");
    EXPECT_EQ(fault.line, 3u);
    EXPECT_EQ(fault.reason, "\"175,25\"" + reason);
    fault = FaultOf("175,25\n182\n");
    EXPECT_EQ(fault.line, 1u);
    EXPECT_EQ(fault.reason, "\"175,25\"" + reason);
    // A bad value before it is the first fault.
    fault = FaultOf("182\nabc\n175,25\n");
    EXPECT_EQ(fault.line, 2u);
    EXPECT_EQ(fault.reason, "\"abc\" is not a frequency");
}

TEST(PastedFrequencies, TheColumnTakenIsTold)
{
    ExpectColumn("55.25\n62.25\n", 0, "", false);
    ExpectColumn("Channel\tFrequency (MHz)\r\n5\t175.25\r\n", 1, "Frequency (MHz)", false);
    ExpectColumn("5\t175.25\tBBC One\n6\t182.25\tITV\n", 1, "", false);
    ExpectColumn("Ch,Value,Note\n2,55.25,a\n", 1, "Value", false);
    ExpectColumn("MHz;channel\n55,25;2\n", 0, "MHz", true);
    ExpectColumn("1;48.25\n2;55,25\n", 1, "", true);
    ExpectColumn(" MHz \n175,25\n", 0, "MHz", true);
    ExpectColumn("175,25\n182,25\n", 0, "", true);
    ExpectColumn("Channel,MHz\n5,175\n", 1, "MHz", false);
    // A heading alone names its column.
    ExpectColumn("channel\tfreq\n", 1, "freq", false);
}

TEST(PastedFrequencies, ReadingStopsAtTheValueAfterTheMostAListHolds)
{
    // The most a list holds are all read, and so is what follows them.
    PastedTextFault fault = FaultOf(Numbered(kMaxPastedFrequencies, "abc\n"));
    EXPECT_EQ(fault.line, kMaxPastedFrequencies + 1);
    PastedFrequencies pasted = PastedWithColumn(Numbered(kMaxPastedFrequencies, "\n\n"));
    EXPECT_EQ(pasted.frequencies.size(), kMaxPastedFrequencies);
    EXPECT_FALSE(pasted.bStoppedAtLimit);
    EXPECT_EQ(pasted.frequencies.back(), 65535.0);

    // One value more: nothing after it is read, a fault neither.
    for (const std::string& tail : {std::string("65537\nabc\n\"open"), std::string()}) {
        pasted = PastedWithColumn(Numbered(kMaxPastedFrequencies + 1, tail));
        EXPECT_EQ(pasted.frequencies.size(), kMaxPastedFrequencies + 1);
        EXPECT_TRUE(pasted.bStoppedAtLimit);
        EXPECT_EQ(pasted.frequencies.back(), 65536.0);
    }
    // The first entry point tells it by the count, as callers test it.
    EXPECT_EQ(Pasted(Numbered(70000, "x\n")).size(), kMaxPastedFrequencies + 1);
    // Comma-separated rows, which are read twice, stop there too.
    std::string rows;
    for (std::size_t i = 0; i <= kMaxPastedFrequencies; ++i)
        rows += "175,25\n";
    pasted = PastedWithColumn(rows + "182\n");
    EXPECT_EQ(pasted.frequencies.size(), kMaxPastedFrequencies + 1);
    EXPECT_TRUE(pasted.column.bDecimalComma);
    EXPECT_EQ(pasted.frequencies.back(), 175.25);
}

TEST(PastedFrequencies, NothingButBlanksIsNoValue)
{
    EXPECT_EQ(Pasted(""), Values());
    EXPECT_EQ(Pasted("\n \r\n\t\n"), Values());
    // A heading alone.
    EXPECT_EQ(Pasted("channel,frequency_mhz\n"), Values());
}

TEST(ChannelRowsText, TheChosenChannelsWithTheirNumbersInEitherForm)
{
    const Values list = {48.25, 0.0, 62.25, 175.25};
    EXPECT_EQ(ChannelRowsText(list, {2, 4}, ChannelRowsForm::TabSeparated), "2\t0\n4\t175.25\n");
    EXPECT_EQ(ChannelRowsText(list, {1, 3}, ChannelRowsForm::Csv), "channel,frequency_mhz\n1,48.25\n3,62.25\n");
    // The CSV form is the one the channel CSV reader takes back.
    ChannelCsvLists lists;
    CsvError error;
    ASSERT_TRUE(ReadChannelCsv(ChannelRowsText(list, {1, 2, 3, 4}, ChannelRowsForm::Csv), 0, lists, error));
    EXPECT_EQ(lists.air, list);
}

TEST(CsvSeparators, TabsAndSemicolonsSeparateAsCommasDo)
{
    for (const char separator : {'\t', ';'}) {
        const std::string s(1, separator);
        const std::string text = "a" + s + "\"b" + s + "c\"" + s + "\"d\"\"e\"\r\nf" + s + "," + s + "\n";
        CsvReader reader(text, CsvReader::kEveryField, separator);
        CsvRecord row;
        ASSERT_TRUE(reader.Next(row));
        EXPECT_EQ(row.fields, std::vector<std::string>({"a", "b" + s + "c", "d\"e"}));
        ASSERT_TRUE(reader.Next(row));
        EXPECT_EQ(row.fields, std::vector<std::string>({"f", ",", ""}));
        EXPECT_EQ(CsvFieldPosition(text, row, 1, separator).column, 3u);
        EXPECT_FALSE(reader.Next(row));
        EXPECT_FALSE(reader.Failed());
    }
    // After a closing quote the separator may follow, a comma may not.
    CsvReader reader("\"a\",b\n", CsvReader::kEveryField, '\t');
    CsvRecord row;
    EXPECT_FALSE(reader.Next(row));
    EXPECT_EQ(reader.Error().reason, "text after a closing quote");
}

} // namespace
