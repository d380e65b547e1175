// Every subcommand of the real vornalix-tool executable, on files the tests write.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>

#include "VornalixVersion.h"
#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

const char kUkJson[] = "{\"format\":\"ccf\",\"marker\":51968,\"reserved\":0,\"magic\":\"CHFQ\",\"country_code\":44,"
                       "\"end_mark\":\"0000ffff\",\"air\":{\"min\":1,\"max\":3,\"frequencies\":[55.25,0,62.25]},"
                       "\"cable\":{\"min\":0,\"max\":0,\"frequencies\":[]}}";

const char kTunerJson[] =
    "{\"format\":\"tsf\",\"marker\":51968,\"reserved\":0,\"magic\":\"TNSP\",\"entry_count\":1,"
    "\"end_mark\":\"0000ffff\",\"entries\":[{\"factory\":3,\"tuner_type\":18,\"sort_key\":213,"
    "\"low_band_start\":48.25,\"mid_band_start\":160,\"high_band_start\":442,\"high_band_end\":863.25,"
    "\"picture_carrier\":45.75,\"picture_carrier2\":0,\"low_code\":1,\"mid_code\":2,\"high_code\":8,"
    "\"reserved\":0}]}";

ChfqImage UkTable()
{
    ChfqImage image;
    image.air = {55.25, 0.0, 62.25};
    return image;
}

TnspImage OneTuner()
{
    TnspImage image;
    image.records.emplace_back();
    return image;
}

// Header counts 5 and 3, trailer 1..4 and 2..3: four air channels, the fifth
// air entry ignored, three cable channels from offset 72.
CftImage OldTable()
{
    CftImage image;
    image.country = 7;
    image.air = {{55.25f, 0, 0}, {175.26f, 1, 2}, {0.0f, 0, 0}, {62.25f, 65535, 7}, {999.0f, 9, 9}};
    image.cable = {{100.5f, 3, 4}, {110.25f, 0, 0}, {120.0f, 0, 1}};
    image.airMin = 1;
    image.airMax = 4;
    image.cableMin = 2;
    image.cableMax = 3;
    return image;
}

const char kCatalogue[] = "[Version]\n"
                          "Signature = \"$Windows NT$\"\n"
                          "[Factory]\n"
                          "Count = 3\n"
                          "12 = \"Philips Components\"\n"
                          "5 = Temic\n"
                          "25 = Alps\n"
                          "[18]\n"
                          "Count = 2\n"
                          "7 = X\n"
                          "10 = \"FI1236, FM1236\"\n"
                          "[05]\n"
                          "Count = 0\n";

const char kCatalogueJson[] =
    "{\"factories\":[{\"code\":18,\"name\":\"Philips Components\",\"tuner_types\":[{\"code\":7,\"text\":\"07 -- X\"},"
    "{\"code\":16,\"text\":\"10 -- FI1236, FM1236\"}]},{\"code\":5,\"name\":\"Temic\",\"tuner_types\":[]},"
    "{\"code\":37,\"name\":\"Alps\",\"tuner_types\":null}]}\n";

} // namespace

TEST(ToolProgram, VersionHelpAndBadArguments)
{
    ToolRun run = RunToolProcess({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "vornalix-tool " VORNALIX_VERSION "\n");

    run = RunToolProcess({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: vornalix-tool COMMAND", 0), 0u) << run.out;
    for (const char* command : {"dump", "build", "export", "convert", "check", "country", "catalogue", "matrix"}) {
        run = RunToolProcess({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("Usage: vornalix-tool ") + command, 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }

    run = RunToolProcess({});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Usage: vornalix-tool"), std::string::npos);

    run = RunToolProcess({"frobnicate"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: unknown command frobnicate (see vornalix-tool --help)\n");

    run = RunToolProcess({"dump", "--colour", "x.ccf"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: unknown option --colour (see vornalix-tool dump --help)\n");

    run = RunToolProcess({"dump"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: no file given (see vornalix-tool dump --help)\n");

    run = RunToolProcess({"dump", "--type", "xyz", "a.ccf"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: unknown --type xyz (ccf, cft or tsf) (see vornalix-tool dump --help)\n");
}

TEST(ToolDump, JsonOfEachTableTypeIsExact)
{
    TempDir dir;
    const std::string ccf = WriteFile(dir, "uk.ccf", UkTable().Build());
    const std::string tsf = WriteFile(dir, "one.tsf", OneTuner().Build());
    const std::string cft = WriteFile(dir, "ru.cft", OldTable().Build());

    ToolRun run = RunToolProcess({"dump", "--json", ccf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kUkJson) + "\n");

    run = RunToolProcess({"dump", "--json", tsf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kTunerJson) + "\n");

    run = RunToolProcess({"dump", "--json", cft});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "{\"format\":\"cft\",\"country_code\":7,\"air_count\":5,\"cable_count\":3,\"air_min\":1,\"air_max\":4,"
              "\"cable_min\":2,\"cable_max\":3,\"air\":[{\"frequency\":55.25,\"words\":[0,0]},"
              "{\"frequency\":175.25999450683594,\"words\":[1,2]},{\"frequency\":0,\"words\":[0,0]},"
              "{\"frequency\":62.25,\"words\":[65535,7]}],\"cable\":[{\"frequency\":100.5,\"words\":[3,4]},"
              "{\"frequency\":110.25,\"words\":[0,0]},{\"frequency\":120,\"words\":[0,1]}]}\n");

    run = RunToolProcess({"dump", "--json", ccf, tsf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "[" + std::string(kUkJson) + "," + kTunerJson + "]\n");
}

TEST(ToolDump, OddFieldsAsJsonStrings)
{
    TempDir dir;
    ChfqImage image;
    image.marker = 0x1234;
    image.reserved = 7;
    image.magic = {0x00, '"', '\\', 0xFF};
    image.country = -44;
    image.airMin = 65535;
    image.cableMin = 2;
    image.endMark = {0xDE, 0xAD, 0xBE, 0xEF};
    image.air = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -0.0};
    image.cable = {-std::numeric_limits<double>::infinity(), 1e-300};
    const ToolRun run = RunToolProcess({"dump", "--json", WriteFile(dir, "odd.ccf", image.Build())});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"format\":\"ccf\",\"marker\":4660,\"reserved\":7,\"magic\":\"\\u0000\\\"\\\\\xC3\xBF\","
                       "\"country_code\":-44,\"end_mark\":\"deadbeef\",\"air\":{\"min\":65535,\"max\":3,"
                       "\"frequencies\":[\"nan\",\"inf\",-0]},\"cable\":{\"min\":2,\"max\":2,"
                       "\"frequencies\":[\"-inf\",1e-300]}}\n");
}

TEST(ToolDump, ListingForDiffs)
{
    TempDir dir;
    ChfqImage image = UkTable();
    image.cable = {175.25};
    image.cableMin = 1;
    const std::string ccf = WriteFile(dir, "uk.ccf", image.Build());
    ToolRun run = RunToolProcess({"dump", ccf});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string ukListing = "channel frequency table (ccf)\n"
                                  "marker: 0xCB00\n"
                                  "reserved: 0\n"
                                  "magic: \"CHFQ\"\n"
                                  "country code: 44 (United Kingdom, PAL_I)\n"
                                  "end mark: 0000ffff\n"
                                  "air channels: 3, range 1 to 3\n"
                                  "  air 001  55.25 MHz\n"
                                  "  air 002  0 MHz (empty)\n"
                                  "  air 003  62.25 MHz\n"
                                  "cable channels: 1, range 1 to 1\n"
                                  "  cable 001  175.25 MHz\n";
    EXPECT_EQ(run.out, ukListing);

    TnspImage tuners = OneTuner();
    tuners.magic = {'T', 'N', 0x01, '"'};
    const std::string tsf = WriteFile(dir, "one.tsf", tuners.Build());
    run = RunToolProcess({"dump", tsf});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string tunerListing = "tuner specification table (tsf)\n"
                                     "marker: 0xCB00\n"
                                     "reserved: 0\n"
                                     "magic: \"TN\\x01\\x22\"\n"
                                     "entry count: 1\n"
                                     "end mark: 0000ffff\n"
                                     "entry 000 (03:12): sort key 213\n"
                                     "  low band: 48.25 to 160 MHz, code 0001\n"
                                     "  mid band: 160 to 442 MHz, code 0002\n"
                                     "  high band: 442 to 863.25 MHz, code 0008\n"
                                     "  picture carrier: 45.75 MHz, picture carrier 2: 0 MHz\n"
                                     "  reserved: 0\n";
    EXPECT_EQ(run.out, tunerListing);

    run = RunToolProcess({"dump", WriteFile(dir, "ru.cft", OldTable().Build())});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "old channel table (cft)\n"
                       "country code: 7 (Russia, SECAM_D)\n"
                       "header counts: air 5, cable 3\n"
                       "air channels: 4, range 1 to 4\n"
                       "  air 001  55.25 MHz  words 0 0\n"
                       "  air 002  175.25999450683594 MHz  words 1 2\n"
                       "  air 003  0 MHz (empty)  words 0 0\n"
                       "  air 004  62.25 MHz  words 65535 7\n"
                       "cable channels: 3, range 2 to 3\n"
                       "  cable 001  100.5 MHz  words 3 4\n"
                       "  cable 002  110.25 MHz  words 0 0\n"
                       "  cable 003  120 MHz  words 0 1\n");

    run = RunToolProcess({"dump", ccf, tsf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "==> " + ccf + " <==\n" + ukListing + "\n==> " + tsf + " <==\n" + tunerListing);
}

TEST(ToolDump, TypeFromExtensionInAnyCaseOrFromOption)
{
    TempDir dir;
    const Bytes ccf = UkTable().Build();
    ToolRun run = RunToolProcess({"dump", "--json", WriteFile(dir, "UK.CcF", ccf)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kUkJson) + "\n");

    // A name without a table's extension: the magic tells, as in the editors.
    const std::string bin = WriteFile(dir, "uk.bin", ccf);
    run = RunToolProcess({"dump", "--json", bin});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kUkJson) + "\n");
    Bytes unknownBytes = ccf;
    unknownBytes[4] = 'X';
    const std::string unknown = WriteFile(dir, "unknown.bin", unknownBytes);
    run = RunToolProcess({"dump", "--json", unknown});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: " + unknown +
                           ": unknown table type: the name does not end in .ccf, .cft or .tsf and the file has no "
                           "table magic (use --type ccf|cft|tsf)\n");

    run = RunToolProcess({"dump", "--json", "--type=ccf", bin});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kUkJson) + "\n");

    // The option wins over the extension: the same bytes read as a tuner table.
    run = RunToolProcess({"dump", "--type", "tsf", "--json", WriteFile(dir, "x.ccf", OneTuner().Build())});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kTunerJson) + "\n");
}

TEST(ToolDump, EmptyTunerTableAndUnreadableFiles)
{
    TempDir dir;
    // A count of 0: the header alone, as the editor saves an empty table. The
    // table reads nothing past the header, so its end mark is zero.
    ToolRun run = RunToolProcess({"dump", "--json", WriteFile(dir, "empty.tsf", TnspImage().Build())});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"format\":\"tsf\",\"marker\":51968,\"reserved\":0,\"magic\":\"TNSP\",\"entry_count\":0,"
                       "\"end_mark\":\"00000000\",\"entries\":[]}\n");

    const std::string missing = dir.File("missing.ccf");
    run = RunToolProcess({"dump", missing});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: " + missing + ": cannot be read: No such file or directory\n");

    std::filesystem::create_directory(dir.File("folder.tsf"));
    run = RunToolProcess({"dump", dir.File("folder.tsf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("folder.tsf") + ": cannot be read: Is a directory\n");

    // The legacy reader refuses a header that counts no cable entries.
    CftImage refused = OldTable();
    refused.cable.clear();
    const std::string cft = WriteFile(dir, "refused.cft", refused.Build());
    run = RunToolProcess({"dump", cft});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + cft +
                           ": not an old channel table: its header counts 5 air and 0 cable entries, and both must "
                           "be above 0\n");

    // The files that can be read are still shown.
    const std::string ccf = WriteFile(dir, "uk.ccf", UkTable().Build());
    run = RunToolProcess({"dump", "--json", missing, ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "[" + std::string(kUkJson) + "]\n");
    EXPECT_EQ(run.err, "vornalix-tool: " + missing + ": cannot be read: No such file or directory\n");
}

TEST(ToolBuild, FromDumpedJsonGivesTheSameBytes)
{
    TempDir dir;
    const Bytes ccf = UkTable().Build();
    const std::string json =
        WriteText(dir, "uk.json", RunToolProcess({"dump", "--json", WriteFile(dir, "uk.ccf", ccf)}).out);
    ToolRun run = RunToolProcess({"build", json, "-o", dir.File("out.ccf")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadAll(dir.File("out.ccf")), ccf);

    const Bytes tsf = OneTuner().Build();
    const std::string tunerJson =
        WriteText(dir, "one.json", RunToolProcess({"dump", "--json", WriteFile(dir, "one.tsf", tsf)}).out);
    run = RunToolProcess({"build", "--output", dir.File("out.tsf"), tunerJson});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir.File("out.tsf")), tsf);
}

TEST(ToolBuild, LeftOutFieldsTakeTheValuesOfANewTable)
{
    TempDir dir;
    const std::string json = WriteText(dir, "de.json",
                                       "{\"format\": \"ccf\", \"country_code\": 49,\n"
                                       " \"air\": {\"frequencies\": [0, 48.25, \"inf\", 0]},\n"
                                       " \"cable\": {\"frequencies\": []}}\n");
    ToolRun run = RunToolProcess({"build", json, "-o", dir.File("de.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    Bytes expected;
    PutBytes(expected, {0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'});
    PutI32(expected, 49);
    PutU16(expected, 4);
    PutU16(expected, 2); // the first channel with a frequency
    PutU16(expected, 0);
    PutU16(expected, 0);
    PutF64(expected, 0.0);
    PutF64(expected, 48.25);
    PutF64(expected, std::numeric_limits<double>::infinity());
    PutF64(expected, 0.0);
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(ReadAll(dir.File("de.ccf")), expected);

    // Entries keep the document's order and repeated keys.
    const std::string tunerJson =
        WriteText(dir, "t.json",
                  "{\"format\":\"tsf\",\"entries\":["
                  "{\"factory\":3,\"tuner_type\":18,\"low_band_start\":48.25,\"mid_band_start\":160,"
                  "\"high_band_start\":442,\"high_band_end\":863.25,\"picture_carrier\":45.75,"
                  "\"low_code\":1,\"mid_code\":2,\"high_code\":8},"
                  "{\"factory\":1,\"tuner_type\":1,\"low_band_start\":1,\"mid_band_start\":2,"
                  "\"high_band_start\":3,\"high_band_end\":4,\"picture_carrier\":5,\"picture_carrier2\":6,"
                  "\"low_code\":65535,\"mid_code\":0,\"high_code\":0,\"reserved\":9},"
                  "{\"factory\":3,\"tuner_type\":18,\"low_band_start\":1,\"mid_band_start\":1,"
                  "\"high_band_start\":1,\"high_band_end\":1,\"picture_carrier\":1,"
                  "\"low_code\":0,\"mid_code\":0,\"high_code\":0}]}");
    run = RunToolProcess({"build", tunerJson, "-o", dir.File("t.tsf")});
    ASSERT_EQ(run.status, 0) << run.err;
    TnspImage tuners;
    tuners.records.emplace_back();
    TnspRecord second;
    second.factory = 1;
    second.tunerType = 1;
    second.low = 1;
    second.mid = 2;
    second.high = 3;
    second.end = 4;
    second.pc = 5;
    second.pc2 = 6;
    second.lowCode = 65535;
    second.midCode = 0;
    second.highCode = 0;
    second.reserved = 9;
    tuners.records.push_back(second);
    TnspRecord third;
    third.low = third.mid = third.high = third.end = third.pc = 1;
    third.lowCode = third.midCode = third.highCode = 0;
    tuners.records.push_back(third);
    EXPECT_EQ(ReadAll(dir.File("t.tsf")), tuners.Build());

    // No entries: the header alone, and that is what was asked for.
    run = RunToolProcess(
        {"build", WriteText(dir, "e.json", "{\"format\":\"tsf\",\"entries\":[]}"), "-o", dir.File("e.tsf")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir.File("e.tsf")), TnspImage().Build());
}

TEST(ToolBuild, RefusesDocumentsThatDoNotDescribeATable)
{
    TempDir dir;
    const auto refuse = [&dir](const std::string& text, const std::string& message, const std::string& out = "o.ccf") {
        const std::string json = WriteText(dir, "bad.json", text);
        const ToolRun run = RunToolProcess({"build", json, "-o", dir.File(out)});
        EXPECT_EQ(run.status, 2) << text;
        EXPECT_EQ(run.err, "vornalix-tool: " + json + ": " + message + "\n") << text;
        EXPECT_FALSE(FileExists(dir.File(out))) << text;
    };
    const std::string lists = "\"air\":{\"frequencies\":[55.25,62.25]},\"cable\":{\"frequencies\":[]}";
    refuse("{\"format\":\"ccf\",", "not valid JSON: line 1, column 17: expected a key in double quotes");
    refuse("[1]", "not a table: the document must be one object, as dump --json writes it for one file");
    refuse("{\"format\":\"xyz\"}", "\"format\" must be \"ccf\" or \"tsf\"");
    refuse("{\"format\":\"cft\"}", "old tables (cft) are read only: convert the .cft file instead");
    refuse("{\"format\":\"ccf\"," + lists + "}", "not a channel table: country_code is missing");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"colour\":2," + lists + "}",
           "not a channel table: colour is not a field of this table");
    refuse("{\"format\":\"ccf\",\"country_code\":2147483648," + lists + "}",
           "not a channel table: country_code must be an integer from -2147483648 to 2147483647");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"marker\":1.5," + lists + "}",
           "not a channel table: marker must be an integer from 0 to 65535");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"magic\":\"CHF\"," + lists + "}",
           "not a channel table: magic must be 4 characters, each from U+0000 to U+00FF");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"magic\":\"CHF\\u0100\"," + lists + "}",
           "not a channel table: magic must be 4 characters, each from U+0000 to U+00FF");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"end_mark\":\"0000fff\"," + lists + "}",
           "not a channel table: end_mark must be 8 hex digits, the 4 bytes in file order");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"max\":3,\"frequencies\":[55.25,62.25]},"
           "\"cable\":{\"frequencies\":[]}}",
           "not a channel table: air.max 3 does not match the 2 frequencies (leave it out to take their number)");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[55.25,\"62.25\"]},"
           "\"cable\":{\"frequencies\":[]}}",
           "not a channel table: air.frequencies[1] must be a number, or one of the strings \"nan\", \"inf\", "
           "\"-inf\"");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[1e999]},\"cable\":{\"frequencies\":[]}}",
           "not a channel table: air.frequencies[0] is beyond the range of a double");
    refuse("{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[]}}",
           "not a channel table: cable is missing");
    refuse("{\"format\":\"tsf\",\"entry_count\":2,\"entries\":[]}",
           "not a tuner table: entry_count 2 does not match the 0 entries (leave it out to take their number)",
           "o.tsf");
    refuse("{\"format\":\"tsf\",\"entries\":[{\"factory\":3,\"tuner_type\":18,\"sort_key\":1,"
           "\"low_band_start\":1,\"mid_band_start\":2,\"high_band_start\":3,\"high_band_end\":4,"
           "\"picture_carrier\":5,\"low_code\":1,\"mid_code\":2,\"high_code\":70000}]}",
           "not a tuner table: entries[0].high_code must be an integer from 0 to 65535", "o.tsf");
    refuse("{\"format\":\"tsf\",\"entries\":[{\"factory\":3,\"tuner_type\":18,\"sort_key\":1,"
           "\"low_band_start\":1,\"mid_band_start\":2,\"high_band_start\":3,\"high_band_end\":4,"
           "\"picture_carrier\":5,\"low_code\":1,\"mid_code\":2,\"high_code\":3}]}",
           "not a tuner table: entries[0].sort_key 1 is not the key of its codes (213); leave it out to take theirs",
           "o.tsf");
}

TEST(ToolBuild, UnknownKeysAreNamedShortAndOnOneLine)
{
    TempDir dir;
    const auto refuse = [&dir](const std::string& key, const std::string& message) {
        const std::string json = WriteText(dir, "bad.json",
                                           "{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"" + key +
                                               "\":1,\"frequencies\":[]},\"cable\":{\"frequencies\":[]}}");
        const ToolRun run = RunToolProcess({"build", json, "-o", dir.File("o.ccf")});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "vornalix-tool: " + json + ": not a channel table: " + message + "\n");
        EXPECT_FALSE(FileExists(dir.File("o.ccf")));
    };
    const std::string key(5 * 1024 * 1024, 'k');
    refuse(key, "air.\"" + key.substr(0, 40) + "\"... (5242880 bytes) is not a field of this table");
    refuse("two\\nlines", "air.\"two\\nlines\" is not a field of this table");
    refuse(key.substr(0, 40), "air." + key.substr(0, 40) + " is not a field of this table");
}

TEST(ToolBuild, ArgumentsAndOutputProblems)
{
    TempDir dir;
    const std::string json = WriteText(dir, "uk.json", kUkJson);
    ToolRun run = RunToolProcess({"build", json});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: no output file given (-o OUT) (see vornalix-tool build --help)\n");

    // The output's name must not promise another table type.
    run = RunToolProcess({"build", json, "-o", dir.File("uk.tsf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("uk.tsf") + ": the name says tsf, but the table is a ccf table\n");
    EXPECT_FALSE(FileExists(dir.File("uk.tsf")));

    run = RunToolProcess({"build", dir.File("none.json"), "-o", dir.File("x.ccf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("none.json") + ": cannot be read: No such file or directory\n");

    // A write that fails is a failed build, not a bad argument.
    const std::string unwritable = dir.File("no-such-folder/uk.ccf");
    run = RunToolProcess({"build", json, "-o", unwritable});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "vornalix-tool: " + unwritable + ": cannot be written: No such file or directory\n");

    run = RunToolProcess({"build", json, "--country", "44", "-o", dir.File("x.ccf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(FileExists(dir.File("x.ccf")));
}

TEST(ToolBuild, ChannelTableFromCsv)
{
    TempDir dir;
    const std::string csv = WriteText(dir, "plan.csv",
                                      "list,channel,frequency_mhz\r\n"
                                      "air,1,0\r\n"
                                      "cable,1,175.26\r\n"
                                      "air,2,55.25\r\n"
                                      "air,3,62.25\r\n"
                                      "air,4,0\r\n");
    ToolRun run = RunToolProcess({"build", "--csv", csv, "--country", "33", "-o", dir.File("fr.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    ChfqImage expected;
    expected.country = 33;
    expected.air = {0.0, 55.25, 62.25, 0.0};
    expected.airMin = 2;
    expected.cable = {175.26};
    expected.cableMin = 1;
    EXPECT_EQ(ReadAll(dir.File("fr.ccf")), expected.Build());

    const auto refuse = [&dir](const std::string& text, const std::string& message) {
        const std::string path = WriteText(dir, "bad.csv", text);
        const ToolRun bad = RunToolProcess({"build", "--csv", path, "--country", "33", "-o", dir.File("bad.ccf")});
        EXPECT_EQ(bad.status, 2) << text;
        EXPECT_EQ(bad.err, "vornalix-tool: " + path + ": " + message + "\n") << text;
        EXPECT_FALSE(FileExists(dir.File("bad.ccf")));
    };
    refuse("channel,frequency_mhz\n1,55.25\n,1\n", "line 3, column 1: the channel label is empty");
    refuse("list,channel,frequency_mhz\nair,1,55.25\nair,1,62.25\n",
           "line 3, column 5: air channel 1 comes after channel 1: whole-number channels must rise");
    refuse("list,channel,frequency_mhz\ncable,0,55.25\n",
           "line 2, column 7: cable channel 0: whole-number channels start at 1");
    refuse("list,channel,frequency_mhz\nsat,1,55.25\n", "line 2, column 1: the list must be air or cable, not \"sat\"");
    refuse("list,channel,frequency_mhz\nair,1,55.25 kHz\n",
           "line 2, column 7: \"55.25 kHz\" is not a frequency in MHz (a decimal number, inf, -inf or nan)");
    refuse("list,channel,frequency_mhz\nair,1\n", "line 2, column 6: 3 fields expected, found 2");
    refuse("channel,frequency_khz\n1,55.25\n",
           "line 1, column 1: the header has no frequency_mhz column (channel and frequency_mhz are needed, list may "
           "be added)");

    run = RunToolProcess({"build", "--csv", csv, "--country", "0", "-o", dir.File("x.ccf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: --country must be above 0 (see vornalix-tool build --help)\n");
    run = RunToolProcess({"build", "--csv", csv, "-o", dir.File("x.ccf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: --csv needs --country CODE (see vornalix-tool build --help)\n");
    EXPECT_FALSE(FileExists(dir.File("x.ccf")));
}

TEST(ToolBuild, CsvMessagesQuoteAShortPrefixOfAField)
{
    TempDir dir;
    const auto refuse = [&dir](const std::string& text, const std::string& message) {
        const std::string path = WriteText(dir, "bad.csv", text);
        const ToolRun bad = RunToolProcess({"build", "--csv", path, "--country", "33", "-o", dir.File("bad.ccf")});
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.err, "vornalix-tool: " + path + ": " + message + "\n");
        EXPECT_FALSE(FileExists(dir.File("bad.ccf")));
    };
    // A field of 10 MB: the message quotes its first 40 bytes and its length.
    const std::string huge(10 * 1024 * 1024, '7');
    refuse("list,channel,frequency_mhz\nair,1," + huge + "\n",
           "line 2, column 7: \"" + huge.substr(0, 40) +
               "\"... (10485760 bytes) is not a frequency in MHz (a decimal number, inf, -inf or nan)");
    refuse("list,channel,frequency_mhz\nair," + huge + ",55.25\n",
           "line 2, column 5: the channel label is longer than 32 bytes");
    // Exactly 40 bytes are quoted whole.
    refuse("list,channel,frequency_mhz\n" + huge.substr(0, 40) + ",1,55.25\n",
           "line 2, column 1: the list must be air or cable, not \"" + huge.substr(0, 40) + "\"");
    // The cut does not split a character: "\u00e9" is two bytes, the 40th and 41st.
    const std::string accents = std::string(39, 'a') + "\xC3\xA9" + std::string(20, 'b');
    refuse("list,channel,frequency_mhz\n" + accents + ",1,55.25\n",
           "line 2, column 1: the list must be air or cable, not \"" + std::string(39, 'a') + "\"... (61 bytes)");
    // A quoted field may hold line ends and escapes: the message stays one line.
    refuse("list,channel,frequency_mhz\n\"air\nsat\\\x1b[2J\",1,55.25\n",
           "line 2, column 1: the list must be air or cable, not \"air\\nsat\\\\\\x1b[2J\"");
}

TEST(ToolExport, ChannelAndTunerCsv)
{
    TempDir dir;
    ChfqImage image;
    image.air = {0.0, 55.25, 62.25};
    image.airMin = 2;
    image.cable = {175.25, 0.0, -1.5};
    image.cableMin = 1;
    image.country = 44;
    const std::string ccf = WriteFile(dir, "uk.ccf", image.Build());
    ToolRun run = RunToolProcess({"export", ccf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "list,channel,frequency_mhz\n"
                       "air,1,0\n"
                       "air,2,55.25\n"
                       "air,3,62.25\n"
                       "cable,1,175.25\n"
                       "cable,2,0\n"
                       "cable,3,-1.5\n");

    // What export writes, build --csv reads back into the same file.
    const std::string csv = WriteText(dir, "uk.csv", run.out);
    run = RunToolProcess({"build", "--csv", csv, "--country", "44", "-o", dir.File("back.ccf")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir.File("back.ccf")), image.Build());

    TnspImage tuners = OneTuner();
    TnspRecord second;
    second.factory = -1;
    second.tunerType = 0x99;
    second.pc2 = 41.25;
    second.reserved = 3;
    tuners.records.push_back(second);
    run = RunToolProcess({"export", WriteFile(dir, "t.TSF", tuners.Build())});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "factory,tuner_type,sort_key,low_band_start,mid_band_start,high_band_start,high_band_end,"
                       "picture_carrier,picture_carrier2,low_code,mid_code,high_code,reserved\n"
                       "3,18,213,48.25,160,442,863.25,45.75,0,1,2,8,0\n"
                       "-1,153,989,48.25,160,442,863.25,45.75,41.25,1,2,8,3\n");

    run = RunToolProcess({"export", WriteFile(dir, "ru.cft", OldTable().Build())});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "list,channel,frequency_mhz\n"
                       "air,1,55.25\n"
                       "air,2,175.25999450683594\n"
                       "air,3,0\n"
                       "air,4,62.25\n"
                       "cable,1,100.5\n"
                       "cable,2,110.25\n"
                       "cable,3,120\n");

    run = RunToolProcess({"export", ccf, ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    run = RunToolProcess({"export", dir.File("none.tsf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("none.tsf") + ": cannot be read: No such file or directory\n");
}

TEST(ToolConvert, WritesBesideEachFileAsTheConverterDoes)
{
    TempDir dir;
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("share").c_str());
    const std::string cft = WriteFile(dir, "ru.cft", OldTable().Build());
    WriteText(dir, "ru.ccf", "older file, replaced");
    const std::string dotted = WriteFile(dir, "a.b.CFT", OldTable().Build());
    ToolRun run = RunToolProcess({"convert", cft, dotted});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, cft + " -> " + dir.File("ru.ccf") + "\n" + dotted + " -> " + dir.File("a.b.ccf") + "\n");
    // The file it replaced differed: it is in the Trash, and said to be.
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("ru.ccf") +
                           ": the earlier file, which differed, is in the Trash as " +
                           dir.File("share/Trash/files/ru.ccf") + "\n");
    const Bytes trashed = ReadAll(dir.File("share/Trash/files/ru.ccf"));
    EXPECT_EQ(std::string(trashed.begin(), trashed.end()), "older file, replaced");

    Bytes expected;
    PutBytes(expected, {0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'});
    PutI32(expected, 7);
    PutU16(expected, 4);
    PutU16(expected, 1);
    PutU16(expected, 3);
    PutU16(expected, 2);
    for (float f : {55.25f, 175.26f, 0.0f, 62.25f})
        PutF64(expected, static_cast<double>(f));
    PutBytes(expected, {0x00, 0x00, 0xFF, 0xFF});
    for (float f : {100.5f, 110.25f, 120.0f})
        PutF64(expected, static_cast<double>(f));
    EXPECT_EQ(ReadAll(dir.File("ru.ccf")), expected);
    EXPECT_EQ(ReadAll(dir.File("a.b.ccf")), expected);

    // Relative names stay relative.
    run = RunToolProcess({"convert", "ru.cft"}, dir.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "ru.cft -> ru.ccf\n");
}

TEST(ToolConvert, FailuresAndTheirStatus)
{
    TempDir dir;
    const std::string good = WriteFile(dir, "good.cft", OldTable().Build());

    CftImage noAir = OldTable();
    noAir.airMax = 0;
    const std::string empty = WriteFile(dir, "noair.cft", noAir.Build());
    ToolRun run = RunToolProcess({"convert", empty, good});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, good + " -> " + dir.File("good.ccf") + "\n");
    EXPECT_EQ(run.err, "vornalix-tool: " + empty +
                           ": cannot be converted: it has no air channels (the trailer's air maximum is 0)\n");
    EXPECT_FALSE(FileExists(dir.File("noair.ccf")));

    CftImage refusedImage = OldTable();
    refusedImage.air.clear();
    const std::string refused = WriteFile(dir, "refused.cft", refusedImage.Build());
    run = RunToolProcess({"convert", refused, empty, dir.File("none.cft")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornalix-tool: " + refused +
                           ": not an old channel table: its header counts 0 air and 3 cable entries, and both must "
                           "be above 0\n"
                           "vornalix-tool: " +
                           empty +
                           ": cannot be converted: it has no air channels (the trailer's air maximum is 0)\n"
                           "vornalix-tool: " +
                           dir.File("none.cft") + ": cannot be read: No such file or directory\n");

    // A new table given by mistake would be written over itself.
    const Bytes ccf = UkTable().Build();
    const std::string table = WriteFile(dir, "uk.ccf", ccf);
    run = RunToolProcess({"convert", table});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + table + ": the output " + table +
                           " would replace the file itself; an old table is named .cft\n");
    EXPECT_EQ(ReadAll(table), ccf);

    // An output that cannot be written (a folder has its name): the
    // conversion fails and says so, where the dialog would not notice.
    const std::string blocked = WriteFile(dir, "blocked.cft", OldTable().Build());
    std::filesystem::create_directory(dir.File("blocked.ccf"));
    run = RunToolProcess({"convert", blocked});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "vornalix-tool: " + blocked + ": cannot write " + dir.File("blocked.ccf") + ": Is a directory\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("blocked.ccf")));
}

// A disk that fills up during build or convert: the command fails with status
// 1 and says why, the file that was there stays, no temporary file is left.
TEST(ToolFailingDisk, BuildAndConvertKeepTheOldFile)
{
    TempDir dir;
    TempDir trash;
    const ScopedEnv dataHome("XDG_DATA_HOME", trash.Path().c_str());
    const Bytes old{9, 9, 9};
    // Tables larger than the room on the disk; the messages still fit.
    ChfqImage big = UkTable();
    big.air.assign(1000, 55.25);
    const std::string plan = WriteFile(dir, "plan.ccf", big.Build());
    const std::string described = WriteText(dir, "plan.json", RunToolProcess({"dump", "--json", plan}).out);
    const std::string target = WriteFile(dir, "target.ccf", old);
    ToolRun run = RunToolOnFullDisk({"build", described, "-o", target}, 4096);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(target), old);

    CftImage bigOld = OldTable();
    bigOld.air.assign(1000, CftEntry{55.25f, 0, 0});
    bigOld.airMax = 1000;
    const std::string input = WriteFile(dir, "old.cft", bigOld.Build());
    const std::string converted = WriteFile(dir, "old.ccf", old);
    run = RunToolOnFullDisk({"convert", input}, 4096);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(converted), old);

    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"old.ccf", "old.cft", "plan.ccf", "plan.json", "target.ccf"}));
}

TEST(ToolCheck, CleanTablesFindNothing)
{
    TempDir dir;
    ChfqImage image = UkTable();
    image.air = {55.25, 62.25, 175.25};
    const std::string ccf = WriteFile(dir, "uk.ccf", image.Build());
    const std::string tsf = WriteFile(dir, "one.tsf", OneTuner().Build());
    const std::string empty = WriteFile(dir, "empty.tsf", TnspImage().Build());
    CftImage old = OldTable();
    old.air[2].frequency = 180.0f;
    old.air[3].frequency = 190.0f;
    old.cableMin = 1;
    const std::string cft = WriteFile(dir, "ru.cft", old.Build());
    const ToolRun run = RunToolProcess({"check", ccf, tsf, empty, cft});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST(ToolCheck, ChannelTableFindings)
{
    TempDir dir;
    ChfqImage image;
    image.country = 999;
    image.airMin = 1;
    image.air = {0.0, 55.25, -1.0, std::numeric_limits<double>::quiet_NaN(), 50.0, 0.0};
    Bytes bytes = image.Build();
    PutBytes(bytes, {1, 2, 3});
    const std::string path = WriteFile(dir, "bad.ccf", bytes);
    ToolRun run = RunToolProcess({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, path + ": the file is 75 bytes, but its counts (air 6, cable 0) call for 72\n" + path +
                           ": warning: the country code 999 is not in the country catalogue\n" + path +
                           ": air channel 3: the frequency -1 MHz is negative\n" + path +
                           ": air channel 4: the frequency nan is not a finite number\n" + path +
                           ": air: the stored range starts at channel 1, but the first channel with a "
                           "frequency is 2\n" +
                           path +
                           ": air: the stored range ends at channel 6, but the last channel with a "
                           "frequency is 5\n");

    ChfqImage marks = UkTable();
    marks.air = {55.25};
    marks.marker = 0x1234;
    marks.reserved = 1;
    marks.magic = {'C', 'H', 'F', 0x01};
    marks.endMark = {1, 2, 3, 4};
    marks.cable = {0.0};
    marks.cableMin = 3;
    const std::string markPath = WriteFile(dir, "marks.ccf", marks.Build());
    run = RunToolProcess({"check", markPath});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, markPath + ": the marker is 0x1234, not 0xCB00\n" + markPath +
                           ": the reserved word is 1, not 0\n" + markPath +
                           ": the magic is \"CHF\\x01\", not \"CHFQ\"\n" + markPath +
                           ": the end mark is 01020304, not 0000ffff\n" + markPath +
                           ": cable: the stored range starts at channel 3, but no channel has a "
                           "frequency\n");
}

TEST(ToolCheck, RepeatedFrequenciesAreWarningsThatCount)
{
    TempDir dir;
    ChfqImage image = UkTable();
    // Channel 7 repeats channel 2 and stands out of order between its
    // neighbours: two warnings, and no error.
    image.air = {0.0, 175.25, 182.25, 0.0, -0.0, 189.25, 175.25, 196.25};
    image.airMin = 2;
    image.cable = {300.0, 300.0};
    image.cableMin = 1;
    const std::string path = WriteFile(dir, "twice.ccf", image.Build());
    const ToolRun run = RunToolProcess({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, path +
                           ": warning: air channel 7: 175.25 MHz is out of order between channel 6 (189.25 MHz) "
                           "and channel 8 (196.25 MHz)\n" +
                           path + ": warning: air channel 7: 175.25 MHz also at channel 2\n" + path +
                           ": warning: cable channel 2: 300 MHz also at channel 1\n");

    // Old tables too, their entries compared as the floats they store.
    CftImage old;
    old.air = {{55.25f}, {62.25f}, {55.25f}};
    old.airMax = 3;
    old.cable = {{300.0f}};
    old.cableMax = 1;
    const std::string oldPath = WriteFile(dir, "twice.cft", old.Build());
    const ToolRun oldRun = RunToolProcess({"check", oldPath});
    EXPECT_EQ(oldRun.status, 1) << oldRun.err;
    EXPECT_EQ(oldRun.out, oldPath + ": warning: air channel 3: 55.25 MHz also at channel 1\n");
}

// A converted table keeps its floats exactly, and the check of it names
// each frequency that is not a whole number of kHz with the one it is near;
// of many, the first ten of a list and a count of the rest.
TEST(ToolCheck, FrequenciesOffTheKilohertzRasterAreWarnings)
{
    TempDir dir;
    CftImage old;
    old.country = 44;
    old.air = {{543.3f}, {0.0f}, {55.25f}, {175.26f}};
    old.airMax = 4;
    old.cable = {{112.25f}};
    old.cableMax = 1;
    const std::string cft = WriteFile(dir, "uk.cft", old.Build());
    const ToolRun converted = RunToolProcess({"convert", cft});
    ASSERT_EQ(converted.status, 0) << converted.err;
    const std::string ccf = dir.File("uk.ccf");
    EXPECT_NE(RunToolProcess({"dump", ccf}).out.find("air 001  543.2999877929688 MHz\n"), std::string::npos);
    ToolRun run = RunToolProcess({"check", ccf});
    EXPECT_EQ(run.status, 1);
    const std::string warning = ccf + ": warning: air channel ";
    EXPECT_EQ(run.out, warning + "1: 543.29999 MHz, close to 543.3 MHz, is not a whole number of kHz\n" + warning +
                           "4: 175.25999 MHz, close to 175.26 MHz, is not a whole number of kHz\n");
    // The old table itself: its floats cannot hold most whole kHz.
    EXPECT_EQ(RunToolProcess({"check", cft}).out, "");

    // 65,535 floats of 512 to 540 MHz a 16384th of a MHz apart, on the
    // raster only where they are an eighth of a MHz.
    ChfqImage many = UkTable();
    many.air.clear();
    many.cable.clear();
    std::size_t off = 0;
    for (int i = 0; i < 65535; ++i) {
        many.air.push_back(512.0 + i * 7 / 16384.0);
        off += (i * 7) % 2048 != 0 ? 1 : 0;
    }
    many.airMin = 1;
    const std::string manyPath = WriteFile(dir, "many.ccf", many.Build());
    run = RunToolProcess({"check", manyPath});
    EXPECT_EQ(run.status, 1);
    const std::string out = run.out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 11) << out.substr(0, 2000);
    EXPECT_NE(out.find(manyPath + ": warning: air channel 2: 512.00043 MHz, close to 512 MHz, is not"),
              std::string::npos);
    EXPECT_NE(out.find(manyPath + ": warning: air: " + std::to_string(off - 10) +
                       " more frequencies are not a whole number of kHz; the first 10 are named\n"),
              std::string::npos)
        << out;
}

TEST(ToolCheck, TunerTableFindings)
{
    TempDir dir;
    TnspImage image = OneTuner();
    TnspRecord notBcd;
    notBcd.factory = 0x1A;
    notBcd.tunerType = 0x05;
    notBcd.mid = 442.0;
    notBcd.high = 160.0;
    notBcd.pc = 0.0;
    image.records.push_back(notBcd);
    TnspRecord falling;
    falling.factory = 0x10;
    falling.tunerType = 0x01;
    image.records.push_back(falling);
    TnspRecord shared; // the key 116 again
    shared.factory = 0x06;
    shared.tunerType = 0x11;
    image.records.push_back(shared);
    TnspRecord wide;
    wide.factory = 0x03;
    wide.tunerType = 0x100;
    wide.pc2 = -2.0;
    wide.reserved = 5;
    image.records.push_back(wide);
    const std::string path = WriteFile(dir, "bad.tsf", image.Build());
    ToolRun run = RunToolProcess({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    const std::string e2 = path + ": entry 001 (1A:05): ";
    const std::string e5 = path + ": entry 004 (03:100): ";
    EXPECT_EQ(run.out,
              e2 + "the factory code 26 (0x1A) is not two BCD digits\n" + e2 +
                  "the band edges are out of order: 48.25, 442, 160, 863.25 MHz\n" + e2 + "the picture carrier is 0\n" +
                  path + ": entry 002 (10:01): the sort key 116 is below the key 526 of the entry before it\n" + path +
                  ": entry 003 (06:11): the sort key 116 is already the key of entry 002 (10:01)\n" + e5 +
                  "the tuner-type code 256 (0x100) is not two BCD digits\n" + e5 +
                  "the picture carrier 2 -2 is neither 0 nor a frequency\n" + e5 + "the reserved word is 5, not 0\n");

    // Two entries counted, one held and no end mark: the second entry reads
    // as all zero and is judged with the rest.
    Bytes shortFile = OneTuner().Build();
    shortFile[8] = 2;
    shortFile.resize(shortFile.size() - 4);
    const std::string shortPath = WriteFile(dir, "short.tsf", shortFile);
    run = RunToolProcess({"check", shortPath});
    EXPECT_EQ(run.status, 1);
    const std::string zero = shortPath + ": entry 001 (00:00): ";
    EXPECT_EQ(run.out, shortPath + ": the file is 76 bytes, but its entry count 2 calls for 144\n" + shortPath +
                           ": the end mark is 00000000, not 0000ffff\n" + zero +
                           "the band edges are not all finite and above 0: 0, 0, 0, 0 MHz\n" + zero +
                           "the picture carrier is 0\n" + zero +
                           "the sort key 0 is below the key 213 of the entry before it\n");
}

TEST(ToolCheck, OldTableFindingsAndStatusOfMixedRuns)
{
    TempDir dir;
    CftImage image;
    image.air = {{55.25f}, {62.25f}, {175.25f}, {200.0f}, {210.0f}};
    image.cable = {{300.0f}, {310.0f}, {320.0f}};
    image.airMin = 1;
    image.airMax = 6; // one more than the air section holds: reads into the cable section
    image.cableMin = 1;
    image.cableMax = 3;
    const std::string path = WriteFile(dir, "ru.cft", image.Build());
    ToolRun run = RunToolProcess({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, path + ": the trailer's air maximum 6 is above the 5 air entries of the header\n");

    const std::string clean = WriteFile(dir, "one.tsf", OneTuner().Build());
    run = RunToolProcess({"check", clean, path, dir.File("none.ccf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, path + ": the trailer's air maximum 6 is above the 5 air entries of the header\n");
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("none.ccf") + ": cannot be read: No such file or directory\n");
}

TEST(ToolProgram, FileNamesWithControlCharactersStayOnTheirLine)
{
    TempDir dir;
    // A name with a line end, a tab, an escape and a backslash in it.
    const std::string name = "two\nlines\t\x1b[31m\\x.ccf";
    const std::string shown = dir.Path() + "/two\\nlines\\t\\x1b[31m\\\\x.ccf";
    ChfqImage image = UkTable();
    image.country = 99999;
    const std::string ccf = WriteFile(dir, name, image.Build());

    ToolRun run = RunToolProcess({"check", ccf});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, shown + ": warning: the country code 99999 is not in the country catalogue\n");

    const std::string plain = WriteFile(dir, "uk.ccf", UkTable().Build());
    run = RunToolProcess({"dump", plain, ccf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n\n==> " + shown + " <==\nchannel frequency table (ccf)\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(name), std::string::npos);

    const std::string missing = dir.File("gone\r\n.tsf");
    run = RunToolProcess({"dump", missing});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.Path() + "/gone\\r\\n.tsf: cannot be read: No such file or directory\n");
    run = RunToolProcess({"check", missing});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.Path() + "/gone\\r\\n.tsf: cannot be read: No such file or directory\n");

    // convert prints both names; a DEL is escaped too.
    WriteFile(dir, "old\n\x7f.cft", OldTable().Build());
    run = RunToolProcess({"convert", "old\n\x7f.cft"}, dir.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "old\\n\\x7f.cft -> old\\n\\x7f.ccf\n");
    EXPECT_TRUE(FileExists(dir.File("old\n\x7f.ccf")));
}

TEST(ToolCountry, NamesAsTheLookupGivesThem)
{
    ToolRun run = RunToolProcess({"country", "1", "7", "1852", "0", "-1", "044"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\tUSA\tNTSC_M\n"
                       "7\tRussia\tSECAM_D\n"
                       "1852\tChina (southeast coastland)\tPAL_I\n"
                       "0\t -- \t -- \n"
                       "-1\t -- \t -- \n"
                       "44\tUnited Kingdom\tPAL_I\n");

    run = RunToolProcess({"country", "33", "France", "4294967296"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "33\tFrance\tSECAM_L\n");
    EXPECT_EQ(run.err, "vornalix-tool: \"France\" is not a country code (a whole number)\n"
                       "vornalix-tool: \"4294967296\" is not a country code (a whole number)\n");
}

TEST(ToolCatalogue, ListsFactoriesAndTunerTypes)
{
    TempDir dir;
    const std::string inf = WriteText(dir, "cat.inf", kCatalogue);
    ToolRun run = RunToolProcess({"catalogue", "--json", inf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kCatalogueJson);

    run = RunToolProcess({"catalogue", inf});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "12\tPhilips Components\n"
                       "\t07 -- X\n"
                       "\t10 -- FI1236, FM1236\n"
                       "05\tTemic\n"
                       "25\tAlps\n"
                       "\t(no tuner types: section [37] with a Count line is missing)\n");

    run = RunToolProcess({"catalogue", dir.File("none.inf")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("none.inf") + ": cannot be read: No such file or directory\n");

    const std::string noFactories = WriteText(dir, "empty.inf", "[18]\nCount = 0\n");
    run = RunToolProcess({"catalogue", noFactories});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "vornalix-tool: " + noFactories + ": no factory list: section [Factory] with a Count line is missing\n");
}

TEST(ToolCatalogue, DefaultIsTheCatalogueBesideTheProgram)
{
    TempDir dir;
    // No installed or personal catalogue may stand in for the missing one.
    const std::string noData = dir.File("no-data");
    ScopedEnv dataHome("XDG_DATA_HOME", noData.c_str());
    ScopedEnv dataDirs("XDG_DATA_DIRS", noData.c_str());
    const std::string program = dir.File("vornalix-tool");
    std::filesystem::copy_file(VORNALIX_TOOL, program);
    ToolRun run = RunToolProcess({"catalogue", "--json"}, "", program);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + dir.File("TunerSpec.inf") + ": cannot be read: No such file or directory\n");

    WriteText(dir, "TunerSpec.inf", kCatalogue);
    // The working folder plays no part.
    run = RunToolProcess({"catalogue", "--json"}, "/", program);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kCatalogueJson);
}

// Every writer of the tool pointed at a link to a character device (one of
// the test's own, never the system's /dev/null) refuses it, says why, and
// leaves the link and the device as they were.
TEST(ToolWriters, ALinkToACharacterDeviceIsNeverWrittenThrough)
{
    TempDir dir;
    if (!MakeNullDevice(dir.File("null")))
        GTEST_SKIP() << "this user may not make a device";
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("share").c_str());
    const std::string json = WriteText(dir, "de.json",
                                       "{\"format\":\"ccf\",\"country_code\":49,\"air\":{\"frequencies\":[48.25]},"
                                       "\"cable\":{\"frequencies\":[]}}");
    ASSERT_EQ(RunToolProcess({"build", json, "-o", dir.File("de.ccf")}).status, 0);
    WriteAll(dir.File("fr.cft"), LegacyTableImage(33, {48.25f}, {112.25f}, 1, 1, 1, 1));
    for (const char* pszLink : {"out.ccf", "out.svg", "fr.ccf"})
        std::filesystem::create_symlink("null", dir.File(pszLink));

    const std::vector<std::vector<std::string>> writers = {
        {"build", json, "-o", dir.File("out.ccf")},
        {"chart", dir.File("de.ccf"), "-o", dir.File("out.svg")},
        {"convert", dir.File("fr.cft")},
    };
    for (const std::vector<std::string>& args : writers) {
        const ToolRun run = RunToolProcess(args);
        EXPECT_NE(run.status, 0) << args[0];
        EXPECT_NE(run.err.find("it is a character device, not a regular file"), std::string::npos)
            << args[0] << ": " << run.err;
    }
    for (const char* pszLink : {"out.ccf", "out.svg", "fr.ccf"})
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File(pszLink))) << pszLink;
    EXPECT_TRUE(std::filesystem::is_character_file(dir.File("null")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("share/Trash")));
}
