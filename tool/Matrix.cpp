// matrix: channel tables against every tuner of a tuner table at once: for
// each table and each tuner how many of the table's channels the tuner does
// not tune, counted as coverage counts them, and the tuners that tune every
// table.

#include <algorithm>
#include <charconv>
#include <ostream>

#include "platform/Printable.h"
#include "tables/analysis/CoverageMatrixOutput.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/text/Json.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"
#include "tool/TunerOperands.h"

namespace {

// The tables' rows and the tuners' columns as the CSV names them too.
using Matrix = NamedCoverageMatrix;

std::string NumberText(std::int64_t value)
{
    char digits[24];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::size_t DigitCount(std::size_t value)
{
    std::size_t digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

// How many columns a name takes on a terminal: its UTF-8 characters, so that
// a name with accented letters lines up with the others.
std::size_t ColumnsOf(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void AppendAligned(std::string& line, std::string_view text, std::size_t width, bool bRight)
{
    const std::size_t pad = width - std::min(width, ColumnsOf(text));
    if (bRight)
        line.append(pad, ' ');
    line += text;
    if (!bRight)
        line.append(pad, ' ');
}

// A row per table under a header of the tuners' codes, each column as wide
// as its widest cell; then a line for each tuner whose edges are not finite
// numbers, and the tuners that tune every table.
void WriteText(const Matrix& matrix, std::ostream& out)
{
    constexpr const char* kGap = "  ";
    std::vector<std::string> names;
    names.reserve(matrix.tables.size());
    std::size_t nameWidth = ColumnsOf("table");
    std::size_t countryWidth = ColumnsOf("country");
    std::size_t channelsWidth = ColumnsOf("channels");
    for (const CoverageMatrixTable& table : matrix.tables) {
        names.push_back(PrintableText(table.name));
        nameWidth = std::max(nameWidth, ColumnsOf(names.back()));
        countryWidth = std::max(countryWidth, NumberText(table.iCountry).size());
        channelsWidth = std::max(channelsWidth, DigitCount(table.channels));
    }
    std::vector<std::size_t> tunerWidths;
    tunerWidths.reserve(matrix.tuners.size());
    for (std::size_t u = 0; u < matrix.tuners.size(); ++u) {
        std::size_t width = matrix.tuners[u].codes.size();
        for (std::size_t t = 0; t < matrix.tables.size(); ++t)
            width = std::max(width, DigitCount(matrix.counts.Outside(t, u)));
        tunerWidths.push_back(width);
    }

    std::string line;
    AppendAligned(line, "table", nameWidth, false);
    AppendAligned(line.append(kGap), "country", countryWidth, true);
    AppendAligned(line.append(kGap), "channels", channelsWidth, true);
    for (std::size_t u = 0; u < matrix.tuners.size(); ++u)
        AppendAligned(line.append(kGap), matrix.tuners[u].codes, tunerWidths[u], true);
    out << line << '\n';
    for (std::size_t t = 0; t < matrix.tables.size(); ++t) {
        line.clear();
        AppendAligned(line, names[t], nameWidth, false);
        AppendAligned(line.append(kGap), NumberText(matrix.tables[t].iCountry), countryWidth, true);
        AppendAligned(line.append(kGap), NumberText(static_cast<std::int64_t>(matrix.tables[t].channels)),
                      channelsWidth, true);
        for (std::size_t u = 0; u < matrix.tuners.size(); ++u) {
            AppendAligned(line.append(kGap), NumberText(static_cast<std::int64_t>(matrix.counts.Outside(t, u))),
                          tunerWidths[u], true);
        }
        out << line << '\n';
    }

    std::string covering;
    for (std::size_t u = 0; u < matrix.tuners.size(); ++u) {
        const CoverageMatrixTuner& tuner = matrix.tuners[u];
        if (!tuner.problem.empty())
            out << "tuner " << tuner.codes << ": " << tuner.problem << '\n';
        if (matrix.counts.TunerTunesEveryTable(u))
            covering += (covering.empty() ? " " : ", ") + tuner.codes;
    }
    out << "tuners tuning every table:" << (covering.empty() ? std::string(" none") : covering) << '\n';
}

void WriteJson(const Matrix& matrix, const TunerSpecTable& tuners, std::ostream& out)
{
    JsonWriter json;
    json.BeginObject().Key("tuners").BeginArray();
    std::int32_t iPosition = 0;
    for (const TunerSpecNode& node : tuners.Entries()) {
        const CoverageMatrixTuner& tuner = matrix.tuners[static_cast<std::size_t>(iPosition)];
        json.BeginObject().Key("entry").Integer(++iPosition).Key("factory").Integer(node.entry.iFactory());
        json.Key("tuner_type").Integer(node.entry.iTunerType()).Key("codes").String(tuner.codes);
        if (!tuner.problem.empty()) {
            WriteNonFiniteEdgesJson(json, TunerBands(node.entry));
            json.Key("edges_problem").String(tuner.problem);
        }
        json.EndObject();
    }
    json.EndArray().Key("tables").BeginArray();
    for (std::size_t t = 0; t < matrix.tables.size(); ++t) {
        const CoverageMatrixTable& table = matrix.tables[t];
        json.BeginObject().Key("table").String(table.name).Key("country").Integer(table.iCountry);
        json.Key("channels").Integer(static_cast<std::int64_t>(table.channels)).Key("tuners").BeginArray();
        for (std::size_t u = 0; u < matrix.tuners.size(); ++u) {
            json.BeginObject().Key("codes").String(matrix.tuners[u].codes);
            json.Key("outside").Integer(static_cast<std::int64_t>(matrix.counts.Outside(t, u))).EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray().Key("covering_all").BeginArray();
    for (std::size_t u = 0; u < matrix.tuners.size(); ++u) {
        if (matrix.counts.TunerTunesEveryTable(u))
            json.Integer(static_cast<std::int64_t>(u + 1));
    }
    json.EndArray().EndObject();
    out << json.Text() << '\n';
}

} // namespace

int RunMatrix(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--json", nullptr, false}, {"--csv", nullptr, false}, {"--help", "-h", false}}, options,
                      error))
        return ReportUsage(err, "matrix", error);
    if (options.Has("--help"))
        return PrintHelp(out, "matrix") ? kExitSuccess : kExitFailure;
    if (options.operands.size() < 2)
        return ReportUsage(err, "matrix", "matrix takes one or more channel tables and then a tuner table");
    const bool bJson = options.Has("--json");
    const bool bCsv = options.Has("--csv");
    if (bJson && bCsv)
        return ReportUsage(err, "matrix", "--json and --csv cannot be given together");

    // Each table is read, its channels sorted and the table let go before
    // the next: 240 tables hold their frequencies alone at once.
    std::vector<CoverageMatrixTable> tables;
    std::vector<SortedFrequencies> channels;
    tables.reserve(options.operands.size() - 1);
    channels.reserve(options.operands.size() - 1);
    for (std::size_t i = 0; i + 1 < options.operands.size(); ++i) {
        ChannelTable table(false);
        if (!LoadChannelOperand(options.operands[i], table, err))
            return kExitFailure;
        channels.emplace_back(table);
        tables.push_back(CoverageMatrixTableOf(options.operands[i], table, channels.back()));
    }
    TunerSpecTable tunerTable(false);
    if (!LoadTunerOperand(options.operands.back(), tunerTable, err))
        return kExitFailure;

    const std::vector<TunerBands> bands = BandsOfTuners(tunerTable);
    std::vector<TunerSpecEntry> entries;
    entries.reserve(bands.size());
    for (const TunerSpecNode& node : tunerTable.Entries())
        entries.push_back(node.entry);
    std::vector<CoverageMatrixTuner> tuners = CoverageMatrixTuners(entries, bands);
    const Matrix matrix{std::move(tables), std::move(tuners), CoverageMatrix(channels, bands)};
    if (bJson)
        WriteJson(matrix, tunerTable, out);
    else if (bCsv)
        out << CoverageMatrixCsv(matrix);
    else
        WriteText(matrix, out);
    for (std::size_t t = 0; t < matrix.counts.TableCount(); ++t) {
        if (!matrix.counts.TableIsTunedWhole(t))
            return kExitFindings;
    }
    return kExitSuccess;
}
