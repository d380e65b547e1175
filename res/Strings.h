#pragma once
// The string table and the version record.

#include "VornalixVersion.h"
#include "resource.h"

// Text of a string resource; an empty text when there is none.
const char* LoadResourceString(int id);

constexpr const char* kVersionText = VORNALIX_VERSION;
constexpr const char* kProductName = "Vornalix";
constexpr const char* kSingleInstanceName = "VornalixTuner";

// The channel table editor's note on a row whose frequency another channel of
// the list holds too; %1 is that channel's number.
constexpr const char* kSameFrequencyNote = "Same frequency as channel %1";

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
