#include "ChannelPlans.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include <sys/stat.h>

#include "ChannelTable.h"
#include "Csv.h"
#include "DataFolders.h"
#include "FileIO.h"
#include "Numbers.h"

namespace {

// Far beyond the largest plan a list can hold (65,535 rows of a few bytes).
constexpr std::size_t kMaxPlanFileSize = 16u * 1024u * 1024u;
constexpr std::int64_t kMaxPosition = 65535;

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
std::string Quoted(const std::string& field)
{
    std::string text;
    for (const char c : field.substr(0, 24))
        text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return "\"" + text + (field.size() > 24 ? "...\"" : "\"");
}

// Digits only, as a position; -1 for anything else, kMaxPosition + 1 for a
// number beyond any position.
std::int64_t WholeNumber(const std::string& text)
{
    if (text.empty())
        return -1;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = std::min(value * 10 + (c - '0'), kMaxPosition + 1);
    }
    return value;
}

// A plain decimal number as the plans write them ("55.25", "7.0", "1e2").
bool ReadFrequency(const std::string& text, double& value)
{
    const char* const end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value) && value >= 0.0;
}

// The header row (none for a text without rows) must begin with the names given.
bool HeaderBegins(std::string_view text, const CsvRecord* pHeader, const std::vector<std::string>& header,
                  PlanProblem& problem)
{
    std::string joined;
    for (const std::string& name : header)
        joined += (joined.empty() ? "" : ",") + name;
    if (!pHeader)
        return Fail(problem, CsvPosition{1, 1}, "the header must begin " + joined);
    const std::vector<std::string>& names = pHeader->fields;
    for (std::size_t i = 0; i < header.size(); ++i)
        if (i >= names.size() || names[i] != header[i])
            return Fail(problem, CsvFieldPosition(text, *pHeader, std::min(i, names.size())),
                        "the header must begin " + joined);
    return true;
}

bool FailFieldCount(std::string_view text, const CsvRecord& row, std::size_t expected, PlanProblem& problem)
{
    return Fail(problem, CsvFieldPosition(text, row, std::min(row.fieldCount, expected)),
                std::to_string(expected) + " fields expected, found " + std::to_string(row.fieldCount));
}

bool ReadCsvTable(std::string_view text, const std::vector<std::string>& header, std::size_t minimumFields,
                  std::vector<CsvRecord>& rows, PlanProblem& problem)
{
    CsvError error;
    if (!ParseCsv(text, rows, error))
        return Fail(problem, error.where, error.reason);
    if (!HeaderBegins(text, rows.empty() ? nullptr : &rows.front(), header, problem))
        return false;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].fieldCount < minimumFields)
            return FailFieldCount(text, rows[i], minimumFields, problem);
    return true;
}

// What reading a plan's text row by row found besides its channels, so that
// its refusals come in the order a reading of the whole text would give them:
// a fault of the text, the header, a row short of fields, the number of rows,
// then the first row whose fields are refused.
struct PlanRows
{
    CsvRecord header;
    bool bHeader = false;
    std::size_t count = 0; // rows after the header
    CsvRecord firstShort;  // the first of them with fewer than two fields
    bool bShort = false;
    CsvRecord pastLimit; // the row after the most a list holds
    PlanProblem refusal; // the first row among those whose fields are refused
    bool bRefused = false;
    bool bAllWhole = true; // every label a whole number
};

// The channel of one row, or false with the row's refusal.
bool ReadPlanChannel(std::string_view text, CsvRecord& row, const PlanTextRules& rules, PlanChannel& channel,
                     PlanProblem& problem)
{
    if (row.fieldCount != 2)
        return FailFieldCount(text, row, 2, problem);
    channel.label = std::move(row.fields[0]);
    if (channel.label.empty())
        return Fail(problem, CsvFieldPosition(text, row, 0), "the channel label is empty");
    if (rules.bAnyFrequency ? !ParseDouble(row.fields[1], channel.dbFrequency)
                            : !ReadFrequency(row.fields[1], channel.dbFrequency))
        return Fail(problem, CsvFieldPosition(text, row, 1),
                    Quoted(row.fields[1]) + (rules.bAnyFrequency
                                                 ? " is not a frequency in MHz (a decimal number, inf, -inf or nan)"
                                                 : " is not a frequency in MHz (a decimal number, 0 or more)"));
    return true;
}

// Reads a plan's text once, its channels into the plan until a row is refused
// or a list is full; the rest is read only for its faults and its shape, with
// no field kept, so that any text costs at most a list's worth of channels.
bool ReadPlanRows(std::string_view text, const PlanTextRules& rules, ChannelPlan& plan, PlanRows& rows, CsvError& error)
{
    CsvReader reader(text, 2);
    CsvRecord row;
    while (reader.Next(row)) {
        if (!rows.bHeader) {
            rows.header = row;
            rows.bHeader = true;
            continue;
        }
        ++rows.count;
        if (!rows.bShort && row.fieldCount < 2) {
            rows.firstShort = row;
            rows.bShort = true;
        }
        if (rows.count == static_cast<std::size_t>(kMaxPosition) + 1)
            rows.pastLimit = row;
        if (rows.bRefused || rows.count > static_cast<std::size_t>(kMaxPosition))
            continue;
        PlanChannel channel;
        rows.bRefused = !ReadPlanChannel(text, row, rules, channel, rows.refusal);
        if (rows.bRefused || rows.count == static_cast<std::size_t>(kMaxPosition)) {
            reader.KeepFields(0);
            if (rows.bRefused)
                continue;
        }
        rows.bAllWhole = rows.bAllWhole && WholeNumber(channel.label) >= 0;
        plan.channels.push_back(std::move(channel));
    }
    error = reader.Error();
    return !reader.Failed();
}

// Where the label of channel `index` (from 0) stands: found by reading the
// text again, for a message.
CsvPosition LabelPosition(std::string_view text, std::size_t index)
{
    CsvReader reader(text, 0);
    CsvRecord row;
    for (std::size_t i = 0; i <= index + 1; ++i)
        reader.Next(row);
    return CsvFieldPosition(text, row, 0);
}

bool ReadTextFile(const std::string& path, std::string& text, PlanProblem& problem)
{
    problem.path = path;
    std::vector<std::uint8_t> bytes;
    FileError error;
    if (!ReadFileBytes(path.c_str(), bytes, kMaxPlanFileSize + 1, &error))
        return Fail(problem, 0, "cannot be read: " + error.text);
    if (bytes.size() > kMaxPlanFileSize)
        return Fail(problem, 0, "cannot be read: larger than 16 MiB");
    text.assign(bytes.begin(), bytes.end());
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
    return line == 0 ? path + ": " + reason : path + ": line " + std::to_string(line) + ": " + reason;
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
    PlanRows rows;
    CsvError error;
    if (!ReadPlanRows(text, rules, plan, rows, error))
        return Fail(problem, error.where, error.reason);
    if (!HeaderBegins(text, rows.bHeader ? &rows.header : nullptr, {"channel", "frequency_mhz"}, problem))
        return false;
    if (rows.bShort)
        return FailFieldCount(text, rows.firstShort, 2, problem);
    if (rows.header.fieldCount != 2)
        return Fail(problem, CsvFieldPosition(text, rows.header, 2), "the header must be channel,frequency_mhz");
    if (rows.count == 0 && !rules.bMayBeEmpty)
        return Fail(problem, 0, "holds no channels");
    if (rows.count > static_cast<std::size_t>(kMaxPosition))
        return Fail(problem, CsvFieldPosition(text, rows.pastLimit, 0), "a list holds at most 65535 channels");
    if (rows.bRefused) {
        problem.line = rows.refusal.line;
        problem.column = rows.refusal.column;
        problem.reason = std::move(rows.refusal.reason);
        return false;
    }

    // Whole-number labels are positions: they must name positions of a list, in order.
    if (rows.bAllWhole) {
        std::int64_t previous = 0;
        for (std::size_t i = 0; i < plan.channels.size(); ++i) {
            const std::int64_t position = WholeNumber(plan.channels[i].label);
            if (position < 1)
                return Fail(problem, LabelPosition(text, i), "channel 0: whole-number channels start at 1");
            if (position > kMaxPosition)
                return Fail(problem, LabelPosition(text, i),
                            "channel " + Quoted(plan.channels[i].label) + ": a list holds at most 65535 channels");
            if (position <= previous)
                return Fail(problem, LabelPosition(text, i),
                            "channel " + std::to_string(position) + " comes after channel " + std::to_string(previous) +
                                ": whole-number channels must rise");
            previous = position;
        }
    }
    plan.bLabelsArePositions = rows.bAllWhole;
    return true;
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

bool FillListFromPlan(ChannelTable& table, std::int32_t iMode, const ChannelPlan& plan)
{
    const EntryList* pList = table.GetList(iMode);
    if (!pList || pList->iCount != 0)
        return false;
    // The range comes out as appending the channels one by one would leave it.
    return table.AppendFrequencies(iMode, plan.Positions());
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

PlanLibrary PlanLibrary::Load()
{
    const std::string own = UserDataFolder();
    return Load(InstalledFolder(), own.empty() ? own : own + "/" + kFolderName);
}

PlanLibrary PlanLibrary::Load(const std::string& installed, const std::string& own)
{
    PlanLibrary library;
    if (!installed.empty())
        library.LoadInstalled(installed);
    // The person's folder may be the installed one (data kept in the home folder).
    std::error_code error;
    const bool bSameFolder = !installed.empty() && std::filesystem::equivalent(installed, own, error);
    if (!own.empty() && !bSameFolder)
        library.LoadOwn(own);
    std::sort(library.m_plans.begin(), library.m_plans.end(),
              [](const ChannelPlan& a, const ChannelPlan& b) { return a.name < b.name; });
    return library;
}

void PlanLibrary::LoadInstalled(const std::string& folder)
{
    std::string text;
    PlanProblem problem;
    const std::string countries = folder + "/" + kCountriesFileName;
    if (!ReadTextFile(countries, text, problem) || !ParseCountryPlans(text, m_countries, problem))
        m_problems.push_back(problem);

    problem = PlanProblem();
    std::vector<ChannelPlan> indexed;
    const std::string index = folder + "/" + kIndexFileName;
    if (!ReadTextFile(index, text, problem) || !ParsePlanIndex(text, indexed, problem)) {
        m_problems.push_back(problem);
        return;
    }
    for (ChannelPlan& plan : indexed) {
        problem = PlanProblem();
        if (ReadTextFile(folder + "/" + plan.name + ".csv", text, problem) && ParseChannelPlan(text, plan, problem))
            AddPlan(std::move(plan));
        else
            m_problems.push_back(problem);
    }
}

void PlanLibrary::LoadOwn(const std::string& folder)
{
    std::vector<std::string> paths;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path& path = it->path();
        const std::string fileName = path.filename().string();
        if (path.extension() == ".csv" && fileName != kIndexFileName && fileName != kCountriesFileName)
            paths.push_back(path.string());
    }
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) {
        std::string text;
        PlanProblem problem;
        ChannelPlan plan;
        plan.name = std::filesystem::path(path).stem().string();
        plan.source = "own plan, " + path;
        plan.bOwn = true;
        if (ReadTextFile(path, text, problem) && ParseChannelPlan(text, plan, problem))
            AddPlan(std::move(plan));
        else
            m_problems.push_back(problem);
    }
}

void PlanLibrary::AddPlan(ChannelPlan plan)
{
    for (ChannelPlan& existing : m_plans) {
        if (existing.name == plan.name) {
            existing = std::move(plan);
            return;
        }
    }
    m_plans.push_back(std::move(plan));
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

std::string LibrarySignature()
{
    std::string signature;
    const std::string installed = PlanLibrary::InstalledFolder();
    if (!installed.empty()) {
        AddFileState(signature, installed);
        AddFileState(signature, installed + "/" + PlanLibrary::kIndexFileName);
        AddFileState(signature, installed + "/" + PlanLibrary::kCountriesFileName);
    }
    const std::string user = UserDataFolder();
    if (user.empty())
        return signature;
    const std::string own = user + "/" + PlanLibrary::kFolderName;
    AddFileState(signature, own);
    std::vector<std::string> paths;
    std::error_code error;
    for (std::filesystem::directory_iterator it(own, error), end; !error && it != end; it.increment(error))
        paths.push_back(it->path().string());
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths)
        AddFileState(signature, path);
    return signature;
}

} // namespace

const PlanLibrary& PlanLibraryCache::Current()
{
    std::string signature = LibrarySignature();
    if (!m_bRead || signature != m_signature) {
        m_library = PlanLibrary::Load();
        m_signature = std::move(signature);
        m_bRead = true;
    }
    return m_library;
}

const ChannelPlan* PlanLibrary::FindPlan(std::string_view name) const
{
    const auto it =
        std::find_if(m_plans.begin(), m_plans.end(), [name](const ChannelPlan& plan) { return plan.name == name; });
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
