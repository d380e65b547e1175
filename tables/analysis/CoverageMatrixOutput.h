#pragma once
// The coverage matrix as its readers take it away: a row per channel table
// named by its file, its country code and its channels, a column per tuner
// headed by its codes. `vornalix-tool matrix` and the channel editor's
// Coverage Matrix window write the same CSV from here, and the window's SVG
// image is drawn here too, so that both front ends name and count a table
// alike.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tables/analysis/TunerCoverage.h"

// A channel table as its row shows it; its channels are counted and gone.
struct CoverageMatrixTable
{
    std::string name; // the path as given, or however the front end names the table
    std::int32_t iCountry = 0;
    std::size_t channels = 0; // channels with a frequency, both lists
};

// The row of a table whose channels were sorted for the matrix.
CoverageMatrixTable CoverageMatrixTableOf(std::string name, const ChannelTable& table,
                                          const SortedFrequencies& channels);

struct CoverageMatrixTuner
{
    std::string codes;   // "03:12"
    std::string problem; // NonFiniteEdgesText, empty for most
};

// The columns of a tuner table's entries, in table order, from their bands.
std::vector<CoverageMatrixTuner> CoverageMatrixTuners(const std::vector<TunerSpecEntry>& entries,
                                                      const std::vector<TunerBands>& bands);

struct NamedCoverageMatrix
{
    std::vector<CoverageMatrixTable> tables;
    std::vector<CoverageMatrixTuner> tuners;
    CoverageMatrix counts;
};

// "table,country,channels,05:01,..." and then a line per table with its
// count outside each tuner; fields quoted as CSV needs them.
std::string CoverageMatrixCsv(const NamedCoverageMatrix& matrix);

// How strongly a cell warns, from 0 (the tuner tunes every channel) to 1
// (it tunes none): a few channels outside already show, since one channel
// the product cannot tune is a fault.
double CoverageMatrixHeat(std::size_t outside, std::size_t channels);

// The matrix as a standalone SVG image: the title, a header of the tuners'
// codes, a row per table of cells tinted by their heat with the count in
// each, and the tuners that tune every table below. Every coordinate is a
// finite number; text from outside is escaped as XML.
std::string CoverageMatrixSvg(const NamedCoverageMatrix& matrix, const std::string& title);
