// `vornalix-tool chart` through the real executable: the SVG it writes holds
// one mark per channel with a frequency, the tuner's spans when one is named;
// old tables, tuners not in the file and malformed tuner names are refused.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// Each element's attributes by name, its classes among them as "class".
using Attributes = std::map<std::string, std::string>;

std::vector<Attributes> ElementsWithClasses(const std::string& svg)
{
    std::vector<Attributes> elements;
    const std::regex element("<[a-z]+( [^<>]*class=\"[^<>]*)>");
    const std::regex attribute("([a-z-]+)=\"([^\"]*)\"");
    for (std::sregex_iterator it(svg.begin(), svg.end(), element), end; it != end; ++it) {
        const std::string text = (*it)[1];
        Attributes& attributes = elements.emplace_back();
        for (std::sregex_iterator a(text.begin(), text.end(), attribute); a != end; ++a)
            attributes[(*a)[1]] = (*a)[2];
    }
    return elements;
}

// What the style sheet gives an element of these classes: the rules whose
// classes it all has, by the number of classes they name, then in order.
Attributes StyleOf(const std::string& svg, const std::string& classList)
{
    const std::string classes = " " + classList + " ";
    const std::size_t start = svg.find("<style>");
    const std::string sheet = svg.substr(start, svg.find("</style>") - start);
    std::multimap<std::size_t, std::string> rules; // by the number of classes named
    const std::regex rule("((?:\\.[a-z-]+)+)\\{([^}]*)\\}");
    const std::regex name("\\.([a-z-]+)");
    for (std::sregex_iterator it(sheet.begin(), sheet.end(), rule), end; it != end; ++it) {
        const std::string selector = (*it)[1];
        std::size_t named = 0;
        std::size_t held = 0;
        for (std::sregex_iterator n(selector.begin(), selector.end(), name); n != end; ++n, ++named)
            held += classes.find(" " + (*n)[1].str() + " ") != std::string::npos ? 1 : 0;
        if (held == named)
            rules.emplace(named, (*it)[2]);
    }
    Attributes paint;
    for (const auto& [named, declarations] : rules) {
        std::istringstream list(declarations);
        for (std::string declaration; std::getline(list, declaration, ';');)
            paint[declaration.substr(0, declaration.find(':'))] = declaration.substr(declaration.find(':') + 1);
    }
    return paint;
}

} // namespace

// Renderers without CSS paint what the attributes say: every element the
// style sheet paints carries the same paint itself.
TEST(ToolChart, ElementsCarryTheirStyleAsAttributes)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25, 55.25, 55.25, 900.0, 30.0, 900.0};
    table.cable = {112.25, 400.0};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    TnspImage tuners;
    tuners.records.emplace_back();
    const std::string tsf = WriteFile(dir, "tuners.tsf", tuners.Build());
    const std::string svgPath = dir.Path() + "/de.svg";
    const ToolRun run = RunToolProcess({"chart", "--tuner", tsf + ":03:12", ccf, "-o", svgPath});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string svg = ReadText(svgPath);

    std::map<std::string, std::size_t> painted; // by class list
    for (const Attributes& element : ElementsWithClasses(svg)) {
        const Attributes style = StyleOf(svg, element.at("class"));
        for (const auto& [property, value] : style) {
            const auto found = element.find(property);
            EXPECT_TRUE(found != element.end() && found->second == value)
                << element.at("class") << " " << property << " should be " << value;
        }
        painted[element.at("class")] += style.empty() ? 0 : 1;
    }
    for (const char* kind : {"band", "band-name", "tuner-span", "gap", "gap-width", "tick", "lane-name", "mark air",
                             "mark air repeated", "mark air uncovered", "mark air repeated uncovered", "mark cable"})
        EXPECT_GT(painted[kind], 0u) << kind;
}

TEST(ToolChart, WritesOneMarkPerChannelAndTheTunersSpans)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25, 0.0, 55.25, 175.25, 175.25};
    table.cable = {112.25, 0.0, 0.0, 900.0};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    TnspImage tuners;
    TnspRecord other;
    other.factory = 0x04;
    tuners.records.push_back(other);
    TnspRecord philips; // 03:12, bands 48.25 / 160 / 442 / 863.25
    philips.lowCode = 0x8E01;
    tuners.records.push_back(philips);
    const std::string tsf = WriteFile(dir, "tuners.tsf", tuners.Build());
    const std::string svgPath = dir.Path() + "/de.svg";

    ToolRun run = RunToolProcess({"chart", ccf, "-o", svgPath});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    std::string svg = ReadText(svgPath);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(Count(svg, "<line class=\"mark "), 6u);
    EXPECT_EQ(Count(svg, "id=\"air-"), 4u);
    EXPECT_EQ(Count(svg, "id=\"cable-"), 2u);
    EXPECT_EQ(Count(svg, "class=\"mark air repeated\""), 2u);
    EXPECT_EQ(Count(svg, "class=\"tuner-span\" id="), 0u);
    EXPECT_NE(svg.find("<title>de.ccf</title>"), std::string::npos);

    run = RunToolProcess({"chart", "--tuner", tsf + ":03:12", ccf, "-o", svgPath});
    ASSERT_EQ(run.status, 0) << run.err;
    svg = ReadText(svgPath);
    EXPECT_EQ(Count(svg, "class=\"tuner-span\" id="), 3u);
    EXPECT_NE(svg.find(">low 8E01<"), std::string::npos);
    EXPECT_NE(svg.find(">high 8<"), std::string::npos);
    // 900 MHz lies above the high band's end (863.25).
    EXPECT_EQ(Count(svg, "class=\"mark cable uncovered\" id=\"cable-4\""), 1u);
    EXPECT_EQ(Count(svg, "uncovered\" id="), 1u);
}

TEST(ToolChart, RefusesOldTablesUnknownTunersAndBadArguments)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    TnspImage tuners;
    tuners.records.push_back(TnspRecord{});
    const std::string tsf = WriteFile(dir, "tuners.tsf", tuners.Build());
    const std::string svgPath = dir.Path() + "/out.svg";

    CftImage old;
    old.air = {{55.25f, 0, 0}};
    ToolRun run = RunToolProcess({"chart", WriteFile(dir, "old.cft", old.Build()), "-o", svgPath});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: old channel tables (cft) are not charted: convert it (vornalix-tool convert) "
                       "and chart the .ccf file\n");

    run = RunToolProcess({"chart", ccf, "--tuner", tsf + ":03:13", "-o", svgPath});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vornalix-tool: " + tsf + ": no tuner 03:13 (factory:tuner type) in the file\n");

    for (const std::string& bad :
         std::vector<std::string>{tsf, tsf + ":03", tsf + ":3G:12", tsf + ":03:123456789", ":03:12"}) {
        run = RunToolProcess({"chart", ccf, "--tuner", bad, "-o", svgPath});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("--tuner takes TUNERS.tsf:FF:TT"), std::string::npos) << bad;
    }
    run = RunToolProcess({"chart", ccf});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no output file given"), std::string::npos);
    run = RunToolProcess({"chart", tsf, "-o", svgPath});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("has no channels to chart"), std::string::npos);
    // Nothing was written by any refused run.
    EXPECT_FALSE(std::ifstream(svgPath).good());

    run = RunToolProcess({"chart", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage: vornalix-tool chart FILE.ccf [--tuner TUNERS.tsf:FF:TT] -o OUT.svg"),
              std::string::npos);
    run = RunToolProcess({"--help"});
    EXPECT_NE(run.out.find("  chart FILE.ccf"), std::string::npos);
}

TEST(ToolChart, AnUnwritableOutputIsExitStatusOne)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    const ToolRun run = RunToolProcess({"chart", ccf, "-o", dir.Path() + "/missing/out.svg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot be written"), std::string::npos);
}

// The marks name the channels the table's country's plans give, as the
// editor's rows do: here a plan of the person's own in place of the
// installed broadcast plan of Germany's.
TEST(ToolChart, MarksNameTheirChannelInTheCountrysPlan)
{
    TempDir home;
    ASSERT_EQ(::mkdir(home.File("vornalix").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(home.File("vornalix/plans").c_str(), 0700), 0);
    WriteText(home, "vornalix/plans/ms-western-europe-broadcast.csv",
              std::string("channel,frequency_mhz\nE2,48.25\nE5,175.25\n"));
    const ScopedEnv dataHome{"XDG_DATA_HOME", home.Path().c_str()};
    TempDir dir;
    ChfqImage table;
    table.country = 49;
    table.air = {48.25, 55.25, 62.25, 64.0, 175.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    const std::string svgPath = dir.File("de.svg");
    const ToolRun run = RunToolProcess({"chart", ccf, "-o", svgPath});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string svg = ReadText(svgPath);
    EXPECT_NE(svg.find("<title>air channel 5, 175.25 MHz, plan channel E5</title>"), std::string::npos) << svg;
    EXPECT_NE(svg.find("<title>air channel 2, 55.25 MHz</title>"), std::string::npos);
    EXPECT_EQ(Count(svg, "plan channel"), 2u);
}

// Tuner edges of any double: huge, infinite or NaN. The SVG stays valid: every
// coordinate a number within the view, the marks still in frequency order,
// no "nan" or "inf" anywhere, an edge that is no number said to be none.
TEST(ToolChart, TunerEdgesOfAnyDoubleKeepEveryCoordinateInTheView)
{
    TempDir dir;
    ChfqImage table;
    table.air = {48.25, 175.25, 500.0};
    table.cable = {112.25};
    const std::string ccf = WriteFile(dir, "de.ccf", table.Build());
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::array<double, 4>> edges = {
        {-1e308, 160.0, 442.0, 1e308}, {-inf, 160.0, 442.0, inf},        {nan, 160.0, 442.0, nan},
        {1e308, 1e308, 1e308, 1e308},  {-1e308, -1e308, -1e308, -1e308}, {48.25, inf, nan, nan},
    };
    TnspImage tuners;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        TnspRecord record;
        record.tunerType = static_cast<std::int32_t>(0x20 + i);
        record.low = edges[i][0];
        record.mid = edges[i][1];
        record.high = edges[i][2];
        record.end = edges[i][3];
        tuners.records.push_back(record);
    }
    const std::string tsf = WriteFile(dir, "tuners.tsf", tuners.Build());
    const std::regex coordinate(" (x|x1|x2|width)=\"([^\"]*)\"");
    for (std::size_t i = 0; i < edges.size(); ++i) {
        // Tuner types 0x20 to 0x25: "03:20" to "03:25".
        const std::string codes = "03:" + std::to_string(20 + i);
        SCOPED_TRACE(codes);
        const std::string svgPath = dir.File("chart.svg");
        const ToolRun run = RunToolProcess({"chart", "--tuner", tsf + ":" + codes, ccf, "-o", svgPath});
        ASSERT_EQ(run.status, 0) << run.err;
        std::string svg = ReadText(svgPath);
        std::transform(svg.begin(), svg.end(), svg.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_EQ(svg.find("nan"), std::string::npos);
        EXPECT_EQ(svg.find("inf"), std::string::npos);
        std::size_t coordinates = 0;
        for (auto it = std::sregex_iterator(svg.begin(), svg.end(), coordinate); it != std::sregex_iterator(); ++it) {
            const std::string text = (*it)[2];
            char* pEnd = nullptr;
            const double value = std::strtod(text.c_str(), &pEnd);
            EXPECT_TRUE(*pEnd == '\0' && value >= 0.0 && value <= 1400.0) << (*it)[0];
            ++coordinates;
        }
        EXPECT_GT(coordinates, 40u);
        double previous = -1.0;
        for (const char* id : {"air-1\"", "air-2\"", "air-3\""}) {
            const std::size_t at = svg.find(id);
            ASSERT_NE(at, std::string::npos);
            const double x = std::strtod(svg.c_str() + svg.find("x1=\"", at) + 4, nullptr);
            EXPECT_GT(x, previous) << id;
            previous = x;
        }
    }
    const ToolRun run = RunToolProcess({"chart", "--tuner", tsf + ":03:21", ccf, "-o", dir.File("inf.svg")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string svg = ReadText(dir.File("inf.svg"));
    EXPECT_NE(svg.find("<title>low 1, an edge that is not a finite number to 160 MHz</title>"), std::string::npos);
    EXPECT_NE(svg.find("<title>high 8, 442 MHz to an edge that is not a finite number</title>"), std::string::npos);
}
