#pragma once
// The bands of real tuners that ship with the program: per tuner model its
// band edges, band codes and picture carrier, from data/tuners.csv (see
// data/README.md for where each number comes from). The table is made into
// C++ data when the program is built (cmake/EmbedTunerData.cmake), so that no
// file is read for it at run time and the installed program has it wherever
// it lies.
//
// A tuner catalogue names its tuner types with these same names, each under
// the maker its name begins with; the tuner editor fills its inputs from the
// shipped tuner that the chosen factory and tuner type name.

#include <cstddef>
#include <cstdint>
#include <string_view>

struct ShippedTuner
{
    const char* pszName; // "Temic PAL (4002 FH5)": the maker, then the model
    double dbLowBandStart;
    double dbMidBandStart;
    double dbHighBandStart;
    double dbHighBandEnd;
    std::uint16_t wLowCode;
    std::uint16_t wMidCode;
    std::uint16_t wHighCode;
    // The tuner's intermediate picture carrier, MHz. The shipped tuners have
    // no second one.
    double dbPictureCarrier;
};

// Every shipped tuner, in the order of data/tuners.csv.
class ShippedTunerList
{
public:
    const ShippedTuner* begin() const;
    const ShippedTuner* end() const;
    std::size_t size() const;
};

inline ShippedTunerList ShippedTuners()
{
    return {};
}

// The name of a tuner type as a catalogue offers it: the text after the
// "NN -- " that the catalogue puts before the name; the whole text when it
// has none.
std::string_view TunerTypeName(std::string_view catalogueText);

// The shipped tuner that a factory and a tuner type of the catalogue name:
// its name is the tuner type's name (TunerTypeName of the text), and that name
// begins with the factory's name as a word of its own, letter case aside
// ("Philips" or "PHILIPS" for "Philips PAL_I (FI1246 and compatibles)"). None
// when no shipped tuner is named so, or it is another maker's.
const ShippedTuner* FindShippedTuner(std::string_view factoryName, std::string_view tunerTypeText);
