#pragma once
// The string table and the version record.

#include "VornalixVersion.h"
#include "res/resource.h"

// Text of a string resource; an empty text when there is none.
const char* LoadResourceString(int id);

constexpr const char* kVersionText = VORNALIX_VERSION;
constexpr const char* kProductName = "Vornalix";
constexpr const char* kSingleInstanceName = "VornalixTuner";

// What the editors' menu commands say.
constexpr const char* kRecentFileMissingText = "\"%1\" is no longer there; it is removed from the recent files.";
constexpr const char* kGoToChannelTitle = "Go to Channel";
constexpr const char* kGoToChannelLabel = "&Channel:";
constexpr const char* kNoSuchChannelText = "There is no channel %1 in this list; it holds channels 1 to %2.";
constexpr const char* kEmptyListText = "The list holds no channels.";
// Add Info of a factory (%1) and tuner type (%2) the tuner table holds already.
constexpr const char* kEntryTakenText =
    "Tuner input error, %1 / %2 is in the table already: Replace Entry changes an entry.";
constexpr const char* kFindFrequencyTitle = "Find Frequency";
constexpr const char* kFindFrequencyLabel = "&Frequency (MHz):";
constexpr const char* kNotAFrequencyText = "\"%1\" is not a frequency.";
constexpr const char* kNoFrequencyInListText = "No channel of this list has a frequency.";
// The recent files' lists of the two editors.
constexpr const char* kChannelRecentKind = "channel-tables";
constexpr const char* kTunerRecentKind = "tuner-tables";

// The channel table editor's note on a row whose frequency another channel of
// the list holds too; %1 is that channel's number.
constexpr const char* kSameFrequencyNote = "Same frequency as channel %1";
// The Band column of a channel no band of the chosen tuner tunes.
constexpr const char* kOutsideTunerCell = "outside";
// ... and on a row whose frequency a plan of the table's country names: %1 is
// the plan's label for it ("E5", "S21", "5"), %2 the plan's name.
constexpr const char* kBroadcastPlanChannelNote = "Channel %1 in broadcast plan %2";
constexpr const char* kCablePlanChannelNote = "Channel %1 in cable plan %2";

// The findings window of "Check Table".
constexpr const char* kFindingsTitle = "Table Check";
constexpr const char* kFindingsSeverityHeading = "Severity";
constexpr const char* kFindingsListHeading = "List";
constexpr const char* kFindingsChannelHeading = "Channel";
constexpr const char* kFindingsEntryHeading = "Entry";
constexpr const char* kFindingsMessageHeading = "Message";
constexpr const char* kFindingsError = "Error";
constexpr const char* kFindingsWarning = "Warning";
constexpr const char* kFindingsNone = "No findings.";
// Above the findings: how many errors (%1) and warnings (%2) there are.
constexpr const char* kFindingsCount = "Errors: %1, warnings: %2";

// File > Compare With... of the channel editor: its window, its columns and
// the words of its marks, which name the change from the other table to this
// one. %1 is the other table's file.
constexpr const char* kCompareTitle = "Compare With %1";
constexpr const char* kCompareFileFilter = "CCF Files (*.ccf)|*.ccf|All Files (*.*)|*.*||";
constexpr const char* kCompareChooseTitle = "Compare With";
constexpr const char* kCompareListHeading = "List";
constexpr const char* kCompareChannelHeading = "Channel";
constexpr const char* kCompareThisHeading = "This table";
constexpr const char* kCompareOtherHeading = "Other table";
constexpr const char* kCompareDifferenceHeading = "Difference";
constexpr const char* kCompareHeaderRows = "Header";
constexpr const char* kCompareAirList = "Antenna";
constexpr const char* kCompareCableList = "Cable";
constexpr const char* kCompareAdded = "added";
constexpr const char* kCompareRemoved = "removed";
constexpr const char* kCompareChanged = "changed";
// Above the rows: %1 the other table's file; %2 added, %3 removed and %4
// changed channels; %5 the header fields that differ.
constexpr const char* kCompareSummary = "From %1 to this table: %2 added, %3 removed, %4 changed; header fields: %5";
constexpr const char* kCompareSame = "This table and %1 are the same.";
constexpr const char* kCompareNoTable = "No table is open to compare with %1.";
constexpr const char* kCompareNext = "&Next Difference";
constexpr const char* kComparePrevious = "&Previous Difference";
constexpr const char* kCompareCopy = "&Copy to This Table";
// Copy to This Table in the status line: %1 rows taken.
constexpr const char* kCompareCopiedNote = "%1 rows taken from the other table";
constexpr const char* kCompareNothingCopied = "The rows chosen hold what this table holds: nothing changed";

// Table > Coverage Matrix... of the channel editor: channel tables against
// every tuner of a tuner table. %1 is the tuner table's file.
constexpr const char* kMatrixMenuItem = "Coverage &Matrix...";
constexpr const char* kMatrixTitle = "Coverage Matrix";
constexpr const char* kMatrixTitleOf = "Coverage Matrix \u2013 %1";
constexpr const char* kMatrixTableHeading = "Table";
constexpr const char* kMatrixCountryHeading = "Country";
constexpr const char* kMatrixChannelsHeading = "Channels";
// The table being edited leads: %1 its file's name.
constexpr const char* kMatrixThisTable = "%1 (open)";
constexpr const char* kMatrixUnsavedTable = "This table (not saved)";
constexpr const char* kMatrixNoTable = "No table is open";
// Above the cells: %1 the codes of the tuners that tune every table read.
constexpr const char* kMatrixCovering = "Tuners tuning every table: %1";
constexpr const char* kMatrixCoveringNone = "none";
// While the tables are read and counted: %1 of %2 tables done.
constexpr const char* kMatrixCounting = "Counting: %1 of %2 tables";
constexpr const char* kMatrixCountingName = "Counting";
constexpr const char* kMatrixAddTables = "Add &Tables...";
constexpr const char* kMatrixAddFolder = "Add &Folder...";
constexpr const char* kMatrixExport = "&Export...";
constexpr const char* kMatrixExportFilter = "CSV Files (*.csv)|*.csv|SVG Images (*.svg)|*.svg||";
constexpr const char* kMatrixAddTablesTitle = "Add Tables";
constexpr const char* kMatrixAddFolderTitle = "Add Folder";
// A cell as a screen reader reads it: %1 the table's country, %2 the tuner's
// codes, %3 the channels outside.
constexpr const char* kMatrixCellText = "%1, %2: %3 outside";
constexpr const char* kMatrixCellCounting = "%1, %2: not counted yet";
// A country the catalogue does not name: %1 its code.
constexpr const char* kMatrixUnknownCountry = "country %1";
constexpr const char* kMatrixChannelsText = "%1 channels";
// A row whose table did not fit in the memory left.
constexpr const char* kMatrixOutOfMemory = "cannot be counted: out of memory";

// Import... and Export... of the editors.
constexpr const char* kChannelTransferFilter =
    "JSON Tables (*.json)|*.json|CSV Channel Lists (*.csv)|*.csv|All Files (*.*)|*.*||";
constexpr const char* kTunerTransferFilter = "JSON Tables (*.json)|*.json|All Files (*.*)|*.*||";
// %1 is the file with the place in it and the reason.
constexpr const char* kCannotImportText = "Cannot import %1";
constexpr const char* kCannotExportText = "Cannot export %1";

// Copy and Paste of channel rows. A line of the pasted text that does not
// read: its line (%1) and why (%2).
constexpr const char* kPasteFaultText = "Line %1: %2.";
// Pasting more channels (%2) than the list (%1 channels) has room for below %3.
constexpr const char* kPasteTooManyText =
    "The list holds %1 channels; %2 more would pass the %3 channels a list may hold. Nothing was pasted.";
// A text larger than any list's frequencies take (%1 MiB), and one of more
// frequencies (over %1) than a list may hold at all.
constexpr const char* kPasteTooLargeText =
    "The clipboard holds more than %1 MiB of text, more than any list's frequencies take. Nothing was pasted.";
constexpr const char* kPasteFarTooManyText =
    "The clipboard holds more than %1 frequencies, more than a list may hold. Nothing was pasted.";
// The status line's note after a paste: how many channels (%1, %2 the word),
// from which column (%3, from 1) and its heading, if any (%4).
constexpr const char* kPastedNote = "%1 %2 pasted from column %3";
constexpr const char* kPastedHeadingNote = "%1 %2 pasted from column %3 \"%4\"";
constexpr const char* kPastedDecimalCommaNote = ", decimal commas read";
// The status line's note after a copy of one channel, and of %1 channels.
constexpr const char* kCopiedOneNote = "1 channel copied";
constexpr const char* kClipboardSilentNote = "The clipboard did not answer";
constexpr const char* kCopiedNote = "%1 channels copied";
// The band chart of the channel editor (Table > Band Chart).
constexpr const char* kBandChartMenuItem = "&Band Chart";
constexpr const char* kBandChartTitle = "Band Chart";
// %1 is the table's file name.
constexpr const char* kBandChartTitleOf = "Band Chart \u2013 %1";
constexpr const char* kBandChartExport = "&Export...";
constexpr const char* kBandChartExportFilter = "SVG Images (*.svg)|*.svg|PNG Images (*.png)|*.png||";
// %1 and %2: the marks of the air and the cable list.
constexpr const char* kBandChartSummary = "Air: %1 channels, cable: %2 channels";
// %1 the tuner's codes, %2 how many channels it does not tune.
constexpr const char* kBandChartUncovered = "tuner %1 does not tune %2";
constexpr const char* kBandChartPngTitle = "Export PNG";
constexpr const char* kBandChartPngWidth = "&Width (pixels):";
constexpr const char* kBandChartPngHeight = "&Height (pixels):";
// %1 is the largest side.
constexpr const char* kBandChartBadPngSize = "A PNG is 100 to %1 pixels wide and high.";
// Table > Check Against Tuner... of the channel table editor.
constexpr const char* kCheckAgainstTunerTitle = "Check Against Tuner";
constexpr const char* kTunerFileFilter = "TSF Files (*.tsf)|*.tsf|All Files (*.*)|*.*||";
// A tuner table that holds no tuner to choose; %1 is the file.
constexpr const char* kNoTunersText = "\"%1\" holds no tuners to check against.";
// The findings window's summary with a tuner: %1 the tuner's codes and names,
// %2 how many channels lie outside its bands.
constexpr const char* kAgainstTunerText = "Against tuner %1: %2";
constexpr const char* kNoChannelOutsideText = "no channel outside";
constexpr const char* kOneChannelOutsideText = "1 channel outside";
constexpr const char* kChannelsOutsideText = "%1 channels outside";
// That line before the counts: %1 the line, %2 the counts.
constexpr const char* kFindingsJudgedAgainst = "%1. %2";
