#include "tables/text/TableJson.h"

#include <cmath>
#include <limits>
#include <new>

#include "platform/Printable.h"
#include "tables/format/TableFormat.h"
#include "tables/text/Numbers.h"

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

// A double as a document holds one: a number, or a non-finite value as one of
// FormatDouble's strings ("nan", "inf", "-inf", "nan:" and its bits).
bool DoubleFromJson(JsonValue::Type type, std::string_view text, double& value)
{
    double v = 0.0;
    if (type == JsonValue::Type::Number ? !ParseDouble(text, v)
                                        : type != JsonValue::Type::String || !ParseDouble(text, v) || std::isfinite(v))
        return false;
    value = v;
    return true;
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
        if (DoubleFromJson(value.type, value.text, out))
            return true;
        if (value.type == JsonValue::Type::Number)
            return Fail(path, "is beyond the range of a double", value);
        return Fail(path, "must be a number, or one of the strings \"nan\", \"inf\", \"-inf\"", value);
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

bool ReadEndMark(ObjectReader& reader, std::uint8_t (&endMark)[4], const char* pszKey = "end_mark")
{
    const std::string* pText = nullptr;
    if (!reader.String(pszKey, false, pText) || !pText)
        return reader.Ok();
    if (!ParseHexBytes(*pText, endMark, 4))
        return reader.Fail(pszKey, "must be 8 hex digits, the 4 bytes in file order", *reader.Value().Find(pszKey));
    return true;
}

// One list of a channel table: its frequencies go into the list, the range
// fields into the header once the list is complete.
bool ReadChannelList(ObjectReader& parent, const char* key, const TableJsonDocument::Frequencies& read,
                     ChannelTable& table, std::int32_t iMode, ChannelTableHeader& header, std::string& error)
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
    if (read.count > static_cast<std::size_t>(ChannelTable::kMaxChannels))
        return reader.Fail(path,
                           "holds more than " + std::to_string(ChannelTable::kMaxChannels) +
                               " channels, more than a file can count",
                           *pFrequencies);
    // A refused item is spelled out only now, for the message.
    double dbRefused = 0.0;
    if (read.bRefused &&
        !reader.ReadDouble(read.refusedItem, path + "[" + std::to_string(read.refusedIndex) + "]", dbRefused))
        return false;
    const auto iCount = static_cast<std::int32_t>(read.count);
    if (iMax >= 0 && iMax != iCount)
        return reader.Fail(reader.Path("max"),
                           std::to_string(iMax) + " does not match the " + std::to_string(iCount) +
                               " frequencies (leave it out to take their number)",
                           *pListValue->Find("max"));
    if (!table.AppendFrequencies(iMode, read.values))
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

bool IsOneOf(std::string_view key, std::initializer_list<std::string_view> keys)
{
    for (const std::string_view known : keys)
        if (key == known)
            return true;
    return false;
}

// The members of the top object that a channel or a tuner table reads.
bool IsTableKey(std::string_view key)
{
    return IsOneOf(key, {"format", "marker", "reserved", "magic", "country_code", "end_mark", "unread_end_mark", "air",
                         "cable", "entry_count", "entries"});
}

bool IsListKey(std::string_view key)
{
    return IsOneOf(key, {"min", "max", "frequencies"});
}

bool IsEntryKey(std::string_view key)
{
    return IsOneOf(key, {"factory", "tuner_type", "sort_key", "low_band_start", "mid_band_start", "high_band_start",
                         "high_band_end", "picture_carrier", "picture_carrier2", "low_code", "mid_code", "high_code",
                         "reserved"});
}

// A value as it is kept on its own: a scalar with its text, a container
// without its content.
JsonValue LoneValue(JsonValue::Type type, std::string_view text, std::size_t offset)
{
    JsonValue value;
    value.type = type;
    value.offset = offset;
    if (type == JsonValue::Type::Bool)
        value.boolean = text == "true";
    else if (type != JsonValue::Type::Null)
        value.text.assign(text);
    return value;
}

} // namespace

// Fills a TableJsonDocument while the text is read. The containers it reads
// (the top object, "air" and "cable", their "frequencies", "entries" and each
// entry) are frames; any other container is skipped, only its depth counted,
// once its type and place are noted where a table reader could name it.
class TableJsonDocument::Reader : public JsonHandler
{
public:
    explicit Reader(TableJsonDocument& document) : m_document(document) {}

    void BeginObject(std::size_t offset) override { BeginContainer(JsonValue::Type::Object, offset); }
    void BeginArray(std::size_t offset) override { BeginContainer(JsonValue::Type::Array, offset); }
    void EndObject() override { EndContainer(); }
    void EndArray() override { EndContainer(); }

    void Key(std::string_view key) override
    {
        if (m_skipped == 0)
            m_key.assign(key);
    }

    void Scalar(JsonValue::Type type, std::string_view text, std::size_t offset) override
    {
        if (m_skipped > 0)
            return;
        if (!m_frames.empty() && m_frames.back().role == Role::Frequencies)
            return AddFrequency(type, text, offset);
        if (!m_frames.empty() && m_frames.back().role == Role::Entries)
            return AddEntryThatIsNoObject(type, text, offset);
        if (JsonValue* pValue = NewValue())
            *pValue = LoneValue(type, text, offset);
    }

private:
    enum class Role
    {
        Top,         // the document's object
        List,        // "air" or "cable" of the top object
        Frequencies, // "frequencies" of a list
        Entries,     // "entries" of the top object
        Entry,       // one item of "entries"
    };
    struct Frame
    {
        Role role;
        JsonValue* pObject; // Top, List, Entry: where its members go
        std::size_t list;   // List, Frequencies: 0 for air, 1 for cable
        bool bUnknownKept;  // the first member of a key the table does not read is kept
    };

    void BeginContainer(JsonValue::Type type, std::size_t offset)
    {
        if (m_skipped == 0 && BeginReadContainer(type, offset))
            return;
        ++m_skipped; // its content is not read
    }

    // True when the container that begins now is read, as a new frame. Its
    // type and place are kept where a table reader may name it.
    bool BeginReadContainer(JsonValue::Type type, std::size_t offset)
    {
        const bool bObject = type == JsonValue::Type::Object;
        if (m_frames.empty()) {
            m_document.m_root = LoneValue(type, {}, offset);
            return bObject && Push(Role::Top, &m_document.m_root, 0);
        }
        const Frame parent = m_frames.back();
        if (parent.role == Role::Frequencies) {
            AddFrequency(type, {}, offset);
            return false;
        }
        if (parent.role == Role::Entries) {
            if (bObject)
                return BeginEntry(offset);
            AddEntryThatIsNoObject(type, {}, offset);
            return false;
        }
        JsonValue* pValue = NewValue();
        if (!pValue)
            return false;
        *pValue = LoneValue(type, {}, offset);
        if (parent.role == Role::Top && bObject && (m_key == "air" || m_key == "cable"))
            return Push(Role::List, pValue, m_key == "air" ? 0 : 1);
        if (parent.role == Role::List && !bObject && m_key == "frequencies")
            return Push(Role::Frequencies, nullptr, parent.list);
        if (parent.role == Role::Top && !bObject && m_key == "entries")
            return Push(Role::Entries, nullptr, 0);
        return false;
    }

    bool Push(Role role, JsonValue* pObject, std::size_t list)
    {
        m_frames.push_back(Frame{role, pObject, list, false});
        return true;
    }

    void EndContainer()
    {
        if (m_skipped > 0) {
            --m_skipped;
            return;
        }
        const Role role = m_frames.back().role;
        m_frames.pop_back();
        if (role == Role::Entry)
            EndEntry();
    }

    // Where the value that begins now is kept: the document itself, or a
    // member of the object being read when a table reads that key or it is
    // the first key no table reads; nullptr when it is not kept.
    JsonValue* NewValue()
    {
        if (m_frames.empty())
            return &m_document.m_root;
        Frame& frame = m_frames.back();
        const bool bKnown = frame.role == Role::Top    ? IsTableKey(m_key)
                            : frame.role == Role::List ? IsListKey(m_key)
                                                       : IsEntryKey(m_key);
        if (!bKnown) {
            if (frame.bUnknownKept)
                return nullptr;
            frame.bUnknownKept = true;
        }
        return &frame.pObject->members.emplace_back(m_key, JsonValue()).second;
    }

    // An item of "frequencies": its value while the list may still be taken,
    // else only counted.
    void AddFrequency(JsonValue::Type type, std::string_view text, std::size_t offset)
    {
        Frequencies& read = m_document.m_lists[m_frames.back().list];
        const std::size_t index = read.count++;
        if (read.bRefused || index >= static_cast<std::size_t>(ChannelTable::kMaxChannels))
            return;
        double dbFrequency = 0.0;
        if (DoubleFromJson(type, text, dbFrequency)) {
            read.values.push_back(dbFrequency);
            return;
        }
        read.bRefused = true;
        read.refusedIndex = index;
        read.refusedItem = LoneValue(type, text, offset);
    }

    // Whether the entry now counted is still to be read: none is after a
    // refused one or past the most a table holds.
    bool TakesNextEntry()
    {
        const Entries& read = m_document.m_entries;
        return !read.bRefused && read.count <= static_cast<std::size_t>(TunerSpecTable::kMaxEntries);
    }

    // True when the entry that begins now is read.
    bool BeginEntry(std::size_t offset)
    {
        ++m_document.m_entries.count;
        if (!TakesNextEntry())
            return false;
        m_entry.members.clear();
        m_entry.type = JsonValue::Type::Object;
        m_entry.offset = offset;
        return Push(Role::Entry, &m_entry, 0);
    }

    void EndEntry() { TakeEntry(m_entry); }

    void AddEntryThatIsNoObject(JsonValue::Type type, std::string_view text, std::size_t offset)
    {
        ++m_document.m_entries.count;
        if (TakesNextEntry())
            TakeEntry(LoneValue(type, text, offset));
    }

    void TakeEntry(const JsonValue& item)
    {
        Entries& read = m_document.m_entries;
        TunerSpecEntry entry;
        const std::string path = "entries[" + std::to_string(read.count - 1) + "]";
        if (ReadTunerEntry(item, path, entry, read.refusal, &read.refusalOffset))
            read.entries.push_back(entry);
        else
            read.bRefused = true;
    }

    TableJsonDocument& m_document;
    std::vector<Frame> m_frames;
    std::size_t m_skipped = 0; // depth inside a container that is not read
    std::string m_key;         // the key of the member whose value comes next
    JsonValue m_entry;         // the entry being read
};

bool TableJsonDocument::Read(std::string_view text, JsonParseError& error, JsonReadCounts* pCounts)
{
    *this = TableJsonDocument();
    Reader reader(*this);
    if (ReadJson(text, reader, error, pCounts))
        return true;
    *this = TableJsonDocument();
    return false;
}

std::vector<std::uint8_t> TunerTableFileImage(const TunerSpecTable& table)
{
    const TunerSpecHeader& header = table.Header();
    if (header.iEntryCount() == 0 && table.Entries().size() == 0) {
        std::vector<std::uint8_t> image(header.bytes, header.bytes + TunerSpecHeader::kSize);
        if (const auto& unread = table.LastLoad().unreadEndMark)
            image.insert(image.end(), unread->begin(), unread->end());
        return image;
    }
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
    // The count a save would write: that of the entries, whatever the file
    // the table was read from stated before it was edited (an export the
    // editor's own import refused otherwise). A file with a negative count
    // holds no entries and keeps that count, so that it can be built back.
    const auto entries = static_cast<std::int32_t>(table.Entries().size());
    json.Key("entry_count").Integer(entries == 0 && header.iEntryCount() < 0 ? header.iEntryCount() : entries);
    json.Key("end_mark").String(HexBytes(table.EndMark(), TunerSpecTable::kEndMarkSize));
    if (const auto& unread = table.LastLoad().unreadEndMark)
        json.Key("unread_end_mark").String(HexBytes(unread->data(), unread->size()));
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

bool ChannelTableFromJson(const TableJsonDocument& document, ChannelTable& table, std::string& error,
                          std::size_t* pErrorOffset)
{
    ObjectReader reader(document.Root(), "", error, pErrorOffset);
    const std::string* pFormat = nullptr;
    std::int64_t iMarker = kTableMarker, iReserved = 0, iCountry = 0;
    ChannelTableHeader header = table.Header();
    std::uint32_t dwMagic = header.dwMagic();
    std::uint8_t endMark[4] = {kTableEndMark[0], kTableEndMark[1], kTableEndMark[2], kTableEndMark[3]};
    if (!reader.String("format", true, pFormat))
        return false;
    if (*pFormat != "ccf")
        return reader.Fail("format", "must be \"ccf\" for a channel table", *document.Root().Find("format"));
    if (!reader.Integer("marker", false, 0, 65535, iMarker) ||
        !reader.Integer("reserved", false, 0, 65535, iReserved) || !ReadMagic(reader, dwMagic) ||
        !reader.Integer("country_code", true, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(), iCountry) ||
        !ReadEndMark(reader, endMark) ||
        !ReadChannelList(reader, "air", document.ListFrequencies(ChannelModeAir), table, ChannelModeAir, header,
                         error) ||
        !ReadChannelList(reader, "cable", document.ListFrequencies(ChannelModeCable), table, ChannelModeCable, header,
                         error) ||
        !reader.Finish())
        return false;

    header.SetMarker(static_cast<std::uint16_t>(iMarker));
    header.SetReserved(static_cast<std::uint16_t>(iReserved));
    header.SetMagic(dwMagic);
    header.SetCountryCode(static_cast<std::int32_t>(iCountry));
    table.SetHeaderImage(header, endMark);
    return true;
}

bool TunerTableFromJson(const TableJsonDocument& document, TunerSpecTable& table, std::string& error,
                        std::size_t* pErrorOffset)
{
    const JsonValue& root = document.Root();
    ObjectReader reader(root, "", error, pErrorOffset);
    const std::string* pFormat = nullptr;
    std::int64_t iMarker = kTableMarker, iReserved = 0, iCount = -1;
    TunerSpecHeader header = table.Header();
    std::uint32_t dwMagic = header.dwMagic();
    std::uint8_t endMark[4] = {kTableEndMark[0], kTableEndMark[1], kTableEndMark[2], kTableEndMark[3]};
    std::uint8_t unreadEndMark[4] = {};
    const JsonValue* pEntries = nullptr;
    if (!reader.String("format", true, pFormat))
        return false;
    if (*pFormat != "tsf")
        return reader.Fail("format", "must be \"tsf\" for a tuner table", *root.Find("format"));
    const bool bHasCount = root.Find("entry_count") != nullptr;
    if (!reader.Integer("marker", false, 0, 65535, iMarker) ||
        !reader.Integer("reserved", false, 0, 65535, iReserved) || !ReadMagic(reader, dwMagic) ||
        !reader.Integer("entry_count", false, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(), iCount) ||
        !ReadEndMark(reader, endMark) || !ReadEndMark(reader, unreadEndMark, "unread_end_mark") ||
        !reader.Array("entries", pEntries) || !reader.Finish())
        return false;
    const TableJsonDocument::Entries& read = document.TunerEntries();
    const JsonValue* pUnread = root.Find("unread_end_mark");
    if (pUnread && (read.count != 0 || (bHasCount && iCount != 0)))
        return reader.Fail("unread_end_mark", "belongs only to a table whose entry count is 0", *pUnread);
    // A file may hold a negative count: it has no records and reads as an
    // empty table, and the count stays in the header so that the file can be
    // written back as it was.
    const bool bNegativeCount = bHasCount && iCount < 0 && read.count == 0;
    if (bHasCount && !bNegativeCount && iCount != static_cast<std::int64_t>(read.count))
        return reader.Fail("entry_count",
                           std::to_string(iCount) + " does not match the " + std::to_string(read.count) +
                               " entries (leave it out to take their number)",
                           *root.Find("entry_count"));
    if (read.count > static_cast<std::size_t>(TunerSpecTable::kMaxEntries))
        return reader.Fail("entries",
                           "holds more than " + std::to_string(TunerSpecTable::kMaxEntries) +
                               " entries, the most a table may have",
                           *pEntries);
    if (read.bRefused) {
        error = read.refusal;
        if (pErrorOffset)
            *pErrorOffset = read.refusalOffset;
        return false;
    }
    // Entries keep the document's order, as a loaded file keeps its own: no
    // sorting, and a repeated key stays, so that the file comes back as it was.
    if (!table.AppendEntries(read.entries))
        return reader.Fail("entries", "cannot be held: out of memory", *pEntries);

    header.SetMarker(static_cast<std::uint16_t>(iMarker));
    header.SetReserved(static_cast<std::uint16_t>(iReserved));
    header.SetMagic(dwMagic);
    header.SetEntryCount(bNegativeCount ? static_cast<std::int32_t>(iCount) : table.GetList()->iCount);
    table.SetHeaderImage(header, endMark);
    if (pUnread)
        table.SetUnreadEndMark({unreadEndMark[0], unreadEndMark[1], unreadEndMark[2], unreadEndMark[3]});
    return true;
}
