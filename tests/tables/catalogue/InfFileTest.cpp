#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tables/catalogue/InfFile.h"
#include "tests/TestFiles.h"

namespace {

// Opens the text and returns the line of the section with the given key.
InfFile::Context LineOf(const InfFile& inf, const std::string& section, const std::string& key)
{
    InfFile::Context ctx;
    EXPECT_TRUE(inf.FindFirstLine(section, key, ctx)) << section << " / " << key;
    return ctx;
}

std::string Str(const InfFile& inf, const InfFile::Context& ctx, int index)
{
    std::string text = "<unchanged>";
    if (!inf.GetStringField(ctx, index, text))
        return "<none>";
    return text;
}

std::string Str(const InfFile& inf, const std::string& section, const std::string& key, int index = 1)
{
    return Str(inf, LineOf(inf, section, key), index);
}

// All values of every line of a section, in file order.
std::vector<std::vector<std::string>> SectionValues(const InfFile& inf, const std::string& section)
{
    std::vector<std::vector<std::string>> out;
    InfFile::Context ctx;
    if (!inf.FindFirstLine(section, ctx))
        return out;
    for (;;) {
        std::vector<std::string> values;
        for (int i = 0; i <= inf.FieldCount(ctx); ++i)
            values.push_back(Str(inf, ctx, i));
        out.push_back(values);
        InfFile::Context next;
        if (!inf.FindNextLine(ctx, next))
            break;
        ctx = next;
    }
    return out;
}

using Values = std::vector<std::vector<std::string>>;

bool IntOf(const std::string& field, std::int32_t& value)
{
    InfFile inf;
    EXPECT_TRUE(inf.OpenText("[S]\nk = " + field + "\n"));
    InfFile::Context ctx;
    EXPECT_TRUE(inf.FindFirstLine("S", "k", ctx));
    return inf.GetIntField(ctx, 1, value);
}

} // namespace

TEST(InfFileSyntax, SectionsAndKeysIgnoreCaseAndLinesKeepFileOrder)
{
    InfFile inf;
    ASSERT_TRUE(inf.OpenText("stray = before any section\n"
                             "[Factory]\n"
                             "Count = 2\n"
                             "5 = Temic\n"
                             "[Other]\n"
                             "x = 1\n"
                             "[FACTORY]\n"
                             "3 = LG\n"));
    EXPECT_EQ(Str(inf, "factory", "COUNT"), "2");
    EXPECT_EQ(Str(inf, "fAcToRy", "3"), "LG");
    EXPECT_EQ(SectionValues(inf, "Factory"), (Values{{"Count", "2"}, {"5", "Temic"}, {"3", "LG"}}));
    EXPECT_EQ(SectionValues(inf, "Other"), (Values{{"x", "1"}}));
    InfFile::Context ctx;
    EXPECT_FALSE(inf.FindFirstLine("Factory", "stray", ctx));
    EXPECT_FALSE(inf.FindFirstLine("Missing", "Count", ctx));
    EXPECT_FALSE(inf.FindFirstLine("Factory", "Cnt", ctx));
    EXPECT_FALSE(inf.FindFirstLine("Missing", ctx));

    // The last line of a section has no next line, even when another section follows.
    InfFile::Context last = LineOf(inf, "Other", "x");
    InfFile::Context next;
    EXPECT_FALSE(inf.FindNextLine(last, next));
}

TEST(InfFileSyntax, KeylessLinesHaveAnEmptyKeyAndValuesFromOne)
{
    InfFile inf;
    ASSERT_TRUE(inf.OpenText("[S]\n"
                             "first, second , third\n"
                             "k =\n"
                             "e = ,\n"
                             "q = \"\"\n"
                             " = value\n"));
    EXPECT_EQ(SectionValues(inf, "S"),
              (Values{{"", "first", "second", "third"}, {"k"}, {"e", "", ""}, {"q", ""}, {"", "value"}}));
    InfFile::Context ctx;
    ASSERT_TRUE(inf.FindFirstLine("S", ctx));
    std::int32_t v = 77;
    EXPECT_FALSE(inf.GetIntField(ctx, 0, v));
    EXPECT_FALSE(inf.GetIntField(ctx, 4, v));
    EXPECT_EQ(Str(inf, ctx, 4), "<none>");
    EXPECT_EQ(Str(inf, ctx, -1), "<none>");
    EXPECT_EQ(v, 77);
    EXPECT_EQ(Str(inf, "S", "k"), "<none>"); // "k =" has no values
}

TEST(InfFileSyntax, CommentsQuotesAndWhiteSpace)
{
    InfFile inf;
    ASSERT_TRUE(inf.OpenText("; a comment line\n"
                             "[S] ; comment after a header\n"
                             "   ; indented comment\n"
                             "plain   =   value with  inner   spaces   ; comment\n"
                             "semi = \"a;b\" ; the quoted one stays\n"
                             "comma = \"x, y\", z\n"
                             "pad = \"  padded  \"\n"
                             "inner = \"say \"\"hi\"\"\"\n"
                             "mixed = ab\"c d\"ef\n"
                             "open = \"runs to the end ; of the line\n"
                             "next = after\n"
                             "\"quoted key\" = 1\n"
                             "eq = a=b\n"
                             "tab =\tx\t\n"));
    EXPECT_EQ(Str(inf, "S", "plain"), "value with  inner   spaces");
    EXPECT_EQ(Str(inf, "S", "semi"), "a;b");
    EXPECT_EQ(SectionValues(inf, "S")[2], (std::vector<std::string>{"comma", "x, y", "z"}));
    EXPECT_EQ(Str(inf, "S", "pad"), "  padded  ");
    EXPECT_EQ(Str(inf, "S", "inner"), "say \"hi\"");
    EXPECT_EQ(Str(inf, "S", "mixed"), "abc def");
    EXPECT_EQ(Str(inf, "S", "open"), "runs to the end ; of the line");
    EXPECT_EQ(Str(inf, "S", "next"), "after");
    EXPECT_EQ(Str(inf, "S", "Quoted Key"), "1");
    EXPECT_EQ(Str(inf, "S", "eq"), "a=b");
    EXPECT_EQ(Str(inf, "S", "tab"), "x");
    EXPECT_EQ(SectionValues(inf, "S").size(), 11u);
}

TEST(InfFileSyntax, BackslashAtTheEndContinuesTheLine)
{
    InfFile inf;
    ASSERT_TRUE(inf.OpenText("[S]\n"
                             "list = one, \\\n"
                             "       two, three\n"
                             "name = long \\\n"
                             "name\n"
                             "commented = a \\   ; a comment after the backslash\n"
                             "b\n"
                             "path = C:\\dir\\file\n"
                             "quoted = \"ends in \\\"\n"
                             "after = 1\n"));
    EXPECT_EQ(SectionValues(inf, "S"), (Values{{"list", "one", "two", "three"},
                                               {"name", "long name"},
                                               {"commented", "a b"},
                                               {"path", "C:\\dir\\file"},
                                               {"quoted", "ends in \\"},
                                               {"after", "1"}}));
}

TEST(InfFileSyntax, CrLfLineEndsAndByteOrderMark)
{
    InfFile inf;
    ASSERT_TRUE(inf.OpenText("\xEF\xBB\xBF[Factory]\r\nCount = 1\r\n12 = \"Philips\"\r\nlast = x \\\r\ny\r\n"));
    EXPECT_EQ(SectionValues(inf, "Factory"), (Values{{"Count", "1"}, {"12", "Philips"}, {"last", "x y"}}));
    std::int32_t v = 0;
    ASSERT_TRUE(inf.GetIntField(LineOf(inf, "Factory", "Count"), 1, v));
    EXPECT_EQ(v, 1);
}

TEST(InfFileSyntax, StringsAreSubstitutedWhenFieldsAreRead)
{
    InfFile inf;
    ASSERT_TRUE(inf.OpenText("[S]\n"
                             "maker = %Maker% Tuners\n"
                             "count = %N%\n"
                             "percent = 100%%\n"
                             "lone = 50% off\n"
                             "unknown = %Nope% here\n"
                             "quoted = \"%maker%, quoted\"\n"
                             "nested = %Outer%\n"
                             "%Maker% = keys are matched as written\n"
                             "empty = %Empty%%Empty%x\n"
                             "[Strings]\n"
                             "MAKER = \"Philips\"\n"
                             "n = 0x10\n"
                             "outer = %maker%\n"
                             "maker = second definition\n"
                             "empty = \"\"\n"));
    EXPECT_EQ(Str(inf, "S", "maker"), "Philips Tuners");
    std::int32_t v = 0;
    ASSERT_TRUE(inf.GetIntField(LineOf(inf, "S", "count"), 1, v));
    EXPECT_EQ(v, 16);
    EXPECT_EQ(Str(inf, "S", "percent"), "100%");
    EXPECT_EQ(Str(inf, "S", "lone"), "50% off");
    EXPECT_EQ(Str(inf, "S", "unknown"), "%Nope% here");
    EXPECT_EQ(Str(inf, "S", "quoted"), "Philips, quoted");
    EXPECT_EQ(Str(inf, "S", "nested"), "%maker%"); // values are not substituted again
    EXPECT_EQ(Str(inf, "S", "%maker%", 0), "Philips");
    EXPECT_EQ(Str(inf, "S", "empty"), "x");
    InfFile::Context ctx;
    EXPECT_FALSE(inf.FindFirstLine("S", "Philips", ctx));
}

TEST(InfFileFields, IntegersAreDecimalOrHexadecimalAndNothingElse)
{
    const std::vector<std::pair<std::string, std::int32_t>> good = {
        {"0", 0},
        {"7", 7},
        {"08", 8},
        {"0012", 12},
        {"-12", -12},
        {"+7", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"-0x10", -16},
        {"0x0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0x7FFFFFFF", 2147483647},
        {"-0x80000000", -2147483647 - 1},
        {"000000000000000000000000000000042", 42},
    };
    for (const auto& [text, expected] : good) {
        std::int32_t v = -999;
        EXPECT_TRUE(IntOf(text, v)) << text;
        EXPECT_EQ(v, expected) << text;
    }
    const std::vector<std::string> bad = {
        "",    "12abc",   "0x",  "0x1G",       "-",           "+",          "1.5",
        "1 2", "\" 5 \"", "x12", "2147483648", "-2147483649", "0x80000000", "99999999999999999999",
        "--1", "0b101",   "1e3"};
    for (const std::string& text : bad) {
        std::int32_t v = -999;
        EXPECT_FALSE(IntOf(text, v)) << text;
        EXPECT_EQ(v, -999) << text;
    }
}

TEST(InfFileFields, StringFieldsHoldAtMost511Characters)
{
    const std::string ascii511(511, 'n');
    const std::string utf8_511 = [] {
        std::string s;
        for (int i = 0; i < 511; ++i)
            s += "\xC3\xA9"; // e with an acute accent
        return s;
    }();
    InfFile inf;
    ASSERT_TRUE(inf.OpenText("[S]\n"
                             "a511 = " +
                             ascii511 +
                             "\n"
                             "a512 = " +
                             ascii511 +
                             "n\n"
                             "u511 = " +
                             utf8_511 +
                             "\n"
                             "u512 = " +
                             utf8_511 +
                             "\xC3\xA9\n"
                             "sub = " +
                             std::string(500, 'x') +
                             "%Twelve%\n"
                             "sub11 = " +
                             std::string(500, 'x') +
                             "%Eleven%\n"
                             "[Strings]\n"
                             "Twelve = 123456789012\n"
                             "Eleven = 12345678901\n"));
    EXPECT_EQ(Str(inf, "S", "a511"), ascii511);
    EXPECT_EQ(Str(inf, "S", "a512"), "<none>");
    EXPECT_EQ(Str(inf, "S", "u511"), utf8_511);
    EXPECT_EQ(Str(inf, "S", "u512"), "<none>");
    EXPECT_EQ(Str(inf, "S", "sub"), "<none>"); // too long once substituted
    EXPECT_EQ(Str(inf, "S", "sub11"), std::string(500, 'x') + "12345678901");
}

TEST(InfFileOpen, MissingUnreadableAndOversizedFilesAreNotOpened)
{
    TempDir dir;
    InfFile inf;
    EXPECT_FALSE(inf.Open(dir.File("absent.inf")));
    EXPECT_FALSE(inf.IsOpen());
    EXPECT_FALSE(inf.Open(dir.Path()));

    const std::string big = dir.File("big.inf");
    WriteAll(big, Bytes{'[', 'S', ']', '\n', 'k', '=', '1', '\n'});
    ASSERT_TRUE(inf.Open(big));
    EXPECT_TRUE(inf.IsOpen());
    EXPECT_EQ(Str(inf, "S", "k"), "1");
    std::filesystem::resize_file(big, InfFile::kMaxFileSize + 1);
    EXPECT_FALSE(inf.Open(big));
    EXPECT_FALSE(inf.IsOpen());
    InfFile::Context ctx;
    EXPECT_FALSE(inf.FindFirstLine("S", "k", ctx)); // nothing of the earlier file is left
    std::filesystem::resize_file(big, InfFile::kMaxFileSize);
    EXPECT_TRUE(inf.Open(big)); // the trailing zero bytes are one long field

    inf.Close();
    EXPECT_FALSE(inf.IsOpen());
    EXPECT_FALSE(inf.FindFirstLine("S", "k", ctx));
    EXPECT_EQ(inf.FieldCount(ctx), 0);
}

TEST(InfFileSyntax, DamagedHeadersAndEmptyFiles)
{
    InfFile inf;
    ASSERT_TRUE(inf.OpenText(""));
    InfFile::Context ctx;
    EXPECT_FALSE(inf.FindFirstLine("S", ctx));

    ASSERT_TRUE(inf.OpenText("[S]\na = 1\n[Broken\nb = 2\n[  Spaced Name  ]\nc = 3"));
    EXPECT_EQ(SectionValues(inf, "S"), (Values{{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(Str(inf, "spaced name", "c"), "3"); // no line end at the end of the file
    EXPECT_FALSE(inf.FindFirstLine("Broken", ctx));
}
