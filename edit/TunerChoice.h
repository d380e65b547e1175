#pragma once
// A tuner chosen to judge a channel table against: the entry of a tuner table
// with the file it came from and the names a tuner catalogue gives its codes.
// The channel editor keeps the last one while it is open; its checks, its
// status line and its band chart judge the table against it.

#include <string>

#include "tables/analysis/TunerCoverage.h"
#include "tables/format/TunerSpecEntry.h"

struct TunerChoice
{
    std::string tablePath;   // the .tsf it was chosen from
    TunerSpecEntry entry;    // as that file held it when chosen
    std::string factoryName; // the catalogue's name of its factory; empty when none is known
    std::string typeName;    // the catalogue's name of its tuner type; empty when none is known

    TunerBands Bands() const { return TunerBands(entry); }
    // "03:12 Temic PAL (4002 FH5)": the codes and the names, each name once (TunerTitle).
    std::string Title() const { return TunerTitle(entry, factoryName, typeName); }
};
