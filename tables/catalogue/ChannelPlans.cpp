#include "tables/catalogue/ChannelPlans.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>
#include <utility>

#include <sys/stat.h>

#include "platform/DataFolders.h"
#include "platform/FileIO.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/Csv.h"
#include "tables/text/Numbers.h"

namespace {

// The index and the country list: far beyond the rows they need.
constexpr std::size_t kMaxListFileSize = 16u * 1024u * 1024u;
constexpr std::int64_t kMaxPosition = static_cast<std::int64_t>(kMaxPlanChannels);

bool Fail(PlanProblem& problem, std::size_t line, std::string reason)
{
    problem.line = line;
    problem.column = 0;
    problem.reason = std::move(reason);
    return false;
}

bool Fail(PlanProblem& problem, CsvPosition where, std::string reason)
{
    Fail(problem, where.line, std::move(reason));
    problem.column = where.column;
    return false;
}

// A field quoted for a message, cut short so that a line stays one line.
std::string Quoted(std::string_view field)
{
    std::string text;
    for (const char c : field.substr(0, 24))
        text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return "\"" + text + (field.size() > 24 ? "...\"" : "\"");
}

// Digits only, as a position; -1 for anything else, kMaxPosition + 1 for a
// number beyond any position.
std::int64_t WholeNumber(std::string_view text)
{
    return ParsePosition(text, kMaxPosition);
}

// Digits with at most one point between them ("175.25"), of at most 15 digits
// in all, read the quick way: the digits as a whole number and a power of ten
// are both exact in a double, so their quotient is the double nearest the
// number, the one from_chars gives. False for any other text.
bool ReadShortDecimal(std::string_view text, double& value)
{
    static constexpr std::size_t kMostDigits = 15;
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* const end = p + text.size();
    std::uint64_t digits = 0;
    std::size_t count = 0;
    // Digits up to the end or a non-digit; false past the most digits.
    const auto readDigits = [&] {
        for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p) {
            if (++count > kMostDigits)
                return false;
            digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
        }
        return true;
    };
    if (!readDigits())
        return false;
    const std::size_t whole = count;
    if (p < end && *p == '.' && whole > 0) {
        ++p;
        if (!readDigits() || count == whole)
            return false;
    }
    if (p != end || whole == 0)
        return false;
    value = static_cast<double>(digits) / kPowersOfTen[count - whole];
    return true;
}

// A plain decimal number as the plans write them ("55.25", "7.0", "1e2"). A
// plan has up to 65,535 of them, most short: those are read the quick way.
bool ReadFrequency(std::string_view text, double& value)
{
    if (ReadShortDecimal(text, value))
        return true;
    const char* const end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value) && value >= 0.0;
}

// The header row of a CSV table (nullptr for a text without rows) must begin
// with the names given.
template <typename Row>
bool CheckHeader(std::string_view text, const Row* pHeader, const std::vector<std::string>& header,
                 PlanProblem& problem)
{
    std::string joined;
    for (const std::string& name : header)
        joined += (joined.empty() ? "" : ",") + name;
    if (!pHeader)
        return Fail(problem, CsvPosition{1, 1}, "the header must begin " + joined);
    const auto& names = pHeader->fields;
    for (std::size_t i = 0; i < header.size(); ++i)
        if (i >= names.size() || names[i] != header[i])
            return Fail(problem, CsvFieldPosition(text, *pHeader, std::min(i, names.size())),
                        "the header must begin " + joined);
    return true;
}

bool ReadCsvTable(std::string_view text, const std::vector<std::string>& header, std::size_t minimumFields,
                  std::vector<CsvRecord>& rows, PlanProblem& problem)
{
    CsvError error;
    if (!ParseCsv(text, rows, error))
        return Fail(problem, error.where, error.reason);
    if (!CheckHeader(text, rows.empty() ? nullptr : &rows.front(), header, problem))
        return false;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].fields.size() < minimumFields)
            return Fail(problem, CsvFieldPosition(text, rows[i], rows[i].fields.size()),
                        std::to_string(minimumFields) + " fields expected, found " +
                            std::to_string(rows[i].fields.size()));
    return true;
}

// A whole file of at most maxBytes. A larger one is refused by its size before
// any of it is read (or as soon as reading passes maxBytes, should it grow), and
// a FIFO or a device is refused without being opened, so that nothing waits on it.
bool ReadBoundedFile(const std::string& path, std::size_t maxBytes, const std::string& tooLarge,
                     std::vector<std::uint8_t>& bytes, PlanProblem& problem)
{
    problem.path = path;
    bytes.clear();
    FileReader reader;
    FileError error;
    if (!reader.Open(path.c_str(), NonRegularFiles::Refuse, &error))
        return Fail(problem, 0, "cannot be read: " + error.text);
    const std::optional<std::uint64_t> size = reader.RegularFileSize();
    if (size && *size > maxBytes)
        return Fail(problem, 0, "cannot be read: " + tooLarge);
    if (!reader.ReadUpTo(bytes, maxBytes + 1, &error))
        return Fail(problem, 0, "cannot be read: " + error.text);
    if (bytes.size() > maxBytes)
        return Fail(problem, 0, "cannot be read: " + tooLarge);
    return true;
}

bool ReadListFile(const std::string& path, std::string& text, PlanProblem& problem)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadBoundedFile(path, kMaxListFileSize, "larger than 16 MiB", bytes, problem))
        return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

bool ReadPlanFile(const std::string& path, std::vector<std::uint8_t>& bytes, PlanProblem& problem)
{
    return ReadBoundedFile(path, kMaxPlanFileBytes,
                           "larger than " + std::to_string(kMaxPlanFileBytes) + " bytes, the most a plan of " +
                               std::to_string(kMaxPlanChannels) + " channels takes",
                           bytes, problem);
}

std::string_view TextOf(const std::vector<std::uint8_t>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The rows of a plan text, read one at a time, each checked as it comes and
// its channel handed to take(label, position, frequency), the position the
// label names when it is a whole number, else -1: a plan is read in one pass
// without holding its rows. Whether the labels are positions is known only at
// the end, so the first breach of the rule that whole-number labels rise is
// kept until then: it counts only when every label is a whole number.
template <typename TakeChannel>
bool ReadPlanRows(std::string_view text, const PlanTextRules& rules, bool& bLabelsArePositions, PlanProblem& problem,
                  TakeChannel take)
{
    bLabelsArePositions = false;
    // Two fields of a row are all a plan uses; the rest are only counted.
    CsvReader reader(text, 2);
    CsvRecord row;
    // A refusal is kept while the rest of the text is read, for its faults
    // come first: a fault of the text anywhere, then the header, then a row
    // of the wrong number of fields anywhere, then the first refused channel.
    PlanProblem shape;   // the header, or a row's number of fields
    PlanProblem content; // the first channel refused
    const auto refuse = [&](PlanProblem& kept, CsvPosition where, std::string reason) {
        if (kept.reason.empty())
            Fail(kept, where, std::move(reason));
        // Nothing more is taken: the rest is read for its faults alone.
        reader.KeepFields(0);
        return false;
    };
    const bool bHeader = reader.Next(row);
    if (!reader.Failed()) {
        if (!CheckHeader(text, bHeader ? &row : nullptr, {"channel", "frequency_mhz"}, shape))
            refuse(shape, CsvPosition{shape.line, shape.column}, shape.reason);
        else if (row.fieldCount != 2)
            refuse(shape, CsvFieldPosition(text, row, 2), "the header must be channel,frequency_mhz");
    }

    std::size_t count = 0;
    bool bAllWhole = true;
    std::int64_t previous = 0;
    std::string breach;
    CsvPosition breachAt;
    while (!reader.Failed() && reader.Next(row)) {
        if (row.fieldCount != 2) {
            refuse(shape, CsvFieldPosition(text, row, std::min<std::size_t>(row.fieldCount, 2)),
                   "2 fields expected, found " + std::to_string(row.fieldCount));
            continue;
        }
        if (!shape.reason.empty() || !content.reason.empty())
            continue;
        if (++count > kMaxPlanChannels) {
            refuse(content, CsvFieldPosition(text, row, 0), "a list holds at most 65535 channels");
            continue;
        }
        const std::string_view label = row.fields[0];
        const std::string_view frequencyText = row.fields[1];
        if (label.empty()) {
            refuse(content, CsvFieldPosition(text, row, 0), "the channel label is empty");
            continue;
        }
        if (label.size() > kMaxPlanLabelBytes) {
            refuse(content, CsvFieldPosition(text, row, 0),
                   "the channel label is longer than " + std::to_string(kMaxPlanLabelBytes) + " bytes");
            continue;
        }
        if (frequencyText.size() > kMaxPlanFrequencyBytes) {
            refuse(content, CsvFieldPosition(text, row, 1),
                   Quoted(frequencyText) + " is longer than a frequency needs (" +
                       std::to_string(kMaxPlanFrequencyBytes) + " characters at most)");
            continue;
        }
        double dbFrequency = 0.0;
        if (rules.bAnyFrequency ? !ParseDouble(frequencyText, dbFrequency)
                                : !ReadFrequency(frequencyText, dbFrequency)) {
            refuse(content, CsvFieldPosition(text, row, 1),
                   Quoted(frequencyText) + (rules.bAnyFrequency
                                                ? " is not a frequency in MHz (a decimal number, inf, -inf or nan)"
                                                : " is not a frequency in MHz (a decimal number, 0 or more)"));
            continue;
        }

        // Whole-number labels are positions: they must name positions of a list, in order.
        const std::int64_t position = WholeNumber(label);
        bAllWhole = bAllWhole && position >= 0;
        if (bAllWhole && breach.empty()) {
            if (position < 1)
                breach = "channel 0: whole-number channels start at 1";
            else if (position > kMaxPosition)
                breach = "channel " + Quoted(label) + ": a list holds at most 65535 channels";
            else if (position <= previous)
                breach = "channel " + std::to_string(position) + " comes after channel " + std::to_string(previous) +
                         ": whole-number channels must rise";
            if (!breach.empty())
                breachAt = CsvFieldPosition(text, row, 0);
            previous = position;
        }
        take(label, position, dbFrequency);
    }
    if (reader.Failed())
        return Fail(problem, reader.Error().where, reader.Error().reason);
    for (const PlanProblem* pKept : {&shape, &content}) {
        if (!pKept->reason.empty()) {
            Fail(problem, CsvPosition{pKept->line, pKept->column}, pKept->reason);
            return false;
        }
    }
    if (count == 0 && !rules.bMayBeEmpty)
        return Fail(problem, 0, "holds no channels");
    if (bAllWhole && !breach.empty())
        return Fail(problem, breachAt, breach);
    bLabelsArePositions = bAllWhole;
    return true;
}

bool EqualWithoutCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::string PlanProblem::Text() const
{
    const std::string where = path.empty() ? std::string() : path + ": ";
    return line == 0 ? where + reason : where + "line " + std::to_string(line) + ": " + reason;
}

std::size_t ChannelPlan::PositionCount() const
{
    if (channels.empty())
        return 0;
    return bLabelsArePositions ? static_cast<std::size_t>(WholeNumber(channels.back().label)) : channels.size();
}

std::vector<double> ChannelPlan::Positions() const
{
    std::vector<double> positions(PositionCount(), 0.0);
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const std::size_t position =
            bLabelsArePositions ? static_cast<std::size_t>(WholeNumber(channels[i].label)) : i + 1;
        positions[position - 1] = channels[i].dbFrequency;
    }
    return positions;
}

bool ParseChannelPlan(std::string_view text, ChannelPlan& plan, PlanProblem& problem, const PlanTextRules& rules)
{
    plan.channels.clear();
    plan.bLabelsArePositions = false;
    bool bLabelsArePositions = false;
    const bool bRead =
        ReadPlanRows(text, rules, bLabelsArePositions, problem, [&](std::string_view label, std::int64_t, double f) {
            plan.channels.push_back(PlanChannel{std::string(label), f});
        });
    if (!bRead) {
        plan.channels.clear();
        return false;
    }
    plan.bLabelsArePositions = bLabelsArePositions;
    return true;
}

namespace {

// The outline of a plan taken channel by channel as its rows are read.
class OutlineTaker
{
public:
    void Take(std::string_view label)
    {
        if (m_outline.channelCount++ == 0)
            m_outline.firstLabel = label;
        m_outline.lastLabel = label;
    }
    PlanOutline Finish(bool bLabelsArePositions)
    {
        m_outline.bLabelsArePositions = bLabelsArePositions;
        m_outline.positionCount = m_outline.channelCount == 0 ? 0
                                  : bLabelsArePositions ? static_cast<std::size_t>(WholeNumber(m_outline.lastLabel))
                                                        : m_outline.channelCount;
        return std::move(m_outline);
    }

private:
    PlanOutline m_outline;
};

} // namespace

bool OutlineChannelPlan(std::string_view text, PlanOutline& outline, PlanProblem& problem, const PlanTextRules& rules)
{
    OutlineTaker taker;
    bool bLabelsArePositions = false;
    if (!ReadPlanRows(text, rules, bLabelsArePositions, problem,
                      [&](std::string_view label, std::int64_t, double) { taker.Take(label); }))
        return false;
    outline = taker.Finish(bLabelsArePositions);
    return true;
}

namespace {

// The outline of a plan file of more than kPlanFirstLinesBytes from the rows
// its first kPlanFirstLinesBytes hold, header and rows checked and the first
// label kept. False, for the file to be read whole, when it is smaller, larger
// than any plan, cannot be read, or its first lines do not read as the start
// of a plan: reading it whole then names the reason, as a listing of whole
// files would.
bool OutlineFromFirstLines(const std::string& path, PlanOutline& outline)
{
    FileReader reader;
    if (!reader.Open(path.c_str(), NonRegularFiles::Refuse, nullptr))
        return false;
    const std::optional<std::uint64_t> size = reader.RegularFileSize();
    if (!size || *size <= kPlanFirstLinesBytes || *size > kMaxPlanFileBytes)
        return false;
    std::vector<std::uint8_t> bytes;
    if (!reader.ReadUpTo(bytes, kPlanFirstLinesBytes, nullptr))
        return false;
    const std::string_view text = TextOf(bytes);
    const std::size_t lastLineEnd = text.rfind('\n');
    PlanOutline first;
    PlanProblem problem;
    if (lastLineEnd == std::string_view::npos || !OutlineChannelPlan(text.substr(0, lastLineEnd + 1), first, problem))
        return false;
    outline = PlanOutline();
    outline.firstLabel = std::move(first.firstLabel);
    outline.bWhole = false;
    return true;
}

} // namespace

PlanOutline OutlineOf(const ChannelPlan& plan)
{
    PlanOutline outline;
    outline.channelCount = plan.channels.size();
    outline.positionCount = plan.PositionCount();
    if (!plan.channels.empty()) {
        outline.firstLabel = plan.channels.front().label;
        outline.lastLabel = plan.channels.back().label;
    }
    outline.bLabelsArePositions = plan.bLabelsArePositions;
    return outline;
}

bool PlanOutline::operator==(const PlanOutline& other) const
{
    return channelCount == other.channelCount && positionCount == other.positionCount &&
           firstLabel == other.firstLabel && lastLabel == other.lastLabel &&
           bLabelsArePositions == other.bLabelsArePositions && bWhole == other.bWhole;
}

void AppendChannelRows(std::string& out, std::string_view prefix, const std::vector<double>& frequencies)
{
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        out += prefix;
        out += std::to_string(i + 1);
        out += ',';
        out += FormatDouble(frequencies[i]);
        out += '\n';
    }
}

bool ParsePlanIndex(std::string_view text, std::vector<ChannelPlan>& plans, PlanProblem& problem)
{
    plans.clear();
    std::vector<CsvRecord> rows;
    if (!ReadCsvTable(text, {"plan", "source_repo", "source_path", "source_commit", "source_section"}, 5, rows,
                      problem))
        return false;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string>& fields = rows[i].fields;
        // The name is the plan's file name in the index's folder, never a path.
        const std::string& name = fields[0];
        if (name.empty() || name[0] == '.' || name.find_first_of(std::string("/\0", 2)) != std::string::npos)
            return Fail(problem, CsvFieldPosition(text, rows[i], 0),
                        Quoted(name) + " is not a plan name (a file name without \"/\")");
        ChannelPlan plan;
        plan.name = fields[0];
        plan.source = fields[1] + (fields[1].empty() || fields[2].empty() ? "" : "/") + fields[2];
        if (!fields[3].empty())
            plan.source += " @ " + fields[3].substr(0, 12);
        plan.section = fields[4];
        plans.push_back(std::move(plan));
    }
    return true;
}

bool ParseCountryPlans(std::string_view text, std::vector<CountryPlans>& countries, PlanProblem& problem)
{
    countries.clear();
    std::vector<CsvRecord> rows;
    if (!ReadCsvTable(text, {"country", "calling_code", "tv_system", "plan", "cable_plan"}, 5, rows, problem))
        return false;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string>& fields = rows[i].fields;
        if (fields[0].empty())
            return Fail(problem, CsvFieldPosition(text, rows[i], 0), "the country name is empty");
        std::int32_t iCode = 0;
        const char* const end = fields[1].data() + fields[1].size();
        const auto result = std::from_chars(fields[1].data(), end, iCode);
        if (result.ec != std::errc() || result.ptr != end || iCode < 1)
            return Fail(problem, CsvFieldPosition(text, rows[i], 1),
                        Quoted(fields[1]) + " is not a calling code (a whole number above 0)");
        countries.push_back(CountryPlans{fields[0], iCode, fields[2], fields[3], fields[4]});
    }
    return true;
}

bool FillListFromPositions(ChannelTable& table, std::int32_t iMode, const std::vector<double>& positions)
{
    const EntryList* pList = table.GetList(iMode);
    if (!pList || pList->iCount != 0)
        return false;
    // The range comes out as appending the channels one by one would leave it.
    return table.AppendFrequencies(iMode, positions);
}

bool FillListFromPlan(ChannelTable& table, std::int32_t iMode, const ChannelPlan& plan)
{
    return FillListFromPositions(table, iMode, plan.Positions());
}

std::string PlanLibrary::InstalledFolder()
{
    return InstalledFolder(DataFolders());
}

std::string PlanLibrary::InstalledFolder(const std::vector<std::string>& dataFolders)
{
    for (const std::string& folder : dataFolders) {
        const std::string plans = (folder == "/" ? folder : folder + "/") + kFolderName;
        std::error_code error;
        if (std::filesystem::is_regular_file(plans + "/" + kIndexFileName, error))
            return plans;
    }
    return {};
}

PlanLibrary PlanLibrary::Load(PlanListing listing)
{
    const std::string own = UserDataFolder();
    return Load(InstalledFolder(), own.empty() ? own : own + "/" + kFolderName, listing);
}

PlanLibrary PlanLibrary::Load(const std::string& installed, const std::string& own, PlanListing listing)
{
    PlanLibrary library;
    if (!installed.empty())
        library.LoadInstalled(installed, listing);
    // The person's folder may be the installed one (data kept in the home folder).
    std::error_code error;
    const bool bSameFolder = !installed.empty() && std::filesystem::equivalent(installed, own, error);
    if (!own.empty() && !bSameFolder)
        library.LoadOwn(own, listing);
    std::sort(library.m_plans.begin(), library.m_plans.end(),
              [](const ListedPlan& a, const ListedPlan& b) { return a.name < b.name; });
    return library;
}

void PlanLibrary::LoadInstalled(const std::string& folder, PlanListing listing)
{
    std::string text;
    PlanProblem problem;
    const std::string countries = folder + "/" + kCountriesFileName;
    if (!ReadListFile(countries, text, problem) || !ParseCountryPlans(text, m_countries, problem))
        m_problems.push_back(problem);

    problem = PlanProblem();
    std::vector<ChannelPlan> indexed;
    const std::string index = folder + "/" + kIndexFileName;
    if (!ReadListFile(index, text, problem) || !ParsePlanIndex(text, indexed, problem)) {
        m_problems.push_back(problem);
        return;
    }
    for (ChannelPlan& plan : indexed) {
        ListedPlan listed;
        listed.name = std::move(plan.name);
        listed.source = std::move(plan.source);
        listed.section = std::move(plan.section);
        listed.path = folder + "/" + listed.name + ".csv";
        ListPlan(std::move(listed), listing);
    }
}

namespace {

bool IsOwnPlanFile(const std::filesystem::path& path)
{
    const std::string fileName = path.filename().string();
    return path.extension() == ".csv" && fileName != PlanLibrary::kIndexFileName &&
           fileName != PlanLibrary::kCountriesFileName;
}

// The first kMaxOwnPlans plan files of a folder by name, in that order, and
// how many more the folder holds. However many files it holds, no more than
// twice the plans listed are kept at any time.
std::vector<std::string> FirstOwnPlanPaths(const std::string& folder, std::size_t& more)
{
    std::vector<std::string> paths;
    more = 0;
    const auto keepFirst = [&paths, &more] {
        if (paths.size() <= kMaxOwnPlans)
            return;
        std::nth_element(paths.begin(), paths.begin() + kMaxOwnPlans, paths.end());
        more += paths.size() - kMaxOwnPlans;
        paths.resize(kMaxOwnPlans);
    };
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!IsOwnPlanFile(it->path()))
            continue;
        paths.push_back(it->path().string());
        if (paths.size() == 2 * kMaxOwnPlans)
            keepFirst();
    }
    keepFirst();
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

void PlanLibrary::LoadOwn(const std::string& folder, PlanListing listing)
{
    std::size_t more = 0;
    for (const std::string& path : FirstOwnPlanPaths(folder, more)) {
        ListedPlan plan;
        plan.name = std::filesystem::path(path).stem().string();
        plan.source = "own plan, " + path;
        plan.bOwn = true;
        plan.path = path;
        ListPlan(std::move(plan), listing);
    }
    if (more > 0) {
        PlanProblem problem;
        problem.path = folder;
        problem.reason = std::to_string(more) + (more == 1 ? " more plan file is" : " more plan files are") +
                         " not listed: the first " + std::to_string(kMaxOwnPlans) + " by name are";
        m_problems.push_back(std::move(problem));
    }
}

void PlanLibrary::ListPlan(ListedPlan plan, PlanListing listing)
{
    // The look comes before the read: a change made while the file is read
    // shows as a change when the plan is chosen.
    plan.stamp = PlanFileStamp::Of(plan.path);
    m_readFiles.emplace_back(plan.path, plan.stamp);
    if (listing == PlanListing::FirstLines && OutlineFromFirstLines(plan.path, plan.outline)) {
        AddPlan(std::move(plan));
        return;
    }
    std::vector<std::uint8_t> bytes;
    PlanProblem problem;
    if (ReadPlanFile(plan.path, bytes, problem) && OutlineChannelPlan(TextOf(bytes), plan.outline, problem))
        AddPlan(std::move(plan));
    else
        m_problems.push_back(std::move(problem));
}

namespace {

// The bytes of a listed plan's file, refused when the file is gone or is not
// the one that was listed.
bool ReadStillListedFile(const ListedPlan& listed, std::vector<std::uint8_t>& bytes, PlanProblem& problem)
{
    problem = PlanProblem();
    problem.path = listed.path;
    const PlanFileStamp now = PlanFileStamp::Of(listed.path);
    if (!now.bPresent)
        return Fail(problem, 0, "is gone since the plans were listed");
    if (now != listed.stamp)
        return Fail(problem, 0, "has changed since the plans were listed");
    return ReadPlanFile(listed.path, bytes, problem);
}

} // namespace

bool PlanLibrary::ReadWhole(const ListedPlan& plan, PlanProblem& problem)
{
    problem = PlanProblem();
    problem.path = plan.path;
    if (plan.outline.bWhole)
        return true;
    const auto it = std::find_if(m_plans.begin(), m_plans.end(), [&](const ListedPlan& p) { return &p == &plan; });
    if (it == m_plans.end())
        return Fail(problem, 0, "is not a plan of this listing");
    if (!it->unreadable.empty())
        return Fail(problem, 0, it->unreadable);
    PlanOutline outline;
    std::vector<std::uint8_t> bytes;
    if (ReadStillListedFile(plan, bytes, problem) && OutlineChannelPlan(TextOf(bytes), outline, problem)) {
        if (outline.firstLabel == plan.outline.firstLabel) {
            it->outline = std::move(outline);
            return true;
        }
        Fail(problem, 0, "has changed since the plans were listed");
    }
    // Kept as the reason alone: the chooser names the plan itself.
    PlanProblem reason = problem;
    reason.path.clear();
    it->unreadable = reason.Text();
    return false;
}

void PlanLibrary::AddPlan(ListedPlan plan)
{
    for (ListedPlan& existing : m_plans) {
        if (existing.name == plan.name) {
            existing = std::move(plan);
            return;
        }
    }
    m_plans.push_back(std::move(plan));
}

bool PlanLibrary::PlanFilesChanged() const
{
    return std::any_of(m_readFiles.begin(), m_readFiles.end(),
                       [](const auto& file) { return PlanFileStamp::Of(file.first) != file.second; });
}

PlanFileStamp PlanFileStamp::Of(const std::string& path)
{
    PlanFileStamp stamp;
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.bPresent = true;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return stamp;
}

bool PlanFileStamp::operator==(const PlanFileStamp& other) const
{
    return bPresent == other.bPresent && device == other.device && inode == other.inode && size == other.size &&
           modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds;
}

bool ReadListedPlan(const ListedPlan& listed, std::vector<double>& positions, PlanProblem& problem)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadStillListedFile(listed, bytes, problem))
        return false;
    // The frequencies in the plan's order, each with the position its label
    // names; which of the two orders holds is known once every row is read.
    OutlineTaker taker;
    std::vector<double> frequencies;
    std::vector<std::uint16_t> named;
    frequencies.reserve(listed.outline.channelCount);
    named.reserve(listed.outline.channelCount);
    bool bLabelsArePositions = false;
    if (!ReadPlanRows(TextOf(bytes), PlanTextRules(), bLabelsArePositions, problem,
                      [&](std::string_view label, std::int64_t position, double f) {
                          taker.Take(label);
                          frequencies.push_back(f);
                          named.push_back(position > 0 && position <= kMaxPosition
                                              ? static_cast<std::uint16_t>(position)
                                              : std::uint16_t{0});
                      }))
        return false;
    const PlanOutline outline = taker.Finish(bLabelsArePositions);
    // Changed while the stamp stayed (rewritten within the clock's step). Of
    // a plan listed from its first lines only its first label is known.
    if (listed.outline.bWhole ? outline != listed.outline : outline.firstLabel != listed.outline.firstLabel)
        return Fail(problem, 0, "has changed since the plans were listed");
    if (!bLabelsArePositions) {
        positions = std::move(frequencies);
        return true;
    }
    positions.assign(outline.positionCount, 0.0);
    for (std::size_t i = 0; i < frequencies.size(); ++i)
        positions[named[i] - 1u] = frequencies[i];
    return true;
}

bool ReadChannelPlanFile(const std::string& path, ChannelPlan& plan, PlanProblem& problem)
{
    problem = PlanProblem();
    plan.channels.clear();
    plan.bLabelsArePositions = false;
    std::vector<std::uint8_t> bytes;
    if (!ReadPlanFile(path, bytes, problem))
        return false;
    return ParseChannelPlan(TextOf(bytes), plan, problem);
}

namespace {

// What a file or folder is now, as far as a change to it shows: its path, kind,
// modification time and size; "-" for one that is not there.
void AddFileState(std::string& signature, const std::string& path)
{
    struct stat info
    {
    };
    signature += path;
    if (::stat(path.c_str(), &info) != 0) {
        signature += "|-\n";
        return;
    }
    signature += '|' + std::to_string(info.st_mode) + '|' + std::to_string(info.st_mtim.tv_sec) + '.' +
                 std::to_string(info.st_mtim.tv_nsec) + '|' + std::to_string(info.st_size) + '|' +
                 std::to_string(info.st_ino) + '\n';
}

// The folders and lists a library comes from: a plan added to, removed from or
// renamed in the person's folder changes the folder. The plan files themselves
// are looked at through the library (PlanFilesChanged), so that a folder of
// many files costs no more than the plans listed.
std::string FolderSignature()
{
    std::string signature;
    const std::string installed = PlanLibrary::InstalledFolder();
    if (!installed.empty()) {
        AddFileState(signature, installed);
        AddFileState(signature, installed + "/" + PlanLibrary::kIndexFileName);
        AddFileState(signature, installed + "/" + PlanLibrary::kCountriesFileName);
    }
    const std::string user = UserDataFolder();
    if (!user.empty())
        AddFileState(signature, user + "/" + PlanLibrary::kFolderName);
    return signature;
}

} // namespace

PlanLibrary& PlanLibraryCache::Current()
{
    std::string folders = FolderSignature();
    if (!m_bRead || folders != m_folders || m_library.PlanFilesChanged()) {
        m_library = PlanLibrary::Load(PlanListing::FirstLines);
        m_folders = std::move(folders);
        m_bRead = true;
    }
    return m_library;
}

const ListedPlan* PlanLibrary::FindPlan(std::string_view name) const
{
    const auto it =
        std::find_if(m_plans.begin(), m_plans.end(), [name](const ListedPlan& plan) { return plan.name == name; });
    return it == m_plans.end() ? nullptr : &*it;
}

const CountryPlans* PlanLibrary::FindCountry(std::string_view codeOrName) const
{
    std::int32_t iCode = 0;
    const char* const end = codeOrName.data() + codeOrName.size();
    const auto result = std::from_chars(codeOrName.data(), end, iCode);
    const bool bCode = result.ec == std::errc() && result.ptr == end;
    for (const CountryPlans& country : m_countries)
        if (bCode ? country.iCallingCode == iCode : EqualWithoutCase(country.name, codeOrName))
            return &country;
    return nullptr;
}
