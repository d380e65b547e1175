// coverage: a channel table against the tuners of a tuner table: which band
// of a tuner tunes each channel, which channels none reaches, and which
// tuners tune them all.

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <ostream>

#include "platform/Printable.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/text/Json.h"
#include "tables/text/Numbers.h"
#include "tables/text/TableJson.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TunerOperands.h"

namespace {

const char* ListName(std::int32_t iList)
{
    return iList == ChannelModeAir ? "air" : "cable";
}

// "%X", as the editors show band codes.
void AppendCode(std::string& text, std::uint16_t wCode)
{
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(wCode), 16).ptr;
    for (char* p = digits; p != end; ++p)
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
}

std::string CodeText(std::uint16_t wCode)
{
    std::string text;
    AppendCode(text, wCode);
    return text;
}

// "%03d", as the listings number channels.
void AppendChannelNumber(std::string& text, std::int32_t iChannel)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, iChannel).ptr;
    text.append(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, 3 - (end - digits))), '0');
    text.append(digits, end);
}

constexpr TunerBand kBands[kTunerBandCount] = {TunerBand::Low, TunerBand::Mid, TunerBand::High};

// A band edge as the tuner line writes it: "?" for one that is not a finite
// number, which the line then names.
std::string EdgeText(double dbEdge)
{
    return std::isfinite(dbEdge) ? FormatDouble(dbEdge) : std::string("?");
}

// "tuner 03:12: low 44 to 140.25 MHz (code 8E01), mid ..., high ..."; an
// empty band is "low: none". Edges that are not finite numbers are named
// after the bands; NaN ones put no edges out of order, as they have no order.
std::string TunerLine(const TunerSpecEntry& entry, const TunerBands& bands)
{
    std::string line = "tuner " + TunerCodesText(entry) + ":";
    const char* separator = " ";
    for (const TunerBand band : kBands) {
        const BandSpan& span = bands.Span(band);
        line += separator;
        line += TunerBandName(band);
        line += span.IsEmpty() ? std::string(": none")
                               : " " + EdgeText(span.dbStart) + " to " + EdgeText(span.dbEnd) + " MHz (code " +
                                     CodeText(span.wCode) + ")";
        separator = ", ";
    }
    const std::vector<TunerEdge> notFinite = bands.NonFiniteEdges();
    const bool bNaN = std::any_of(notFinite.begin(), notFinite.end(),
                                  [&bands](TunerEdge edge) { return std::isnan(bands.Edge(edge)); });
    if (!bands.EdgesInOrder() && !bNaN)
        line += "; its band edges are out of order";
    if (!notFinite.empty())
        line += "; " + NonFiniteEdgesText(bands);
    return line;
}

// Text written out whenever a few pages of it are ready: a listing of
// 131,070 channels never lies in memory whole, nor is it copied as it grows.
class ChunkedText
{
public:
    explicit ChunkedText(std::ostream& out) : m_out(out) { m_text.reserve(2 * kChunk); }
    ~ChunkedText() { Flush(); }
    ChunkedText(const ChunkedText&) = delete;
    ChunkedText& operator=(const ChunkedText&) = delete;

    std::string& Text() { return m_text; }
    // Ends a line, and writes the text once a chunk is full.
    void EndLine()
    {
        m_text += '\n';
        if (m_text.size() >= kChunk)
            Flush();
    }
    void Flush()
    {
        m_out << m_text;
        m_text.clear();
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;
    std::ostream& m_out;
    std::string m_text;
};

void ListChannels(ChunkedText& out, std::int32_t iList, const std::vector<double>& frequencies, const TunerBands& bands)
{
    std::string& text = out.Text();
    std::int32_t iChannel = 0;
    for (const double f : frequencies) {
        ++iChannel;
        if (!IsChannelFrequency(f))
            continue;
        text += ListName(iList);
        text += ' ';
        AppendChannelNumber(text, iChannel);
        text += ": ";
        text += FormatDouble(f);
        text += " MHz ";
        if (const std::optional<TunerBand> band = bands.BandOf(f)) {
            text += TunerBandName(*band);
            text += ' ';
            AppendCode(text, bands.Span(*band).wCode);
        } else {
            text += "outside (";
            text += CoverageGapName(bands.GapOf(f));
            text += ')';
        }
        out.EndLine();
    }
}

std::string ChannelsText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " channel" : " channels");
}

int ListOneTuner(const ChannelTable& table, const TunerSpecEntry& entry, std::ostream& out)
{
    const TunerBands bands(entry);
    const std::vector<double> air = ChannelFrequencies(table.Channels(ChannelModeAir));
    const std::vector<double> cable = ChannelFrequencies(table.Channels(ChannelModeCable));
    const CoverageReport report = CoverLists(air, cable, bands);
    ChunkedText text(out);
    text.Text() += TunerLine(entry, bands);
    text.EndLine();
    ListChannels(text, ChannelModeAir, air, bands);
    ListChannels(text, ChannelModeCable, cable, bands);
    for (const TunerBand band : kBands) {
        const BandTally& tally = report.Tally(band);
        text.Text() += std::string(TunerBandName(band)) + " band: " + ChannelsText(tally.channels);
        if (tally.channels > 0)
            text.Text() += ", " + FormatDouble(tally.dbLowest) + " to " + FormatDouble(tally.dbHighest) + " MHz";
        text.EndLine();
    }
    text.Text() += "outside: " + ChannelsText(report.uncovered.size());
    text.EndLine();
    const UncoveredWording wording(bands);
    for (const UncoveredChannel& channel : report.uncovered) {
        wording.Append(text.Text(), channel);
        text.EndLine();
    }
    text.Flush();
    return report.CoversAll() ? kExitSuccess : kExitFindings;
}

void WriteTunerJson(JsonWriter& json, const TunerSpecEntry& entry, const TunerBands& bands)
{
    json.BeginObject().Key("factory").Integer(entry.iFactory()).Key("tuner_type").Integer(entry.iTunerType());
    json.Key("codes").String(TunerCodesText(entry)).Key("edges_in_order").Integer(bands.EdgesInOrder() ? 1 : 0);
    WriteNonFiniteEdgesJson(json, bands);
    if (const std::string problem = NonFiniteEdgesText(bands); !problem.empty())
        json.Key("edges_problem").String(problem);
    json.Key("bands").BeginArray();
    for (const TunerBand band : kBands) {
        const BandSpan& span = bands.Span(band);
        json.BeginObject().Key("band").String(TunerBandName(band));
        json.Key("start").Double(span.dbStart).Key("end").Double(span.dbEnd).Key("code").Integer(span.wCode);
        json.Key("empty").Integer(span.IsEmpty() ? 1 : 0).EndObject();
    }
    json.EndArray().EndObject();
}

void WriteChannelsJson(JsonWriter& json, std::int32_t iList, const std::vector<double>& frequencies,
                       const TunerBands& bands)
{
    std::int32_t iChannel = 0;
    for (const double f : frequencies) {
        ++iChannel;
        if (!IsChannelFrequency(f))
            continue;
        json.BeginObject().Key("list").String(ListName(iList)).Key("channel").Integer(iChannel);
        json.Key("frequency").Double(f);
        if (const std::optional<TunerBand> band = bands.BandOf(f))
            json.Key("band").String(TunerBandName(*band)).Key("code").Integer(bands.Span(*band).wCode);
        else
            json.Key("band").Null().Key("outside").String(CoverageGapName(bands.GapOf(f)));
        json.EndObject();
    }
}

int WriteOneTunerJson(const ChannelTable& table, const TunerSpecEntry& entry, std::ostream& out)
{
    const TunerBands bands(entry);
    const std::vector<double> air = ChannelFrequencies(table.Channels(ChannelModeAir));
    const std::vector<double> cable = ChannelFrequencies(table.Channels(ChannelModeCable));
    const CoverageReport report = CoverLists(air, cable, bands);
    JsonWriter json;
    json.BeginObject().Key("tuner");
    WriteTunerJson(json, entry, bands);
    json.Key("channels").BeginArray();
    WriteChannelsJson(json, ChannelModeAir, air, bands);
    WriteChannelsJson(json, ChannelModeCable, cable, bands);
    json.EndArray().Key("bands").BeginArray();
    for (const TunerBand band : kBands) {
        const BandTally& tally = report.Tally(band);
        json.BeginObject()
            .Key("band")
            .String(TunerBandName(band))
            .Key("channels")
            .Integer(static_cast<std::int64_t>(tally.channels));
        if (tally.channels > 0)
            json.Key("lowest").Double(tally.dbLowest).Key("highest").Double(tally.dbHighest);
        json.EndObject();
    }
    json.EndArray().Key("outside").BeginArray();
    for (const UncoveredChannel& channel : report.uncovered) {
        json.BeginObject().Key("list").String(ListName(channel.iList)).Key("channel").Integer(channel.iChannel);
        json.Key("frequency").Double(channel.dbFrequency).Key("side").String(CoverageGapName(channel.gap));
        json.Key("message").String(UncoveredMessage(channel, bands)).EndObject();
    }
    json.EndArray().Key("covers_all").Integer(report.CoversAll() ? 1 : 0).EndObject();
    out << json.Text() << '\n';
    return report.CoversAll() ? kExitSuccess : kExitFindings;
}

// Every tuner of the table: how many channels each tunes, then the tuners
// that tune them all.
int ListEveryTuner(const ChannelTable& table, const TunerSpecTable& tuners, bool bJson, std::ostream& out)
{
    const SortedFrequencies channels(table);
    std::vector<std::int32_t> coveringAll;
    std::string coveringCodes;
    JsonWriter json;
    ChunkedText text(out);
    if (bJson)
        json.BeginObject()
            .Key("channels")
            .Integer(static_cast<std::int64_t>(channels.size()))
            .Key("tuners")
            .BeginArray();
    std::int32_t iPosition = 0;
    for (const TunerSpecNode& node : tuners.Entries()) {
        ++iPosition;
        const TunerBands bands(node.entry);
        const std::size_t tuned = channels.CountCovered(bands);
        const std::string codes = TunerCodesText(node.entry);
        // Only a tuner with such edges says so: the others' lines stay as short.
        const std::string problem = NonFiniteEdgesText(bands);
        if (tuned == channels.size()) {
            coveringAll.push_back(iPosition);
            coveringCodes += (coveringCodes.empty() ? " " : ", ") + codes;
        }
        if (bJson) {
            json.BeginObject().Key("entry").Integer(iPosition).Key("factory").Integer(node.entry.iFactory());
            json.Key("tuner_type").Integer(node.entry.iTunerType()).Key("codes").String(codes);
            json.Key("tuned").Integer(static_cast<std::int64_t>(tuned));
            json.Key("outside").Integer(static_cast<std::int64_t>(channels.size() - tuned));
            if (!problem.empty()) {
                WriteNonFiniteEdgesJson(json, bands);
                json.Key("edges_problem").String(problem);
            }
            json.EndObject();
            continue;
        }
        text.Text() +=
            "tuner " + codes + ": " + std::to_string(tuned) + " of " + ChannelsText(channels.size()) + " tuned";
        if (tuned != channels.size())
            text.Text() += ", " + std::to_string(channels.size() - tuned) + " outside";
        if (!problem.empty())
            text.Text() += "; " + problem;
        text.EndLine();
    }
    if (bJson) {
        json.EndArray().Key("covering_all").BeginArray();
        for (const std::int32_t position : coveringAll)
            json.Integer(position);
        json.EndArray().EndObject();
        text.Text() += json.Text();
    } else {
        text.Text() += "tuners tuning every channel:" + (coveringAll.empty() ? std::string(" none") : coveringCodes);
    }
    text.EndLine();
    text.Flush();
    return coveringAll.empty() ? kExitFindings : kExitSuccess;
}

} // namespace

int RunCoverage(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--json", nullptr, false}, {"--tuner", nullptr, true}, {"--help", "-h", false}}, options,
                      error))
        return ReportUsage(err, "coverage", error);
    if (options.Has("--help"))
        return PrintHelp(out, "coverage") ? kExitSuccess : kExitFailure;
    if (options.operands.size() != 2)
        return ReportUsage(err, "coverage", "coverage takes a channel table and a tuner table");
    std::int32_t iFactory = 0;
    std::int32_t iTunerType = 0;
    const std::optional<std::string> tunerCodes = options.Value("--tuner");
    if (tunerCodes && !ParseTunerCodes(*tunerCodes, iFactory, iTunerType))
        return ReportUsage(err, "coverage", "--tuner takes FF:TT, the factory and tuner type in hex");

    ChannelTable table(false);
    TunerSpecTable tuners(false);
    if (!LoadChannelOperand(options.operands[0], table, err) || !LoadTunerOperand(options.operands[1], tuners, err))
        return kExitFailure;
    const bool bJson = options.Has("--json");
    // One tuner's listing for the tuner named, or for the only one a table holds.
    const bool bOnlyTuner = tuners.Entries().size() == 1;
    if (!tunerCodes && !bOnlyTuner)
        return ListEveryTuner(table, tuners, bJson, out);
    const TunerSpecEntry* pEntry =
        tunerCodes ? FindTuner(tuners, iFactory, iTunerType) : &tuners.Entries().begin()->entry;
    if (!pEntry) {
        ReportProblem(err, options.operands[1], "holds no tuner " + *tunerCodes);
        return kExitFailure;
    }
    return bJson ? WriteOneTunerJson(table, *pEntry, out) : ListOneTuner(table, *pEntry, out);
}
