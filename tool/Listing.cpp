#include "tool/Listing.h"

#include <cstdio>
#include <string>

#include "tables/analysis/TunerCoverage.h"
#include "tables/catalogue/CountryCatalogue.h"
#include "tables/text/Numbers.h"
#include "tables/text/TableJson.h"

namespace {

std::string Printf(const char* format, long long value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string Hex(unsigned value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", width, value);
    return buffer;
}

std::string Country(std::int32_t iCode)
{
    const CountryLookup names = LookupCountry(iCode);
    if (std::string(names.pszCountry) == kUnknownCountryText)
        return std::to_string(iCode) + " (not in the country catalogue)";
    return std::to_string(iCode) + " (" + names.pszCountry + ", " + names.pszTvSystem + ")";
}

std::string Frequency(double f)
{
    std::string text = FormatDouble(f) + " MHz";
    // Not above 0 is an empty slot, as the editor lists it.
    if (!(f > 0.0))
        text += " (empty)";
    return text;
}

void ListChannels(std::ostream& out, const char* name, EntryRange<ChannelNode> channels, std::uint16_t wMin,
                  std::uint16_t wMax)
{
    const std::vector<double> frequencies = ChannelFrequencies(channels);
    out << name << " channels: " << frequencies.size() << ", range " << wMin << " to " << wMax << '\n';
    for (std::size_t i = 0; i < frequencies.size(); ++i)
        out << "  " << name << ' ' << Printf("%03lld", static_cast<long long>(i + 1)) << "  "
            << Frequency(frequencies[i]) << '\n';
}

void ListLegacyChannels(std::ostream& out, const char* name, EntryRange<LegacyChannelNode> entries)
{
    std::int32_t iChannel = 0;
    for (const LegacyChannelNode& node : entries) {
        out << "  " << name << ' ' << Printf("%03lld", ++iChannel) << "  "
            << Frequency(static_cast<double>(node.fFrequency)) << "  words " << node.wExtra1 << ' ' << node.wExtra2
            << '\n';
    }
}

} // namespace

void ListChannelTable(std::ostream& out, const ChannelTable& table)
{
    const ChannelTableHeader& header = table.Header();
    out << "channel frequency table (ccf)\n";
    out << "marker: 0x" << Hex(header.wMarker(), 4) << '\n';
    out << "reserved: " << header.wReserved() << '\n';
    out << "magic: " << QuotedMagic(header.dwMagic()) << '\n';
    out << "country code: " << Country(header.iCountryCode()) << '\n';
    out << "end mark: " << HexBytes(table.EndMark(), 4) << '\n';
    ListChannels(out, "air", table.Channels(ChannelModeAir), header.wAirMin(), header.wAirMax());
    ListChannels(out, "cable", table.Channels(ChannelModeCable), header.wCableMin(), header.wCableMax());
}

void ListTunerTable(std::ostream& out, const TunerSpecTable& table)
{
    const TunerSpecHeader& header = table.Header();
    out << "tuner specification table (tsf)\n";
    out << "marker: 0x" << Hex(header.wMarker(), 4) << '\n';
    out << "reserved: " << header.wReserved() << '\n';
    out << "magic: " << QuotedMagic(header.dwMagic()) << '\n';
    out << "entry count: " << header.iEntryCount() << '\n';
    out << "end mark: " << HexBytes(table.EndMark(), TunerSpecTable::kEndMarkSize) << '\n';
    if (const auto& unread = table.LastLoad().unreadEndMark)
        out << "after the header, not read (entry count 0): " << HexBytes(unread->data(), unread->size()) << '\n';
    std::size_t row = 0;
    for (const TunerSpecNode& node : table.Entries()) {
        const TunerSpecEntry& e = node.entry;
        out << TunerEntryName(row++, e) << ": sort key " << TunerSortKey(e) << '\n';
        out << "  low band: " << FormatDouble(e.dbLowBandStart()) << " to " << FormatDouble(e.dbMidBandStart())
            << " MHz, code " << Hex(e.wLowCode(), 4) << '\n';
        out << "  mid band: " << FormatDouble(e.dbMidBandStart()) << " to " << FormatDouble(e.dbHighBandStart())
            << " MHz, code " << Hex(e.wMidCode(), 4) << '\n';
        out << "  high band: " << FormatDouble(e.dbHighBandStart()) << " to " << FormatDouble(e.dbHighBandEnd())
            << " MHz, code " << Hex(e.wHighCode(), 4) << '\n';
        out << "  picture carrier: " << FormatDouble(e.dbPictureCarrier())
            << " MHz, picture carrier 2: " << FormatDouble(e.dbPictureCarrier2()) << " MHz\n";
        out << "  reserved: " << e.wReserved() << '\n';
    }
}

void ListLegacyTable(std::ostream& out, const LegacyChannelTable& table)
{
    out << "old channel table (cft)\n";
    out << "country code: " << Country(table.iCountryCode()) << '\n';
    out << "header counts: air " << table.wAirCount() << ", cable " << table.wCableCount() << '\n';
    const EntryRange<LegacyChannelNode> air = table.Entries(ChannelModeAir);
    const EntryRange<LegacyChannelNode> cable = table.Entries(ChannelModeCable);
    out << "air channels: " << air.size() << ", range " << table.wAirMinCh() << " to " << table.wAirMaxCh() << '\n';
    ListLegacyChannels(out, "air", air);
    out << "cable channels: " << cable.size() << ", range " << table.wCableMinCh() << " to " << table.wCableMaxCh()
        << '\n';
    ListLegacyChannels(out, "cable", cable);
}
