#pragma once
// What "Check Against Tuner..." offers the person to choose from: the tuners
// of one tuner table, each by its factory and tuner type codes, the names a
// tuner catalogue gives those codes (where it gives any) and its band edges,
// and the one chosen before. The chooser only chooses; the channel editor
// judges its table against the choice.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QString>

#include "edit/TunerChoice.h"
#include "tables/catalogue/TunerNames.h"
#include "tables/format/TunerSpecEntry.h"

// A tuner as the findings, the chooser and the band chart name it: its codes,
// then the catalogue's names ("03:12 Philips FI1216MF"), each name once
// (TunerTitle of tables/analysis/TunerCoverage.h).
std::string TunerLabel(const TunerSpecEntry& entry, const std::string& factoryName, const std::string& typeName);
std::string TunerLabel(const TunerChoice& choice);

struct TunerChooserRequest
{
    QString title;                       // the command, "Check Against Tuner"
    QString tablePath;                   // the .tsf the tuners come from
    std::vector<TunerSpecEntry> entries; // in table order
    TunerNames names;
    // The row chosen when the chooser opens.
    std::optional<std::size_t> preselected;
};

// The entry of a tuner table that a previous choice names again: the first of
// the same factory and tuner type, with the same band edges if the table holds
// one so; none when the table holds neither.
std::optional<std::size_t> PreviousChoiceIn(const std::vector<TunerSpecEntry>& entries, const TunerSpecEntry& previous);

// The band edges of a row of the chooser, as the tuner editor shows them: "48.25 ~ 170.00 MHz".
QString BandEdgesText(double dbStart, double dbEnd);
