#pragma once
// What a person would want to know about a table before it ships: lengths
// against the stored counts, header marks, the country code, the channels'
// values against the stored ranges, channels out of frequency order and
// frequencies that two channels of a list share (warnings, the latter by
// DuplicateFrequencies), a channel table's frequencies that are not a whole
// number of kHz (warnings, FrequencySteps: the first ten of a list named, the
// rest counted in one finding), and the tuner entries' band edges, picture carriers,
// codes and sort keys (band edges and carriers outside the plausible ranges of
// TunerPlausibility.h are warnings). The command-line check prints the
// findings; an editor can list them and select the row each names.
//
// Frequency order. Real channel plans do not rise from end to end: a plan's
// numbering may begin above its next channel (US cable channel 1 at 73.25 MHz
// before channel 2 at 55.25), go back to a lower band and rise again (US cable
// 14 to 22 after 13, its channels 95 to 99 in the FM band after 94; OIRT
// channels, then CCIR ones; cable channels after broadcast ones), or keep a
// sub-band at its end. A fall in frequency is therefore no fault by itself.
// What a mistyped or misplaced channel looks like is one channel out of place
// in a rising stretch: the nearest channels with a frequency before and after
// it rise from one to the other, and it lies below the one or above the other
// ("55.25, 61.25, 6.725, 77.25", or two neighbours swapped). That is a warning,
// one per channel out of place; channels with a neighbour on one side only
// (the first and last with a frequency) are not judged, since a plan may begin
// or end on a channel of another band. No shipped plan has such a channel.
//
// Each check judges a loaded table together with the report of its load, so
// that it sees the file as it was (its size, its stated counts) and not only
// the lists made from it. Findings go to the sink one by one as they are
// found: a table of 100,000 entries can have several for each, and holding
// them all would cost many times the table.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tables/analysis/DuplicateFrequencies.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "tables/format/TunerSpecTable.h"

enum class FindingSeverity
{
    // A fault that keeps a table from shipping.
    Error,
    // Worth a look, yet a table may be right with it (the same frequency on
    // two channels of a list, a channel out of frequency order, a calling
    // code the catalogue does not name).
    Warning,
};

struct TableFinding
{
    FindingSeverity severity = FindingSeverity::Error;
    // The channel list the finding is about (ChannelModeAir or
    // ChannelModeCable); ChannelModeNone for the file, its header and the
    // entries of a tuner table.
    std::int32_t iList = ChannelModeNone;
    // The 1-based channel of that list or entry of the tuner table; 0 for the
    // file, its header, or a list's stored range.
    std::int32_t iPosition = 0;
    // One line, the same as the command-line check prints after the file name.
    std::string message;
};

using FindingSink = std::function<void(const TableFinding&)>;

void CheckChannelTable(const ChannelTable& table, const ChannelTableLoadReport& report, const FindingSink& sink);

// The findings the check of a table gives one channel of a list (1-based),
// by the same rules, without the words that name the channel ("air channel
// 5: "): its value, its order between the nearest channels with a frequency,
// its raster (every channel off it named, not only the first ten) and a
// repeat of an earlier channel's frequency. duplicates is the list's index.
// It reads only the channel and its neighbours, for a cell of the editor's
// list that shows it.
std::vector<TableFinding> ChannelFindingsAt(const std::vector<double>& frequencies,
                                            const DuplicateFrequencies& duplicates, std::int32_t iList,
                                            std::int32_t iChannel);
void CheckTunerTable(const TunerSpecTable& table, const TunerTableLoadReport& report, const FindingSink& sink);
void CheckLegacyTable(const LegacyChannelTable& table, const LegacyTableLoadReport& report, const FindingSink& sink);

// A table being edited, judged as the file that saving it now would write:
// the report is made from that file image (its header with the lists' counts,
// its length, its end mark), so an editor finds what the command-line check
// of the saved file would print, in the same order.
void CheckChannelTableInMemory(const ChannelTable& table, const FindingSink& sink);
void CheckTunerTableInMemory(const TunerSpecTable& table, const FindingSink& sink);

// The same judgement of a file image such a table's FileImage() made, without
// the table: an image is plain bytes, so another thread may check it while the
// table goes on changing. An image that is not whole is judged on the records
// it holds.
void CheckChannelTableImage(const std::vector<std::uint8_t>& image, const FindingSink& sink);
void CheckTunerTableImage(const std::vector<std::uint8_t>& image, const FindingSink& sink);

// How many findings of each severity CheckTunerTableImage finds, counted
// without making their texts.
struct FindingTotals
{
    std::size_t errors = 0;
    std::size_t warnings = 0;
};
FindingTotals CountTunerTableImageFindings(const std::vector<std::uint8_t>& image);

// CheckTunerTableImage's findings, in its order, kept for a window that lists
// them: an entry's finding is kept as its row and what is wrong, and its text
// is made from the image when it is read. The findings of 100,000 entries so
// take a few bytes each, and listing them makes only the texts shown.
class TunerTableFindings
{
public:
    TunerTableFindings() = default;
    explicit TunerTableFindings(std::vector<std::uint8_t> image);

    std::size_t Count() const { return m_fileFindings.size() + m_entryFindings.size(); }
    TableFinding At(std::size_t index) const;
    FindingSeverity SeverityAt(std::size_t index) const;
    const FindingTotals& Totals() const { return m_totals; }

private:
    struct StoredEntryFinding
    {
        std::uint32_t row;
        std::uint32_t relatedRow;
        std::uint8_t problem;
    };
    std::vector<std::uint8_t> m_image;
    std::vector<TableFinding> m_fileFindings;
    std::vector<StoredEntryFinding> m_entryFindings;
    FindingTotals m_totals;
};

// The channel lists of a channel table's image as CheckChannelTableImage
// judges them: the records of each list that lie wholly inside the image, so
// that a further judgement of the same image (against a tuner) sees the same
// channels.
struct ImageChannelLists
{
    std::vector<double> air;
    std::vector<double> cable;
};
ImageChannelLists ChannelListsInImage(const std::vector<std::uint8_t>& image);
