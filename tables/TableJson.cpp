#include "TableJson.h"

#include <cmath>
#include <limits>
#include <new>

#include "Numbers.h"
#include "Printable.h"
#include "TableFormat.h"

namespace {


void WriteMagic(JsonWriter& json, std::uint32_t dwMagic)
{
    std::uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(dwMagic >> (8 * i));
    json.ByteString(bytes, sizeof bytes);
}

// "max" is what the file holds there: the list's length, which Save stores.
// A table loaded from a file holds the same in its header; in a table being
// edited the header holds the range's last channel until it is saved.
void WriteChannelList(JsonWriter& json, EntryRange<ChannelNode> channels, std::uint16_t wMin)
{
    json.BeginObject();
    json.Key("min").Integer(wMin);
    json.Key("max").Integer(channels.size());
    json.Key("frequencies").BeginArray();
    for (const ChannelNode& channel : channels)
        json.Double(channel.dbFrequency);
    json.EndArray();
    json.EndObject();
}

void WriteLegacyList(JsonWriter& json, EntryRange<LegacyChannelNode> entries)
{
    json.BeginArray();
    for (const LegacyChannelNode& node : entries) {
        json.BeginObject();
        json.Key("frequency").Double(static_cast<double>(node.fFrequency));
        json.Key("words").BeginArray().Integer(node.wExtra1).Integer(node.wExtra2).EndArray();
        json.EndObject();
    }
    json.EndArray();
}

// Reads the members of one JSON object, naming each by its path in messages
// ("air.frequencies[3]"), and refuses keys it was not asked about.
class ObjectReader
{
public:
    ObjectReader(const JsonValue& value, std::string path, std::string& error, std::size_t* pErrorOffset)
        : m_value(value), m_path(std::move(path)), m_error(error), m_pErrorOffset(pErrorOffset)
    {
        if (value.type != JsonValue::Type::Object)
            Fail(m_path.empty() ? "the document" : m_path,
                 std::string("must be an object, not ") + JsonTypeName(value.type), value);
    }

    const JsonValue& Value() const { return m_value; }
    std::size_t* ErrorOffset() const { return m_pErrorOffset; }

    bool Ok() const { return m_bOk; }

    const JsonValue* Member(const char* key, bool bRequired)
    {
        m_known.push_back(key);
        if (!m_bOk)
            return nullptr;
        const JsonValue* pValue = m_value.Find(key);
        if (!pValue && bRequired)
            Fail(Path(key), "is missing", m_value);
        return pValue;
    }

    bool Integer(const char* key, bool bRequired, std::int64_t min, std::int64_t max, std::int64_t& out)
    {
        const JsonValue* pValue = Member(key, bRequired);
        if (!pValue)
            return m_bOk;
        return ReadInteger(*pValue, Path(key), min, max, out);
    }

    bool Double(const char* key, bool bRequired, double& out)
    {
        const JsonValue* pValue = Member(key, bRequired);
        if (!pValue)
            return m_bOk;
        return ReadDouble(*pValue, Path(key), out);
    }

    bool String(const char* key, bool bRequired, const std::string*& out)
    {
        const JsonValue* pValue = Member(key, bRequired);
        if (!pValue)
            return m_bOk;
        if (pValue->type != JsonValue::Type::String)
            return Fail(Path(key), std::string("must be a string, not ") + JsonTypeName(pValue->type), *pValue);
        out = &pValue->text;
        return true;
    }

    bool Array(const char* key, const JsonValue*& out)
    {
        const JsonValue* pValue = Member(key, true);
        if (!pValue)
            return false;
        if (pValue->type != JsonValue::Type::Array)
            return Fail(Path(key), std::string("must be an array, not ") + JsonTypeName(pValue->type), *pValue);
        out = pValue;
        return true;
    }

    // Call after every Member: refuses keys that were not asked about.
    bool Finish()
    {
        if (!m_bOk)
            return false;
        for (const auto& member : m_value.members) {
            bool bKnown = false;
            for (const char* key : m_known)
                bKnown = bKnown || member.first == key;
            if (!bKnown)
                return Fail(Path(KeyForMessage(member.first)), "is not a field of this table", member.second);
        }
        return true;
    }

    // A key as a message names it: as it is when it is short and printable,
    // else quoted and cut.
    static std::string KeyForMessage(const std::string& key)
    {
        if (key.size() <= kExcerptBytes && PrintableText(key) == key)
            return key;
        return QuotedExcerpt(key);
    }

    std::string Path(const std::string& key) const { return m_path.empty() ? key : m_path + "." + key; }

    bool ReadInteger(const JsonValue& value, const std::string& path, std::int64_t min, std::int64_t max,
                     std::int64_t& out)
    {
        std::int64_t v = 0;
        if (value.type != JsonValue::Type::Number || !ParseInteger(value.text, v) || v < min || v > max)
            return Fail(path, "must be an integer from " + std::to_string(min) + " to " + std::to_string(max), value);
        out = v;
        return true;
    }

    bool ReadDouble(const JsonValue& value, const std::string& path, double& out)
    {
        double v = 0.0;
        if (value.type == JsonValue::Type::Number) {
            if (!ParseDouble(value.text, v))
                return Fail(path, "is beyond the range of a double", value);
        } else if (value.type != JsonValue::Type::String || !ParseDouble(value.text, v) || std::isfinite(v)) {
            return Fail(path, "must be a number, or one of the strings \"nan\", \"inf\", \"-inf\"", value);
        }
        out = v;
        return true;
    }

    // at: the value the message is about, whose place in the text is reported.
    bool Fail(const std::string& path, const std::string& message, const JsonValue& at)
    {
        if (m_bOk) {
            m_error = path + " " + message;
            if (m_pErrorOffset)
                *m_pErrorOffset = at.offset;
        }
        m_bOk = false;
        return false;
    }

private:
    const JsonValue& m_value;
    std::string m_path;
    std::string& m_error;
    std::size_t* m_pErrorOffset;
    std::vector<const char*> m_known;
    bool m_bOk = true;
};

bool ReadMagic(ObjectReader& reader, std::uint32_t& dwMagic)
{
    const std::string* pText = nullptr;
    if (!reader.String("magic", false, pText) || !pText)
        return reader.Ok();
    std::vector<std::uint8_t> bytes;
    if (!BytesFromJsonString(*pText, bytes) || bytes.size() != 4)
        return reader.Fail("magic", "must be 4 characters, each from U+0000 to U+00FF", *reader.Value().Find("magic"));
    dwMagic = 0;
    for (int i = 3; i >= 0; --i)
        dwMagic = (dwMagic << 8) | bytes[static_cast<std::size_t>(i)];
    return true;
}

bool ReadEndMark(ObjectReader& reader, std::uint8_t (&endMark)[4])
{
    const std::string* pText = nullptr;
    if (!reader.String("end_mark", false, pText) || !pText)
        return reader.Ok();
    if (!ParseHexBytes(*pText, endMark, 4))
        return reader.Fail("end_mark", "must be 8 hex digits, the 4 bytes in file order",
                           *reader.Value().Find("end_mark"));
    return true;
}

// One list of a channel table: its frequencies go into the list, the range
// fields into the header once the list is complete.
bool ReadChannelList(ObjectReader& parent, const char* key, ChannelTable& table, std::int32_t iMode,
                     ChannelTableHeader& header, std::string& error)
{
    const JsonValue* pListValue = parent.Member(key, true);
    if (!pListValue)
        return false;
    ObjectReader reader(*pListValue, key, error, parent.ErrorOffset());
    std::int64_t iMin = -1;
    std::int64_t iMax = -1;
    const JsonValue* pFrequencies = nullptr;
    if (!reader.Integer("min", false, 0, 65535, iMin) || !reader.Integer("max", false, 0, 65535, iMax) ||
        !reader.Array("frequencies", pFrequencies) || !reader.Finish())
        return false;

    const std::string path = reader.Path("frequencies");
    if (pFrequencies->items.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels))
        return reader.Fail(path,
                           "holds more than " + std::to_string(ChannelTable::kMaxChannels) +
                               " channels, more than a file can count",
                           *pFrequencies);
    std::vector<double> frequencies(pFrequencies->items.size());
    for (std::size_t i = 0; i < pFrequencies->items.size(); ++i) {
        // A plain number needs no path; it is spelled out only for a message,
        // as a list may hold 65,535 of them.
        const JsonValue& item = pFrequencies->items[i];
        if (item.type == JsonValue::Type::Number && ParseDouble(item.text, frequencies[i]))
            continue;
        if (!reader.ReadDouble(item, path + "[" + std::to_string(i) + "]", frequencies[i]))
            return false;
    }
    const auto iCount = static_cast<std::int32_t>(frequencies.size());
    if (iMax >= 0 && iMax != iCount)
        return reader.Fail(reader.Path("max"),
                           std::to_string(iMax) + " does not match the " + std::to_string(iCount) +
                               " frequencies (leave it out to take their number)",
                           *pListValue->Find("max"));
    if (!table.AppendFrequencies(iMode, frequencies))
        return reader.Fail(path, "cannot be held: out of memory", *pFrequencies);

    // The range the editor would compute, unless the document says otherwise.
    std::int32_t iComputedMin = 0;
    table.GetRange(iMode, &iComputedMin, nullptr);
    const auto wMin = static_cast<std::uint16_t>(iMin >= 0 ? iMin : iComputedMin);
    const auto wCount = static_cast<std::uint16_t>(iCount);
    if (iMode == ChannelModeAir) {
        header.SetAirMin(wMin);
        header.SetAirMax(wCount);
    } else {
        header.SetCableMin(wMin);
        header.SetCableMax(wCount);
    }
    return true;
}

bool ReadTunerEntry(const JsonValue& value, const std::string& path, TunerSpecEntry& entry, std::string& error,
                    std::size_t* pErrorOffset)
{
    constexpr std::int64_t kI32Min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kI32Max = std::numeric_limits<std::int32_t>::max();
    ObjectReader reader(value, path, error, pErrorOffset);
    std::int64_t iFactory = 0, iTunerType = 0, iSortKey = 0, iLow = 0, iMid = 0, iHigh = 0, iReserved = 0;
    double dbLow = 0, dbMid = 0, dbHigh = 0, dbEnd = 0, dbPc = 0, dbPc2 = 0;
    const bool bHasSortKey = value.Find("sort_key") != nullptr;
    if (!reader.Integer("factory", true, kI32Min, kI32Max, iFactory) ||
        !reader.Integer("tuner_type", true, kI32Min, kI32Max, iTunerType) ||
        !reader.Integer("sort_key", false, kI32Min, kI32Max, iSortKey) ||
        !reader.Double("low_band_start", true, dbLow) || !reader.Double("mid_band_start", true, dbMid) ||
        !reader.Double("high_band_start", true, dbHigh) || !reader.Double("high_band_end", true, dbEnd) ||
        !reader.Double("picture_carrier", true, dbPc) || !reader.Double("picture_carrier2", false, dbPc2) ||
        !reader.Integer("low_code", true, 0, 65535, iLow) || !reader.Integer("mid_code", true, 0, 65535, iMid) ||
        !reader.Integer("high_code", true, 0, 65535, iHigh) ||
        !reader.Integer("reserved", false, 0, 65535, iReserved) || !reader.Finish())
        return false;

    entry.SetFactory(static_cast<std::int32_t>(iFactory));
    entry.SetTunerType(static_cast<std::int32_t>(iTunerType));
    entry.SetLowBandStart(dbLow);
    entry.SetMidBandStart(dbMid);
    entry.SetHighBandStart(dbHigh);
    entry.SetHighBandEnd(dbEnd);
    entry.SetPictureCarrier(dbPc);
    entry.SetPictureCarrier2(dbPc2);
    entry.SetLowCode(static_cast<std::uint16_t>(iLow));
    entry.SetMidCode(static_cast<std::uint16_t>(iMid));
    entry.SetHighCode(static_cast<std::uint16_t>(iHigh));
    entry.SetReserved(static_cast<std::uint16_t>(iReserved));
    // The key follows from the codes; a different one means the codes or the
    // key were edited by hand and no longer agree.
    if (bHasSortKey && iSortKey != TunerSortKey(entry))
        return reader.Fail(reader.Path("sort_key"),
                           std::to_string(iSortKey) + " is not the key of its codes (" +
                               std::to_string(TunerSortKey(entry)) + "); leave it out to take theirs",
                           *value.Find("sort_key"));
    return true;
}

} // namespace

std::vector<std::uint8_t> TunerTableFileImage(const TunerSpecTable& table)
{
    const TunerSpecHeader& header = table.Header();
    if (header.iEntryCount() >= 0)
        return table.FileImage();
    std::vector<std::uint8_t> image(header.bytes, header.bytes + TunerSpecHeader::kSize);
    image.insert(image.end(), table.EndMark(), table.EndMark() + TunerSpecTable::kEndMarkSize);
    return image;
}

std::vector<double> ChannelFrequencies(EntryRange<ChannelNode> channels)
{
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(channels.size()));
    for (const ChannelNode& channel : channels)
        out.push_back(channel.dbFrequency);
    return out;
}

std::vector<double> LegacyFrequencies(EntryRange<LegacyChannelNode> entries)
{
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(entries.size()));
    for (const LegacyChannelNode& entry : entries)
        out.push_back(static_cast<double>(entry.fFrequency));
    return out;
}

void WriteChannelTableJson(JsonWriter& json, const ChannelTable& table)
{
    const ChannelTableHeader& header = table.Header();
    json.BeginObject();
    json.Key("format").String("ccf");
    json.Key("marker").Integer(header.wMarker());
    json.Key("reserved").Integer(header.wReserved());
    json.Key("magic");
    WriteMagic(json, header.dwMagic());
    json.Key("country_code").Integer(header.iCountryCode());
    json.Key("end_mark").String(HexBytes(table.EndMark(), 4));
    json.Key("air");
    WriteChannelList(json, table.Channels(ChannelModeAir), header.wAirMin());
    json.Key("cable");
    WriteChannelList(json, table.Channels(ChannelModeCable), header.wCableMin());
    json.EndObject();
}

void WriteTunerEntryJson(JsonWriter& json, const TunerSpecEntry& e)
{
    json.BeginObject();
    json.Key("factory").Integer(e.iFactory());
    json.Key("tuner_type").Integer(e.iTunerType());
    json.Key("sort_key").Integer(TunerSortKey(e));
    json.Key("low_band_start").Double(e.dbLowBandStart());
    json.Key("mid_band_start").Double(e.dbMidBandStart());
    json.Key("high_band_start").Double(e.dbHighBandStart());
    json.Key("high_band_end").Double(e.dbHighBandEnd());
    json.Key("picture_carrier").Double(e.dbPictureCarrier());
    json.Key("picture_carrier2").Double(e.dbPictureCarrier2());
    json.Key("low_code").Integer(e.wLowCode());
    json.Key("mid_code").Integer(e.wMidCode());
    json.Key("high_code").Integer(e.wHighCode());
    json.Key("reserved").Integer(e.wReserved());
    json.EndObject();
}

void WriteTunerTableJson(JsonWriter& json, const TunerSpecTable& table)
{
    const TunerSpecHeader& header = table.Header();
    json.BeginObject();
    json.Key("format").String("tsf");
    json.Key("marker").Integer(header.wMarker());
    json.Key("reserved").Integer(header.wReserved());
    json.Key("magic");
    WriteMagic(json, header.dwMagic());
    json.Key("entry_count").Integer(header.iEntryCount());
    json.Key("end_mark").String(HexBytes(table.EndMark(), TunerSpecTable::kEndMarkSize));
    json.Key("entries").BeginArray();
    for (const TunerSpecNode& node : table.Entries())
        WriteTunerEntryJson(json, node.entry);
    json.EndArray();
    json.EndObject();
}

void WriteLegacyTableJson(JsonWriter& json, const LegacyChannelTable& table)
{
    json.BeginObject();
    json.Key("format").String("cft");
    json.Key("country_code").Integer(table.iCountryCode());
    json.Key("air_count").Integer(table.wAirCount());
    json.Key("cable_count").Integer(table.wCableCount());
    json.Key("air_min").Integer(table.wAirMinCh());
    json.Key("air_max").Integer(table.wAirMaxCh());
    json.Key("cable_min").Integer(table.wCableMinCh());
    json.Key("cable_max").Integer(table.wCableMaxCh());
    json.Key("air");
    WriteLegacyList(json, table.Entries(ChannelModeAir));
    json.Key("cable");
    WriteLegacyList(json, table.Entries(ChannelModeCable));
    json.EndObject();
}

std::string JsonTableFormat(const JsonValue& document)
{
    const JsonValue* pFormat = document.Find("format");
    return pFormat && pFormat->type == JsonValue::Type::String ? pFormat->text : std::string();
}

bool ChannelTableFromJson(const JsonValue& document, ChannelTable& table, std::string& error, std::size_t* pErrorOffset)
{
    ObjectReader reader(document, "", error, pErrorOffset);
    const std::string* pFormat = nullptr;
    std::int64_t iMarker = kTableMarker, iReserved = 0, iCountry = 0;
    ChannelTableHeader header = table.Header();
    std::uint32_t dwMagic = header.dwMagic();
    std::uint8_t endMark[4] = {kTableEndMark[0], kTableEndMark[1], kTableEndMark[2], kTableEndMark[3]};
    if (!reader.String("format", true, pFormat))
        return false;
    if (*pFormat != "ccf")
        return reader.Fail("format", "must be \"ccf\" for a channel table", *document.Find("format"));
    if (!reader.Integer("marker", false, 0, 65535, iMarker) ||
        !reader.Integer("reserved", false, 0, 65535, iReserved) || !ReadMagic(reader, dwMagic) ||
        !reader.Integer("country_code", true, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(), iCountry) ||
        !ReadEndMark(reader, endMark) || !ReadChannelList(reader, "air", table, ChannelModeAir, header, error) ||
        !ReadChannelList(reader, "cable", table, ChannelModeCable, header, error) || !reader.Finish())
        return false;

    header.SetMarker(static_cast<std::uint16_t>(iMarker));
    header.SetReserved(static_cast<std::uint16_t>(iReserved));
    header.SetMagic(dwMagic);
    header.SetCountryCode(static_cast<std::int32_t>(iCountry));
    table.SetHeaderImage(header, endMark);
    return true;
}

bool TunerTableFromJson(const JsonValue& document, TunerSpecTable& table, std::string& error, std::size_t* pErrorOffset)
{
    ObjectReader reader(document, "", error, pErrorOffset);
    const std::string* pFormat = nullptr;
    std::int64_t iMarker = kTableMarker, iReserved = 0, iCount = -1;
    TunerSpecHeader header = table.Header();
    std::uint32_t dwMagic = header.dwMagic();
    std::uint8_t endMark[4] = {kTableEndMark[0], kTableEndMark[1], kTableEndMark[2], kTableEndMark[3]};
    const JsonValue* pEntries = nullptr;
    if (!reader.String("format", true, pFormat))
        return false;
    if (*pFormat != "tsf")
        return reader.Fail("format", "must be \"tsf\" for a tuner table", *document.Find("format"));
    const bool bHasCount = document.Find("entry_count") != nullptr;
    if (!reader.Integer("marker", false, 0, 65535, iMarker) ||
        !reader.Integer("reserved", false, 0, 65535, iReserved) || !ReadMagic(reader, dwMagic) ||
        !reader.Integer("entry_count", false, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(), iCount) ||
        !ReadEndMark(reader, endMark) || !reader.Array("entries", pEntries) || !reader.Finish())
        return false;
    // A file may hold a negative count: it has no records and reads as an
    // empty table, and the count stays in the header so that the file can be
    // written back as it was.
    const bool bNegativeCount = bHasCount && iCount < 0 && pEntries->items.empty();
    if (bHasCount && !bNegativeCount && iCount != static_cast<std::int64_t>(pEntries->items.size()))
        return reader.Fail("entry_count",
                           std::to_string(iCount) + " does not match the " + std::to_string(pEntries->items.size()) +
                               " entries (leave it out to take their number)",
                           *document.Find("entry_count"));
    if (pEntries->items.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return reader.Fail("entries", "holds more entries than a file can count", *pEntries);

    // Entries keep the document's order, as a loaded file keeps its own: no
    // sorting, and a repeated key stays, so that the file comes back as it was.
    std::vector<TunerSpecEntry> entries(pEntries->items.size());
    for (std::size_t i = 0; i < pEntries->items.size(); ++i) {
        if (!ReadTunerEntry(pEntries->items[i], "entries[" + std::to_string(i) + "]", entries[i], error, pErrorOffset))
            return false;
    }
    if (!table.AppendEntries(entries))
        return reader.Fail("entries", "cannot be held: out of memory", *pEntries);

    header.SetMarker(static_cast<std::uint16_t>(iMarker));
    header.SetReserved(static_cast<std::uint16_t>(iReserved));
    header.SetMagic(dwMagic);
    header.SetEntryCount(bNegativeCount ? static_cast<std::int32_t>(iCount) : table.GetList()->iCount);
    table.SetHeaderImage(header, endMark);
    return true;
}
