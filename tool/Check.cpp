// check: what a person would want to know about a table before shipping it.

#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>

#include <sys/stat.h>

#include "Commands.h"
#include "CountryCatalogue.h"
#include "FileIO.h"
#include "Help.h"
#include "Numbers.h"
#include "Options.h"
#include "Printable.h"
#include "TableFile.h"
#include "TableJson.h"

namespace {

// Findings go out as they are found: a table of 100,000 entries can have
// several for each, and holding them all would cost many times the table.
class Findings
{
public:
    // The name is printed with its control characters escaped, so that one
    // finding stays one line.
    Findings(std::ostream& out, const std::string& path) : m_out(out), m_path(PrintableText(path)) {}

    void push_back(const std::string& finding)
    {
        m_out << m_path << ": " << finding << '\n';
        m_bAny = true;
    }
    bool empty() const { return !m_bAny; }

private:
    std::ostream& m_out;
    std::string m_path;
    bool m_bAny = false;
};


std::string Hex(long long value, int width)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", width, value);
    return buffer;
}

std::string MagicText(std::uint32_t dwMagic)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const auto b = static_cast<std::uint8_t>(dwMagic >> (8 * i));
        if (b >= 0x20 && b < 0x7F) {
            text += static_cast<char>(b);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", b);
            text += escape;
        }
    }
    return text;
}

std::uint32_t MagicOf(const char (&magic)[5])
{
    std::uint32_t dw = 0;
    for (int i = 3; i >= 0; --i)
        dw = (dw << 8) | static_cast<std::uint8_t>(magic[i]);
    return dw;
}

bool FileSize(const std::string& path, std::uint64_t& size)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

// reason says what asks for the expected length ("its counts (air 2, cable 0) call for").
void CheckLength(Findings& findings, const std::string& path, std::uint64_t expected, const std::string& reason)
{
    std::uint64_t size = 0;
    if (FileSize(path, size) && size != expected)
        findings.push_back("the file is " + std::to_string(size) + " bytes, but " + reason + " " +
                           std::to_string(expected));
}

void CheckMarks(Findings& findings, std::uint16_t wMarker, std::uint16_t wReserved, std::uint32_t dwMagic,
                const char (&magic)[5], const std::uint8_t* pEndMark)
{
    if (wMarker != kTableMarker)
        findings.push_back("the marker is " + Hex(wMarker, 4) + ", not " + Hex(kTableMarker, 4));
    if (wReserved != 0)
        findings.push_back("the reserved word is " + std::to_string(wReserved) + ", not 0");
    if (dwMagic != MagicOf(magic))
        findings.push_back("the magic is \"" + MagicText(dwMagic) + "\", not \"" + magic + "\"");
    if (!std::equal(pEndMark, pEndMark + 4, kTableEndMark))
        findings.push_back("the end mark is " + HexBytes(pEndMark, 4) + ", not " + HexBytes(kTableEndMark, 4));
}

void CheckCountry(Findings& findings, std::int32_t iCode)
{
    if (std::string(LookupCountry(iCode).pszCountry) == kUnknownCountryText)
        findings.push_back("the country code " + std::to_string(iCode) + " is not in the country catalogue");
}

// One channel list: its values, their order, and the stored range against
// the channels that carry a frequency.
void CheckChannels(Findings& findings, const std::string& name, const std::vector<double>& frequencies,
                   std::uint16_t wMin, std::uint16_t wMax)
{
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t previous = 0;
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        const std::string channel = name + " channel " + std::to_string(i + 1) + ": ";
        if (!std::isfinite(f)) {
            findings.push_back(channel + "the frequency " + FormatDouble(f) + " is not a finite number");
            continue;
        }
        if (f < 0.0)
            findings.push_back(channel + "the frequency " + FormatDouble(f) + " MHz is negative");
        if (!(f > 0.0))
            continue; // an empty slot
        if (previous != 0 && !(f > frequencies[previous - 1]))
            findings.push_back(channel + FormatDouble(f) + " MHz does not rise above channel " +
                               std::to_string(previous) + " (" + FormatDouble(frequencies[previous - 1]) + " MHz)");
        previous = i + 1;
        if (first == 0)
            first = i + 1;
        last = i + 1;
    }
    if (first == 0) {
        if (wMin != 0)
            findings.push_back(name + ": the stored range starts at channel " + std::to_string(wMin) +
                               ", but no channel has a frequency");
        return;
    }
    if (wMin != first)
        findings.push_back(name + ": the stored range starts at channel " + std::to_string(wMin) +
                           ", but the first channel with a frequency is " + std::to_string(first));
    if (wMax != last)
        findings.push_back(name + ": the stored range ends at channel " + std::to_string(wMax) +
                           ", but the last channel with a frequency is " + std::to_string(last));
}

void CheckChannelTable(Findings& findings, const std::string& path, const ChannelTable& table)
{
    const ChannelTableHeader& header = table.Header();
    CheckLength(findings, path,
                ChannelTableHeader::kSize + 4 + 8 * (static_cast<std::uint64_t>(header.wAirMax()) + header.wCableMax()),
                "its counts (air " + std::to_string(header.wAirMax()) + ", cable " +
                    std::to_string(header.wCableMax()) + ") call for");
    CheckMarks(findings, header.wMarker(), header.wReserved(), header.dwMagic(), kChannelTableMagic, table.EndMark());
    CheckCountry(findings, header.iCountryCode());
    // After a load the maxima are the stored counts, the last channel numbers
    // the editor shows.
    CheckChannels(findings, "air", ChannelFrequencies(table.Channels(ChannelModeAir)), header.wAirMin(),
                  header.wAirMax());
    CheckChannels(findings, "cable", ChannelFrequencies(table.Channels(ChannelModeCable)), header.wCableMin(),
                  header.wCableMax());
}

bool IsTwoBcdDigits(std::int32_t code)
{
    return code >= 0 && code <= 0x99 && (code & 0xF) <= 9 && (code >> 4) <= 9;
}

void CheckTunerEntry(Findings& findings, const std::string& label, const TunerSpecEntry& e)
{
    if (!IsTwoBcdDigits(e.iFactory()))
        findings.push_back(label + "the factory code " + std::to_string(e.iFactory()) + " (" +
                           Hex(static_cast<std::uint32_t>(e.iFactory()), 2) + ") is not two BCD digits");
    if (!IsTwoBcdDigits(e.iTunerType()))
        findings.push_back(label + "the tuner-type code " + std::to_string(e.iTunerType()) + " (" +
                           Hex(static_cast<std::uint32_t>(e.iTunerType()), 2) + ") is not two BCD digits");

    const double edges[4] = {e.dbLowBandStart(), e.dbMidBandStart(), e.dbHighBandStart(), e.dbHighBandEnd()};
    std::string list;
    bool bAllAboveZero = true;
    bool bRising = true;
    for (int i = 0; i < 4; ++i) {
        list += (i ? ", " : "") + FormatDouble(edges[i]);
        bAllAboveZero = bAllAboveZero && edges[i] > 0.0 && std::isfinite(edges[i]);
        if (i > 0)
            bRising = bRising && edges[i] > edges[i - 1];
    }
    if (!bAllAboveZero)
        findings.push_back(label + "the band edges are not all finite and above 0: " + list + " MHz");
    else if (!bRising)
        findings.push_back(label + "the band edges are out of order: " + list + " MHz");

    const double pc = e.dbPictureCarrier();
    if (pc == 0.0)
        findings.push_back(label + "the picture carrier is 0");
    else if (!(pc > 0.0) || !std::isfinite(pc))
        findings.push_back(label + "the picture carrier " + FormatDouble(pc) + " is not a frequency above 0");
    const double pc2 = e.dbPictureCarrier2();
    if (!(pc2 >= 0.0) || !std::isfinite(pc2))
        findings.push_back(label + "the picture carrier 2 " + FormatDouble(pc2) + " is neither 0 nor a frequency");
    if (e.wReserved() != 0)
        findings.push_back(label + "the reserved word is " + std::to_string(e.wReserved()) + ", not 0");
}

void CheckTunerTable(Findings& findings, const std::string& path, const TunerSpecTable& table)
{
    // The table lowers its count to the records the file holds; the length is
    // judged against the count the file states. Only a regular file is looked
    // at again: a FIFO read once would block a second open.
    std::vector<std::uint8_t> bytes;
    TunerSpecHeader stored = table.Header();
    if (ReadFileBytes(path.c_str(), bytes, TunerSpecHeader::kSize))
        ByteSource(bytes).Read(stored.bytes, TunerSpecHeader::kSize);
    const std::int32_t iCount = stored.iEntryCount();
    if (iCount < 0) {
        findings.push_back("the entry count " + std::to_string(iCount) + " is negative");
    } else if (iCount == 0) {
        // A table saved without entries is its header alone.
        std::uint64_t size = 0;
        if (FileSize(path, size) && size != TunerSpecHeader::kSize && size != TunerSpecHeader::kSize + 4)
            findings.push_back("the file is " + std::to_string(size) + " bytes, but an entry count of 0 calls for " +
                               std::to_string(TunerSpecHeader::kSize));
    } else {
        CheckLength(findings, path,
                    TunerSpecHeader::kSize + TunerSpecTable::kEndMarkSize +
                        TunerSpecEntry::kSize * static_cast<std::uint64_t>(iCount),
                    "its entry count " + std::to_string(iCount) + " calls for");
    }
    const TunerSpecHeader& header = table.Header();
    CheckMarks(findings, header.wMarker(), header.wReserved(), header.dwMagic(), kTunerTableMagic, table.EndMark());

    std::map<std::int32_t, std::int32_t> firstWithKey;
    std::int32_t iPosition = 0;
    std::int32_t iPreviousKey = 0;
    for (const TunerSpecNode& node : table.Entries()) {
        const TunerSpecEntry& e = node.entry;
        ++iPosition;
        const std::string label = "entry " + std::to_string(iPosition) + " (factory " +
                                  Hex(static_cast<std::uint32_t>(e.iFactory()), 2).substr(2) + ", tuner type " +
                                  Hex(static_cast<std::uint32_t>(e.iTunerType()), 2).substr(2) + "): ";
        CheckTunerEntry(findings, label, e);
        const std::int32_t key = TunerSortKey(e);
        const auto seen = firstWithKey.find(key);
        if (seen != firstWithKey.end())
            findings.push_back(label + "the sort key " + std::to_string(key) + " is already the key of entry " +
                               std::to_string(seen->second));
        else
            firstWithKey.emplace(key, iPosition);
        if (iPosition > 1 && key < iPreviousKey)
            findings.push_back(label + "the sort key " + std::to_string(key) + " is below the key " +
                               std::to_string(iPreviousKey) + " of the entry before it");
        iPreviousKey = key;
    }
}

void CheckLegacyTable(Findings& findings, const std::string& path, const LegacyChannelTable& table)
{
    CheckLength(findings, path,
                LegacyChannelTable::kHeaderSize + LegacyChannelTable::kTrailerSize +
                    LegacyChannelTable::kEntrySize *
                        (static_cast<std::uint64_t>(table.wAirCount()) + table.wCableCount()),
                "its header counts (air " + std::to_string(table.wAirCount()) + ", cable " +
                    std::to_string(table.wCableCount()) + ") call for");
    if (table.wAirMaxCh() > table.wAirCount())
        findings.push_back("the trailer's air maximum " + std::to_string(table.wAirMaxCh()) + " is above the " +
                           std::to_string(table.wAirCount()) + " air entries of the header");
    if (table.wCableMaxCh() > table.wCableCount())
        findings.push_back("the trailer's cable maximum " + std::to_string(table.wCableMaxCh()) + " is above the " +
                           std::to_string(table.wCableCount()) + " cable entries of the header");
    CheckCountry(findings, table.iCountryCode());
    CheckChannels(findings, "air", LegacyFrequencies(table.Entries(ChannelModeAir)), table.wAirMinCh(),
                  table.wAirMaxCh());
    CheckChannels(findings, "cable", LegacyFrequencies(table.Entries(ChannelModeCable)), table.wCableMinCh(),
                  table.wCableMaxCh());
}

// False with a reason when the file could not be read.
bool CheckOne(const std::string& path, TableKind kind, Findings& findings, std::string& reason)
{
    switch (kind) {
    case TableKind::Channel: {
        ChannelTable table(false);
        if (!LoadChannelTable(path, table, reason))
            return false;
        CheckChannelTable(findings, path, table);
        return true;
    }
    case TableKind::Tuner: {
        TunerSpecTable table(false);
        if (!LoadTunerTable(path, table, reason))
            return false;
        CheckTunerTable(findings, path, table);
        return true;
    }
    case TableKind::Legacy: {
        LegacyChannelTable table;
        if (!LoadLegacyTable(path, table, reason))
            return false;
        CheckLegacyTable(findings, path, table);
        return true;
    }
    }
    return false;
}

} // namespace

int RunCheck(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--type", nullptr, true}, {"--help", "-h", false}}, options, error))
        return ReportUsage(err, "check", error);
    if (options.Has("--help"))
        return PrintHelp(out, "check") ? kExitSuccess : kExitFailure;
    if (options.operands.empty())
        return ReportUsage(err, "check", "no file given");
    std::optional<TableKind> forced;
    if (const auto type = options.Value("--type")) {
        forced = TableKindFromName(*type);
        if (!forced)
            return ReportUsage(err, "check", "unknown --type " + *type + " (ccf, cft or tsf)");
    }

    int status = kExitSuccess;
    for (const std::string& path : options.operands) {
        TableKind kind;
        std::string reason;
        Findings findings(out, path);
        // A table is read whole before its first finding, so a file that
        // cannot be read has none.
        if (!ResolveTableKind(path, forced, kind, reason) || !CheckOne(path, kind, findings, reason)) {
            ReportProblem(err, path, reason);
            status = kExitFailure;
            continue;
        }
        if (!findings.empty())
            status = std::max(status, static_cast<int>(kExitFindings));
    }
    return status;
}
