#pragma once
// Standard channel plans: public per-country channel line-ups, each a CSV
// file "channel,frequency_mhz", their index (where each plan comes from) and
// the country list that names each country's broadcast and cable plan. The
// plans are installed data, found by the rule of DataFolders.h in the folder
// "plans"; a person's own plans lie in the "plans" folder of their own data
// folder and are listed with the others.
//
// Channel numbers are positions. When every label of a plan is a whole number,
// each channel goes to the position its label names and the positions in
// between stay empty (0 MHz): broadcast channel 2 of a plan that starts at 2 is
// channel 2. Otherwise ("E2", "S21", "T14", or labels that mix letters and
// numbers) the channels take positions 1, 2, 3... in the plan's order.
//
// A listing keeps of each plan only what is shown of it (ListedPlan): its
// channels are read from its file when it is chosen (ReadListedPlan). The
// editors list a large plan from its first lines alone and read it whole when
// it is chosen (PlanListing::FirstLines, PlanLibrary::ReadWhole), so that a
// folder of large plans opens the chooser at once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ChannelTable;

// What a plan may hold: as many channels as a list holds, labels of a few
// dozen bytes at most ("S21", "E12", "K 69 (UHF)") and frequencies of at most
// 32 characters (FormatDouble's longest form takes 24).
constexpr std::size_t kMaxPlanChannels = 65535;
constexpr std::size_t kMaxPlanLabelBytes = 32;
constexpr std::size_t kMaxPlanFrequencyBytes = 32;

// The largest plan file that is read: every plan within those limits fits,
// however it is written. A byte order mark and the header quoted
// ("channel","frequency_mhz" and CRLF), then per channel the label quoted with
// every byte of it a doubled quote, a comma, the frequency quoted, and CRLF.
// A larger file is refused by its size, before any of it is read.
constexpr std::size_t kMaxPlanHeaderBytes = 3 + 25 + 2;
constexpr std::size_t kMaxPlanRowBytes = (2 + 2 * kMaxPlanLabelBytes) + 1 + (2 + kMaxPlanFrequencyBytes) + 2;
constexpr std::size_t kMaxPlanFileBytes = kMaxPlanHeaderBytes + kMaxPlanChannels * kMaxPlanRowBytes;

// At most this many of a person's own plan files are looked at, the first by
// name; the rest are not listed, and the listing says how many they are.
constexpr std::size_t kMaxOwnPlans = 100;

// A plan file of more bytes than this is listed from its first lines when
// the listing asks for it: at least 39 rows of the longest, and about 300
// channels as the shipped plans write them, most of a published plan.
constexpr std::size_t kPlanFirstLinesBytes = 4 * 1024;

struct PlanChannel
{
    std::string label;        // the plan's own channel label, "2", "E2", "S21"
    double dbFrequency = 0.0; // picture carrier in MHz
};

struct ChannelPlan
{
    std::string name;    // the file name without ".csv"
    std::string source;  // where the numbers come from
    std::string section; // the part of the source they come from
    bool bOwn = false;   // a person's own plan rather than an installed one
    std::vector<PlanChannel> channels;

    // Every label is a whole number, so labels are positions (set by the reader).
    bool bLabelsArePositions = false;

    // The frequency of every position from 1 on, 0 for an empty slot.
    std::vector<double> Positions() const;
    // How many channels the list filled from this plan holds.
    std::size_t PositionCount() const;
};

// What is shown of a plan without its channels: how many it has, the list
// it fills, and its first and last label.
struct PlanOutline
{
    std::size_t channelCount = 0;
    std::size_t positionCount = 0; // PositionCount() of the plan
    std::string firstLabel;
    std::string lastLabel;
    bool bLabelsArePositions = false;
    // False for a plan listed from its first lines: only firstLabel is known,
    // and the file has not been read to its end.
    bool bWhole = true;

    bool operator==(const PlanOutline& other) const;
    bool operator!=(const PlanOutline& other) const { return !(*this == other); }
};

// A file as it was when it was read: a later look tells whether it changed.
struct PlanFileStamp
{
    bool bPresent = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    // The file at path as it is now (not present when it cannot be looked at).
    static PlanFileStamp Of(const std::string& path);
    bool operator==(const PlanFileStamp& other) const;
    bool operator!=(const PlanFileStamp& other) const { return !(*this == other); }
};

// A plan as a listing keeps it: what the chooser and vornalix-tool plans show
// of it, and the file its channels are read from once it is chosen.
struct ListedPlan
{
    std::string name;    // the file name without ".csv"
    std::string source;  // where the numbers come from
    std::string section; // the part of the source they come from
    bool bOwn = false;   // a person's own plan rather than an installed one
    std::string path;    // its file
    PlanOutline outline;
    PlanFileStamp stamp; // its file when it was listed
    // Why the file did not read as a plan when it was read whole after a
    // listing from its first lines; empty while it reads or was not read.
    std::string unreadable;
};

struct CountryPlans
{
    std::string name;
    std::int32_t iCallingCode = 0;
    std::string tvSystem;  // "PAL_B", "NTSC_M"
    std::string airPlan;   // broadcast plan, empty when none was published
    std::string cablePlan; // cable plan, empty when none was published
};

// A file that could not be read as what it should be: its path, the line
// (0 for the file as a whole) and the reason.
struct PlanProblem
{
    std::string path;
    std::size_t line = 0;
    std::string reason;
    std::size_t column = 0; // where on the line, from 1; 0 when not known

    // "PATH: line N: REASON", or "PATH: REASON" for line 0; without "PATH: "
    // when the problem is no file's.
    std::string Text() const;
};

// What a plan text may hold beyond the rules of the plan files.
struct PlanTextRules
{
    // Any frequency a table may hold, in the forms FormatDouble writes
    // ("-1", "inf", "nan"), and not only decimal numbers of 0 or more: a list
    // exported from a table comes back as it was.
    bool bAnyFrequency = false;
    // No rows after the header: an empty list.
    bool bMayBeEmpty = false;
};

// The text of one plan file. False, with the line, the column and the reason,
// for a header other than "channel,frequency_mhz", a row without exactly two
// fields, an empty label or one longer than kMaxPlanLabelBytes, a frequency
// that is not a decimal number of 0 or more or is longer than
// kMaxPlanFrequencyBytes, no rows, or whole-number labels that do not rise
// from 1 to at most 65,535, and for a plan that would fill more than 65,535
// channels.
bool ParseChannelPlan(std::string_view text, ChannelPlan& plan, PlanProblem& problem,
                      const PlanTextRules& rules = PlanTextRules());
// The same reading of the text, keeping only its outline: what a listing of
// many plans keeps of each.
bool OutlineChannelPlan(std::string_view text, PlanOutline& outline, PlanProblem& problem,
                        const PlanTextRules& rules = PlanTextRules());
PlanOutline OutlineOf(const ChannelPlan& plan);

// The channels of a listed plan at their positions (ChannelPlan::Positions),
// read from its file when it is chosen. False, with the file and the reason,
// when the file is gone, is no longer the file that was listed (changed since,
// replaced), or no longer reads as the plan that was listed.
bool ReadListedPlan(const ListedPlan& listed, std::vector<double>& positions, PlanProblem& problem);

// A plan file read whole, with its labels: refused, as the listing refuses
// it, when it is larger than kMaxPlanFileBytes (by its size, before any of it
// is read), is not a regular file (a FIFO or a device is not opened), or does
// not read as a plan. For whoever needs the labels of a plan as it is now.
bool ReadChannelPlanFile(const std::string& path, ChannelPlan& plan, PlanProblem& problem);

// The header of a plan file, and of a list exported as one.
constexpr const char* kPlanHeader = "channel,frequency_mhz";

// One CSV row per position from 1 on, every slot written, the frequency in
// FormatDouble's form: "PREFIXN,FREQUENCY\n". vornalix-tool's export writes
// them after "air," and "cable,", the editors' list export with no prefix
// under kPlanHeader, which ParseChannelPlan reads back.
void AppendChannelRows(std::string& out, std::string_view prefix, const std::vector<double>& frequencies);

// The index: "plan,source_repo,source_path,source_commit,source_section,..."
// (the columns after the first five are not used). Each row gives a plan's
// name (its file name without ".csv": not empty, no "/", not beginning with
// "."), source and section.
bool ParsePlanIndex(std::string_view text, std::vector<ChannelPlan>& plans, PlanProblem& problem);

// The country list: "country,calling_code,tv_system,plan,cable_plan,..."
// with a calling code from 1 to 2,147,483,647.
bool ParseCountryPlans(std::string_view text, std::vector<CountryPlans>& countries, PlanProblem& problem);

// Fills an empty list of a table with a plan's positions, and computes its
// range as appending them one by one would. False when the table has no such
// list or the list is not empty.
bool FillListFromPlan(ChannelTable& table, std::int32_t iMode, const ChannelPlan& plan);
bool FillListFromPositions(ChannelTable& table, std::int32_t iMode, const std::vector<double>& positions);

// How a listing reads the plan files: each whole, or a plan of more than
// kPlanFirstLinesBytes from its first lines alone. A file refused from its
// first lines is read whole, so what is refused and why are the same.
enum class PlanListing
{
    Whole,
    FirstLines
};

class PlanLibrary
{
public:
    static constexpr const char* kFolderName = "plans";
    static constexpr const char* kIndexFileName = "channel-plans-index.csv";
    static constexpr const char* kCountriesFileName = "country-plans.csv";

    // The installed plans from the first data folder whose "plans" folder
    // holds an index, then the person's own plans from the "plans" folder of
    // their data folder.
    static PlanLibrary Load(PlanListing listing = PlanListing::Whole);
    // The same from given folders: installed is a "plans" folder (empty for
    // none), own a folder of a person's plans (empty for none). An own plan
    // takes the place of an installed plan of the same name. Each plan file
    // is read once and only its outline kept; of the own folder the first
    // kMaxOwnPlans plan files by name are read, and the rest named in one
    // problem. Only regular files are read: a FIFO or a device is refused
    // without being opened.
    static PlanLibrary Load(const std::string& installed, const std::string& own,
                            PlanListing listing = PlanListing::Whole);
    // The "plans" folder of the first data folder (DataFolders() by default)
    // that holds an index; empty when none does.
    static std::string InstalledFolder();
    static std::string InstalledFolder(const std::vector<std::string>& dataFolders);

    // Plans by name (installed and own together); countries in list order.
    const std::vector<ListedPlan>& Plans() const { return m_plans; }
    const std::vector<CountryPlans>& Countries() const { return m_countries; }
    // Files that could not be read, each reported once; the rest is listed.
    const std::vector<PlanProblem>& Problems() const { return m_problems; }

    const ListedPlan* FindPlan(std::string_view name) const;
    // A calling code gives the first country listed with it; otherwise the
    // name, compared without regard to case.
    const CountryPlans* FindCountry(std::string_view codeOrName) const;

    // Reads a plan of this library that was listed from its first lines to
    // its end and completes its outline. False, with the reason (also kept in
    // the plan's unreadable), when the file is gone, changed since it was
    // listed, or does not read as a plan; true at once for a plan read whole.
    bool ReadWhole(const ListedPlan& plan, PlanProblem& problem);

    // Whether a plan file that was read, listed or not, is not as it was.
    bool PlanFilesChanged() const;

private:
    void LoadInstalled(const std::string& folder, PlanListing listing);
    void LoadOwn(const std::string& folder, PlanListing listing);
    // Reads one plan file into the list, or its problem into the problems.
    void ListPlan(ListedPlan plan, PlanListing listing);
    void AddPlan(ListedPlan plan);

    std::vector<ListedPlan> m_plans;
    std::vector<CountryPlans> m_countries;
    std::vector<PlanProblem> m_problems;
    // Every plan file read and how it was then.
    std::vector<std::pair<std::string, PlanFileStamp>> m_readFiles;
};

// The library Load(PlanListing::FirstLines) reads, kept between uses and read again only when a file
// it comes from may have changed: the installed folder, its index and country
// list, the person's plan folder (a plan added, removed or renamed) and each
// plan file read, by modification time and size. An editor opens its chooser
// often; the files rarely change.
class PlanLibraryCache
{
public:
    PlanLibrary& Current();

private:
    std::string m_folders;
    PlanLibrary m_library;
    bool m_bRead = false;
};
