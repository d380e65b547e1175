// The tool's number forms, JSON writer and reader, and CSV reader, in-process.

#include <gtest/gtest.h>

#include <charconv>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "tables/text/Csv.h"
#include "tables/text/Json.h"
#include "tables/text/Numbers.h"
#include "tables/text/TableJson.h"

namespace {

double FromBits(std::uint64_t bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::uint64_t BitsOf(double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

std::string ParseError(const std::string& text)
{
    JsonValue value;
    std::string error;
    EXPECT_FALSE(ParseJson(text, value, error)) << text;
    return error;
}

} // namespace

TEST(ToolNumbers, ShortestFormsAndNonFiniteNames)
{
    EXPECT_EQ(FormatDouble(55.25), "55.25");
    EXPECT_EQ(FormatDouble(160.0), "160");
    EXPECT_EQ(FormatDouble(static_cast<double>(175.26f)), "175.25999450683594");
    EXPECT_EQ(FormatDouble(175.26), "175.26");
    EXPECT_EQ(FormatDouble(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(FormatDouble(-0.0), "-0");
    EXPECT_EQ(FormatDouble(std::numeric_limits<double>::denorm_min()), "5e-324");
    EXPECT_EQ(FormatDouble(1e300), "1e+300");
    EXPECT_EQ(FormatDouble(std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(FormatDouble(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::infinity()), "-inf");
    // The NaN that 0.0 / 0.0 gives on x86 has the sign bit set.
    EXPECT_EQ(FormatDouble(FromBits(0xFFF8000000000000ull)), "nan:fff8000000000000");
    EXPECT_EQ(FormatDouble(FromBits(0x7FF0000000000001ull)), "nan:7ff0000000000001");
}

// Frequencies of a few decimals take a quicker way to their text: it must be
// to_chars's text for every value, those near the quick way's edges above all.
TEST(ToolNumbers, FrequenciesOfFewDecimalsReadAsToCharsWritesThem)
{
    const auto toChars = [](double value) {
        char buffer[32];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    };
    std::vector<double> values = {0.001,      0.00099999, 0.0010000000000000002,
                                  9999.99999, 10000.0,    9999.999999,
                                  1000.0,     100.0,      0.01,
                                  0.1,        0.3,        0.00123,
                                  48.25,      863.25,     4141.9375,
                                  8283.875,   0.1 + 0.2,  1e-5,
                                  5e-4,       12345.5,    99999.0};
    for (std::int64_t units = 1; units < 1000000000; units = units * 3 + 7)
        values.push_back(static_cast<double>(units) / 100000.0);
    for (std::int64_t units = 0; units < 50000; ++units)
        values.push_back(45.0 + 0.0625 * static_cast<double>(units) / 16.0 + static_cast<double>(units % 7) * 1e-5);
    std::mt19937_64 random(5);
    for (int i = 0; i < 50000; ++i) {
        values.push_back(std::uniform_real_distribution<double>(0.0, 12000.0)(random));
        values.push_back(static_cast<double>(random() % 2000000000) / 100000.0);
    }
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i) {
        values.push_back(std::nextafter(values[i], 0.0));
        values.push_back(std::nextafter(values[i], 1e9));
    }
    for (const double value : values) {
        ASSERT_EQ(FormatDouble(value), toChars(value)) << std::hexfloat << value;
        ASSERT_EQ(FormatDouble(-value), toChars(-value)) << std::hexfloat << -value;
    }
}

TEST(ToolNumbers, EveryBitPatternReadsBackUnchanged)
{
    std::mt19937_64 random(20261206);
    std::vector<std::uint64_t> patterns = {0,
                                           0x8000000000000000ull,
                                           0x7FF0000000000000ull,
                                           0xFFF0000000000000ull,
                                           0x7FF8000000000000ull,
                                           0x7FFFFFFFFFFFFFFFull,
                                           0xFFFFFFFFFFFFFFFFull,
                                           0x0000000000000001ull,
                                           0x7FEFFFFFFFFFFFFFull};
    for (int i = 0; i < 200000; ++i)
        patterns.push_back(random());
    for (std::uint64_t bits : patterns) {
        const std::string text = FormatDouble(FromBits(bits));
        double back = 0.0;
        ASSERT_TRUE(ParseDouble(text, back)) << text;
        ASSERT_EQ(BitsOf(back), bits) << text;
    }
}

TEST(ToolNumbers, RefusesWhatIsNotANumberOfTheseForms)
{
    double d = 0.0;
    for (const char* text : {"", "-", "+1", "infinity", "Inf", "NaN", "nan(1)", "-nan", "1e400", "-1e400", "12abc",
                             " 1", "1 ", "nan:7ff0000000000000", "nan:7ff800000000000", "nan:xyz", "0x10", "e5"})
        EXPECT_FALSE(ParseDouble(text, d)) << text;
    EXPECT_TRUE(ParseDouble("7.0", d));
    EXPECT_EQ(d, 7.0);
    EXPECT_TRUE(ParseDouble("-1.5E2", d));
    EXPECT_EQ(d, -150.0);
    EXPECT_TRUE(ParseDouble("142.15", d));
    EXPECT_EQ(d, 142.15);

    std::int64_t i = 0;
    EXPECT_TRUE(ParseInteger("-2147483648", i));
    EXPECT_EQ(i, -2147483648LL);
    for (const char* text : {"", "-", "+3", "1.0", "1e2", "0x1F", "99999999999999999999", " 4"})
        EXPECT_FALSE(ParseInteger(text, i)) << text;
}

TEST(ToolNumbers, HexBytesBothWays)
{
    const std::uint8_t mark[4] = {0x00, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(HexBytes(mark, 4), "0000ffff");
    std::uint8_t back[4] = {};
    ASSERT_TRUE(ParseHexBytes("0A0bFf10", back, 4));
    EXPECT_EQ(back[0], 0x0A);
    EXPECT_EQ(back[1], 0x0B);
    EXPECT_EQ(back[2], 0xFF);
    EXPECT_EQ(back[3], 0x10);
    EXPECT_FALSE(ParseHexBytes("0000fff", back, 4));
    EXPECT_FALSE(ParseHexBytes("0000ffff0", back, 4));
    EXPECT_FALSE(ParseHexBytes("0000fffg", back, 4));
}

TEST(ToolJsonWriter, CompactKeysInOrderAndCommasInPlace)
{
    JsonWriter json;
    json.BeginObject();
    json.Key("b").Integer(-5);
    json.Key("a").BeginArray().EndArray();
    json.Key("list").BeginArray().Double(55.25).Double(160.0).BeginObject().EndObject().Null().EndArray();
    json.Key("nested").BeginObject().Key("x").String("y").EndObject();
    json.Key("nan").Double(std::numeric_limits<double>::quiet_NaN());
    json.Key("neg").Double(-std::numeric_limits<double>::infinity());
    json.EndObject();
    EXPECT_EQ(json.Text(), "{\"b\":-5,\"a\":[],\"list\":[55.25,160,{},null],\"nested\":{\"x\":\"y\"},"
                           "\"nan\":\"nan\",\"neg\":\"-inf\"}");
}

TEST(ToolJsonWriter, EscapesAsJsonRequires)
{
    JsonWriter json;
    json.BeginArray();
    json.String(std::string("q\"b\\n\nt\tc\x01\x1f\x7f/", 13));
    const std::uint8_t magic[4] = {0x00, 0x22, 0x5C, 0xFF};
    json.ByteString(magic, 4);
    json.String("caf\xC3\xA9 \xFF!"); // a stray byte is not UTF-8
    json.EndArray();
    EXPECT_EQ(json.Text(), "[\"q\\\"b\\\\n\\nt\\tc\\u0001\\u001f\x7f/\","
                           "\"\\u0000\\\"\\\\\xC3\xBF\","
                           "\"caf\xC3\xA9 \xEF\xBF\xBD!\"]");
}

TEST(ToolJsonWriter, EveryByteOfAMagicComesBack)
{
    for (int first = 0; first < 256; first += 4) {
        std::uint8_t bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<std::uint8_t>(first + i);
        JsonWriter json;
        json.ByteString(bytes, 4);
        JsonValue value;
        std::string error;
        ASSERT_TRUE(ParseJson(json.Text(), value, error)) << error;
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(BytesFromJsonString(value.text, back));
        EXPECT_EQ(back, std::vector<std::uint8_t>(bytes, bytes + 4));
    }
    std::vector<std::uint8_t> back;
    EXPECT_FALSE(BytesFromJsonString("\xC4\x80", back)); // U+0100
}

TEST(ToolJsonReader, ReadsValuesAndKeepsNumberText)
{
    JsonValue value;
    std::string error;
    ASSERT_TRUE(ParseJson(" {\"a\" : [1.50, -0, 2e-3, true, false, null],\n\t\"s\":\"\\u00e9\\ud83d\\ude00\\/\"} \r\n",
                          value, error))
        << error;
    ASSERT_EQ(value.type, JsonValue::Type::Object);
    ASSERT_EQ(value.members.size(), 2u);
    EXPECT_EQ(value.members[0].first, "a");
    const JsonValue* a = value.Find("a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->items.size(), 6u);
    EXPECT_EQ(a->items[0].text, "1.50");
    EXPECT_EQ(a->items[1].text, "-0");
    EXPECT_EQ(a->items[2].text, "2e-3");
    EXPECT_EQ(a->items[3].type, JsonValue::Type::Bool);
    EXPECT_TRUE(a->items[3].boolean);
    EXPECT_FALSE(a->items[4].boolean);
    EXPECT_EQ(a->items[5].type, JsonValue::Type::Null);
    EXPECT_EQ(value.Find("s")->text, "\xC3\xA9\xF0\x9F\x98\x80/");
    EXPECT_EQ(value.Find("missing"), nullptr);
}

TEST(ToolJsonReader, RefusesMalformedDocumentsAndSaysWhere)
{
    EXPECT_EQ(ParseError("{\"a\":1,}"), "line 1, column 8: expected a key in double quotes");
    EXPECT_EQ(ParseError("{\"a\":1,\n \"a\":2}"), "line 2, column 2: duplicate key \"a\"");
    EXPECT_EQ(ParseError("[1] x"), "line 1, column 5: unexpected text after the end of the document");
    EXPECT_EQ(ParseError("[01]"), "line 1, column 3: expected ',' or ']'");
    EXPECT_EQ(ParseError("[1.]"), "line 1, column 4: digits expected after the decimal point");
    EXPECT_EQ(ParseError("[\"\\ud800\"]"), "line 1, column 9: unpaired surrogate in \\u escape");
    EXPECT_EQ(ParseError("[\"\\udc00\"]"), "line 1, column 9: unpaired surrogate in \\u escape");
    EXPECT_EQ(ParseError("[\"a\nb\"]"), "line 1, column 4: control character in a string");
    EXPECT_EQ(ParseError("[\"\xC3\"]"), "line 1, column 3: text that is not UTF-8");
    EXPECT_EQ(ParseError("[\"\\x41\"]"), "line 1, column 4: unknown escape");
    EXPECT_EQ(ParseError("[\"abc"), "line 1, column 6: unterminated string");
    EXPECT_EQ(ParseError(""), "line 1, column 1: unexpected end of the document");
    EXPECT_EQ(ParseError("[nan]"), "line 1, column 2: unexpected character");
    EXPECT_EQ(ParseError("{\"a\" 1}"), "line 1, column 6: expected ':'");
    EXPECT_EQ(ParseError(std::string(65, '[') + std::string(65, ']')), "line 1, column 65: nested too deeply");

    JsonValue value;
    std::string error;
    EXPECT_TRUE(ParseJson(std::string(64, '[') + std::string(64, ']'), value, error)) << error;
}

TEST(ToolJsonReader, MessagesQuoteAShortPrefixOfAKey)
{
    const std::string key(100000, 'k');
    EXPECT_EQ(ParseError("{\"" + key + "\":1,\"" + key + "\":2}"),
              "line 1, column 100007: duplicate key \"" + key.substr(0, 40) + "\"... (100000 bytes)");
    EXPECT_EQ(ParseError("{\"a\\nb\":1,\"a\\nb\":2}"), "line 1, column 11: duplicate key \"a\\nb\"");
}

TEST(ToolCsv, QuotesLineEndsAndEmptyLines)
{
    std::vector<CsvRecord> rows;
    std::string error;
    ASSERT_TRUE(
        ParseCsv("\xEF\xBB\xBFlist,channel,frequency_mhz\r\n\r\nair,1,\"55.25\"\n\"a,\"\"b\"\"\nc\",,x\n", rows, error))
        << error;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].line, 1u);
    EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"list", "channel", "frequency_mhz"}));
    EXPECT_EQ(rows[1].line, 3u);
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"air", "1", "55.25"}));
    EXPECT_EQ(rows[2].line, 4u);
    EXPECT_EQ(rows[2].fields, (std::vector<std::string>{"a,\"b\"\nc", "", "x"}));

    EXPECT_FALSE(ParseCsv("a,b\n\"open,c\n", rows, error));
    EXPECT_EQ(error, "line 2: a quote is never closed");
    EXPECT_FALSE(ParseCsv("a,\"b\"c\n", rows, error));
    EXPECT_EQ(error, "line 1: text after a closing quote");
}

namespace {

// Counts what the reader hands on, keeping nothing.
class CountingHandler : public JsonHandler
{
public:
    void BeginObject(std::size_t) override {}
    void Key(std::string_view) override { ++keys; }
    void EndObject() override {}
    void BeginArray(std::size_t) override {}
    void EndArray() override {}
    void Scalar(JsonValue::Type, std::string_view, std::size_t) override { ++scalars; }

    std::size_t keys = 0;
    std::size_t scalars = 0;
};

// One object of `count` keys "k0", "k1", ... holding 0, then `last`.
std::string ManyKeys(std::size_t count, const std::string& last = "")
{
    std::string text = "{";
    for (std::size_t i = 0; i < count; ++i)
        text += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":0";
    return text + last + "}";
}

} // namespace

TEST(ToolJsonReader, EachKeyCostsAFewComparisonsHoweverLargeItsObject)
{
    // Checking a key against every earlier one would make 2e10 comparisons.
    const std::size_t keys = 200000;
    CountingHandler handler;
    JsonReadCounts counts;
    JsonParseError error;
    ASSERT_TRUE(ReadJson(ManyKeys(keys), handler, error, &counts)) << error.Text();
    EXPECT_EQ(handler.keys, keys);
    EXPECT_LE(counts.keyComparisons, 4 * keys);
    // The same through the reader of build and of the editors' import.
    TableJsonDocument document;
    JsonReadCounts tableCounts;
    ASSERT_TRUE(document.Read(ManyKeys(keys), error, &tableCounts)) << error.Text();
    EXPECT_LE(tableCounts.keyComparisons, 4 * keys);
    EXPECT_EQ(document.Root().members.size(), 1u); // only the first key a table does not know

    // Many small objects: each is checked on its own.
    std::string entries = "[";
    for (std::size_t i = 0; i < keys / 10; ++i)
        entries += (i ? "," : "") + ManyKeys(10);
    JsonReadCounts small;
    ASSERT_TRUE(ReadJson(entries + "]", handler, error, &small)) << error.Text();
    EXPECT_EQ(small.keyComparisons, keys / 10 * 45);

    // A repeat among hashed keys is found where it stands, through escapes
    // in the later key or in the earlier one.
    const std::string repeated = ManyKeys(keys, ",\"k\\u00317\":1");
    JsonReadCounts repeatCounts;
    EXPECT_FALSE(ReadJson(repeated, handler, error, &repeatCounts));
    EXPECT_EQ(error.Text(),
              "line 1, column " + std::to_string(repeated.rfind("\"k\\u") + 1) + ": duplicate key \"k17\"");
    EXPECT_LE(repeatCounts.keyComparisons, 4 * keys);
    const std::string escapedFirst = "{\"a\\\\b\":1," + ManyKeys(40, ",\"a\\u005cb\":2").substr(1);
    EXPECT_EQ(ParseError(escapedFirst),
              "line 1, column " + std::to_string(escapedFirst.rfind("\"a\\u") + 1) + ": duplicate key \"a\\\\b\"");
}

TEST(ToolJsonReader, TheDocumentsValuesComeInOrderWithTheirPlaces)
{
    struct Recorder : public JsonHandler
    {
        void BeginObject(std::size_t offset) override { log += "{" + std::to_string(offset); }
        void Key(std::string_view key) override { log += " " + std::string(key) + ":"; }
        void EndObject() override { log += "}"; }
        void BeginArray(std::size_t offset) override { log += "[" + std::to_string(offset); }
        void EndArray() override { log += "]"; }
        void Scalar(JsonValue::Type type, std::string_view text, std::size_t offset) override
        {
            log += " " + std::string(JsonTypeName(type)) + "=" + std::string(text) + "@" + std::to_string(offset);
        }
        std::string log;
    } recorder;
    JsonParseError error;
    ASSERT_TRUE(ReadJson("{\"a\": [1.50, \"x\\ny\"], \"b\\u0021\": {\"c\": null}, \"d\": true}", recorder, error));
    EXPECT_EQ(recorder.log, "{0 a:[6 a number=1.50@7 a string=x\ny@13] b!:{33 c: null=null@39} d: a boolean=true@51}");

    // What comes before a fault is handed on; nothing after it.
    Recorder partial;
    EXPECT_FALSE(ReadJson("[1, 2, x, 3]", partial, error));
    EXPECT_EQ(partial.log, "[0 a number=1@1 a number=2@4");
    EXPECT_EQ(error.Text(), "line 1, column 8: unexpected character");
}

TEST(ToolCsv, RowsComeOneAtATimeAndFieldsPastTheLimitAreOnlyCounted)
{
    const std::string text = "\xEF\xBB\xBF"
                             "a,b,c,d\r\n\n\"x,\"\"y\"\"\n\",2\n,,,,,\nlast";
    CsvReader reader(text, 2);
    CsvRecord row;
    ASSERT_TRUE(reader.Next(row));
    EXPECT_EQ(row.fields, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(row.fieldCount, 4u);
    EXPECT_EQ(row.line, 1u);
    ASSERT_TRUE(reader.Next(row));
    EXPECT_EQ(row.fields, (std::vector<std::string>{"x,\"y\"\n", "2"}));
    EXPECT_EQ(row.fieldCount, 2u);
    EXPECT_EQ(row.line, 3u);
    reader.KeepFields(0);
    ASSERT_TRUE(reader.Next(row));
    EXPECT_TRUE(row.fields.empty());
    EXPECT_EQ(row.fieldCount, 6u);
    EXPECT_EQ(row.line, 5u);
    EXPECT_EQ(CsvFieldPosition(text, row, 6).column, 6u);
    ASSERT_TRUE(reader.Next(row));
    EXPECT_EQ(row.line, 6u);
    EXPECT_FALSE(reader.Next(row));
    EXPECT_FALSE(reader.Failed());

    // A fault ends the rows wherever it lies.
    CsvReader faulty("a\nb\n\"c\nd");
    ASSERT_TRUE(faulty.Next(row));
    ASSERT_TRUE(faulty.Next(row));
    EXPECT_FALSE(faulty.Next(row));
    ASSERT_TRUE(faulty.Failed());
    EXPECT_EQ(faulty.Error().where.line, 3u);
    EXPECT_EQ(faulty.Error().where.column, 1u);
    EXPECT_EQ(faulty.Error().reason, "a quote is never closed");
}
