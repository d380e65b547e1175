#include "tool/DiffListing.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tables/text/Numbers.h"
#include "tables/text/TableJson.h"
#include "tool/Listing.h"

namespace {

// Two tables of the largest size can differ in every channel: the lines are
// put together in one block of memory, numbers written straight into it, and
// handed to the stream a block at a time.
class LineBuffer
{
public:
    explicit LineBuffer(std::ostream& out) : m_out(out), m_buffer(kBlock) {}
    ~LineBuffer() { Flush(); }
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;

    LineBuffer& operator<<(std::string_view text)
    {
        Put(text.data(), text.size());
        return *this;
    }
    LineBuffer& operator<<(char c)
    {
        Room(1)[0] = c;
        ++m_used;
        return *this;
    }
    LineBuffer& Integer(long long value)
    {
        char* p = Room(kNumberRoom);
        m_used += static_cast<std::size_t>(std::to_chars(p, p + kNumberRoom, value).ptr - p);
        return *this;
    }
    // FormatDouble's form, without a string of its own for every finite value.
    LineBuffer& Double(double value)
    {
        if (!std::isfinite(value))
            return *this << FormatDouble(value);
        char* p = Room(kNumberRoom);
        m_used += static_cast<std::size_t>(std::to_chars(p, p + kNumberRoom, value).ptr - p);
        return *this;
    }
    // At least `width` digits, as "%0*X" writes them.
    LineBuffer& Hex(unsigned value, int width)
    {
        char digits[16];
        const char* pEnd = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
        for (auto count = pEnd - digits; count < width; ++count)
            *this << '0';
        for (const char* p = digits; p != pEnd; ++p)
            *this << static_cast<char>(*p >= 'a' ? *p - 'a' + 'A' : *p);
        return *this;
    }
    // A channel number as the listings write it: at least three digits.
    LineBuffer& Channel(std::int32_t iChannel)
    {
        if (iChannel < 100)
            *this << '0';
        if (iChannel < 10)
            *this << '0';
        return Integer(iChannel);
    }
    // A frequency as dump lists it: "55.25 MHz", "0 MHz (empty)".
    LineBuffer& Frequency(double value)
    {
        Double(value) << " MHz";
        if (!(value > 0.0))
            *this << " (empty)";
        return *this;
    }
    void EndLine()
    {
        *this << '\n';
        if (m_used >= kBlock - kLineRoom)
            Flush();
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    // Every line is far shorter than this, so most lines fit whole in a block.
    static constexpr std::size_t kLineRoom = 4096;
    // The longest integer or shortest double to_chars writes.
    static constexpr std::size_t kNumberRoom = 32;

    // Room for count more bytes at the end of the block.
    char* Room(std::size_t count)
    {
        if (count > m_buffer.size() - m_used)
            Flush();
        return m_buffer.data() + m_used;
    }
    void Put(const char* p, std::size_t count)
    {
        if (count > m_buffer.size()) {
            Flush();
            m_out.write(p, static_cast<std::streamsize>(count));
            return;
        }
        std::memcpy(Room(count), p, count);
        m_used += count;
    }
    void Flush()
    {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_used));
        m_used = 0;
    }

    std::ostream& m_out;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
};

const char* HeaderFieldKey(HeaderField field)
{
    switch (field) {
    case HeaderField::Marker: return "marker";
    case HeaderField::Reserved: return "reserved";
    case HeaderField::Magic: return "magic";
    case HeaderField::CountryCode: return "country_code";
    case HeaderField::EntryCount: return "entry_count";
    case HeaderField::EndMark: return "end_mark";
    case HeaderField::UnreadEndMark: return "unread_end_mark";
    case HeaderField::AirRange: return "air_range";
    case HeaderField::CableRange: return "cable_range";
    }
    return "";
}

void ListHeader(LineBuffer& line, const std::vector<HeaderDifference>& header)
{
    for (const HeaderDifference& difference : header) {
        line << HeaderFieldText(difference.field) << ": ";
        line << HeaderFieldValueText(difference.field, difference.before);
        line << " -> ";
        line << HeaderFieldValueText(difference.field, difference.after);
        line.EndLine();
    }
}

void WriteHeaderValueJson(JsonWriter& json, HeaderField field, const HeaderFieldValue& value)
{
    switch (field) {
    case HeaderField::Magic: json.ByteString(value.bytes.data(), value.bytes.size()); return;
    case HeaderField::EndMark: json.String(HexBytes(value.bytes.data(), value.bytes.size())); return;
    case HeaderField::UnreadEndMark:
        if (value.iValue)
            json.String(HexBytes(value.bytes.data(), value.bytes.size()));
        else
            json.Null();
        return;
    case HeaderField::AirRange:
    case HeaderField::CableRange:
        json.BeginObject().Key("min").Integer(value.iValue).Key("max").Integer(value.iMax).EndObject();
        return;
    case HeaderField::Marker:
    case HeaderField::Reserved:
    case HeaderField::CountryCode:
    case HeaderField::EntryCount: json.Integer(value.iValue); return;
    }
}

void WriteHeaderJson(JsonWriter& json, const std::vector<HeaderDifference>& header)
{
    json.Key("header").BeginObject();
    for (const HeaderDifference& difference : header) {
        json.Key(HeaderFieldKey(difference.field)).BeginObject();
        json.Key("old");
        WriteHeaderValueJson(json, difference.field, difference.before);
        json.Key("new");
        WriteHeaderValueJson(json, difference.field, difference.after);
        json.EndObject();
    }
    json.EndObject();
}

const char* ChangeKey(DiffChange change)
{
    switch (change) {
    case DiffChange::Added: return "added";
    case DiffChange::Removed: return "removed";
    case DiffChange::Changed: return "changed";
    }
    return "";
}

const char* ListName(std::int32_t iList)
{
    return iList == ChannelModeAir ? "air" : "cable";
}

void WriteChannelsJson(JsonWriter& json, const std::vector<ChannelDifference>& channels, std::int32_t iList)
{
    json.Key(ListName(iList)).BeginArray();
    for (const ChannelDifference& difference : channels) {
        if (difference.iList != iList)
            continue;
        json.BeginObject();
        json.Key("channel").Integer(difference.iChannel);
        json.Key("change").String(ChangeKey(difference.change));
        if (difference.change != DiffChange::Added)
            json.Key("old").Double(difference.dbBefore);
        if (difference.change != DiffChange::Removed)
            json.Key("new").Double(difference.dbAfter);
        json.EndObject();
    }
    json.EndArray();
}

struct TunerFieldNames
{
    const char* text; // in a listing line
    const char* key;  // in JSON, as dump --json names it
};

TunerFieldNames NamesOf(TunerField field)
{
    static const TunerFieldNames kNames[kTunerFieldCount] = {
        {"low band start", "low_band_start"},
        {"mid band start", "mid_band_start"},
        {"high band start", "high_band_start"},
        {"high band end", "high_band_end"},
        {"picture carrier", "picture_carrier"},
        {"picture carrier 2", "picture_carrier2"},
        {"low code", "low_code"},
        {"mid code", "mid_code"},
        {"high code", "high_code"},
        {"reserved", "reserved"},
    };
    return kNames[static_cast<int>(field)];
}

// A field's value as dump lists it: frequencies in MHz, band codes in hex.
void PutTunerField(LineBuffer& line, const TunerSpecEntry& entry, TunerField field)
{
    if (IsTunerFrequencyField(field))
        line.Double(TunerFieldFrequency(entry, field)) << " MHz";
    else if (field == TunerField::Reserved)
        line.Integer(TunerFieldWord(entry, field));
    else
        line.Hex(TunerFieldWord(entry, field), 4);
}

// "factory 03, tuner type 12", and "#2" for the second entry with that key.
void PutTunerKey(LineBuffer& line, const TunerDifference& difference)
{
    line << "factory ";
    line.Hex(static_cast<unsigned>(difference.iFactory), 2) << ", tuner type ";
    line.Hex(static_cast<unsigned>(difference.iTunerType), 2);
    if (difference.iOccurrence > 1) {
        line << " #";
        line.Integer(difference.iOccurrence);
    }
}

// A whole entry on one line, in the words of dump's listing.
void PutTunerEntry(LineBuffer& line, const TunerSpecEntry& e)
{
    line << "low band ";
    line.Double(e.dbLowBandStart()) << " to ";
    line.Double(e.dbMidBandStart()) << " MHz, code ";
    line.Hex(e.wLowCode(), 4) << "; mid band ";
    line.Double(e.dbMidBandStart()) << " to ";
    line.Double(e.dbHighBandStart()) << " MHz, code ";
    line.Hex(e.wMidCode(), 4) << "; high band ";
    line.Double(e.dbHighBandStart()) << " to ";
    line.Double(e.dbHighBandEnd()) << " MHz, code ";
    line.Hex(e.wHighCode(), 4) << "; picture carriers ";
    line.Double(e.dbPictureCarrier()) << " and ";
    line.Double(e.dbPictureCarrier2()) << " MHz; reserved ";
    line.Integer(e.wReserved());
}

void WriteTunerFieldJson(JsonWriter& json, const TunerSpecEntry& entry, TunerField field)
{
    if (IsTunerFrequencyField(field))
        json.Double(TunerFieldFrequency(entry, field));
    else
        json.Integer(TunerFieldWord(entry, field));
}

} // namespace

void ListChannelTableDiff(std::ostream& out, const ChannelTableDiff& diff)
{
    LineBuffer line(out);
    ListHeader(line, diff.header);
    for (const ChannelDifference& difference : diff.channels) {
        line << ListName(difference.iList) << ' ';
        line.Channel(difference.iChannel) << ": ";
        switch (difference.change) {
        case DiffChange::Added:
            line << "added ";
            line.Frequency(difference.dbAfter);
            break;
        case DiffChange::Removed:
            line << "removed ";
            line.Frequency(difference.dbBefore);
            break;
        case DiffChange::Changed:
            line.Frequency(difference.dbBefore) << " -> ";
            line.Frequency(difference.dbAfter);
            break;
        }
        line.EndLine();
    }
}

void ListTunerTableDiff(std::ostream& out, const TunerTableDiff& diff)
{
    LineBuffer line(out);
    ListHeader(line, diff.header);
    if (diff.bOrderChanged) {
        line << "entry order: the entries both tables hold stand in another order";
        line.EndLine();
    }
    for (const TunerDifference& difference : diff.entries) {
        if (difference.change != DiffChange::Changed) {
            PutTunerKey(line, difference);
            const bool bAdded = difference.change == DiffChange::Added;
            line << (bAdded ? ": added: " : ": removed: ");
            PutTunerEntry(line, bAdded ? difference.after : difference.before);
            line.EndLine();
            continue;
        }
        for (int i = 0; i < kTunerFieldCount; ++i) {
            const auto field = static_cast<TunerField>(i);
            if (!(difference.wFields & TunerFieldBit(field)))
                continue;
            PutTunerKey(line, difference);
            line << ": " << NamesOf(field).text << ' ';
            PutTunerField(line, difference.before, field);
            line << " -> ";
            PutTunerField(line, difference.after, field);
            line.EndLine();
        }
    }
}

void WriteChannelTableDiffJson(JsonWriter& json, const ChannelTableDiff& diff)
{
    json.BeginObject();
    json.Key("format").String("ccf");
    json.Key("equal").Integer(diff.Empty() ? 1 : 0);
    WriteHeaderJson(json, diff.header);
    WriteChannelsJson(json, diff.channels, ChannelModeAir);
    WriteChannelsJson(json, diff.channels, ChannelModeCable);
    json.EndObject();
}

void WriteTunerTableDiffJson(JsonWriter& json, const TunerTableDiff& diff)
{
    json.BeginObject();
    json.Key("format").String("tsf");
    json.Key("equal").Integer(diff.Empty() ? 1 : 0);
    WriteHeaderJson(json, diff.header);
    json.Key("order_changed").Integer(diff.bOrderChanged ? 1 : 0);
    json.Key("entries").BeginArray();
    for (const TunerDifference& difference : diff.entries) {
        json.BeginObject();
        json.Key("factory").Integer(difference.iFactory);
        json.Key("tuner_type").Integer(difference.iTunerType);
        json.Key("occurrence").Integer(difference.iOccurrence);
        json.Key("sort_key").Integer(difference.SortKey());
        json.Key("change").String(ChangeKey(difference.change));
        if (difference.change == DiffChange::Removed) {
            json.Key("old");
            WriteTunerEntryJson(json, difference.before);
        } else if (difference.change == DiffChange::Added) {
            json.Key("new");
            WriteTunerEntryJson(json, difference.after);
        } else {
            json.Key("fields").BeginObject();
            for (int i = 0; i < kTunerFieldCount; ++i) {
                const auto field = static_cast<TunerField>(i);
                if (!(difference.wFields & TunerFieldBit(field)))
                    continue;
                json.Key(NamesOf(field).key).BeginObject();
                json.Key("old");
                WriteTunerFieldJson(json, difference.before, field);
                json.Key("new");
                WriteTunerFieldJson(json, difference.after, field);
                json.EndObject();
            }
            json.EndObject();
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}
