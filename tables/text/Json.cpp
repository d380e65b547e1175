#include "tables/text/Json.h"

#include <cmath>
#include <functional>
#include <limits>

#include "platform/Printable.h"
#include "tables/text/Numbers.h"

namespace {

constexpr int kMaxDepth = 64;

// One code point of strict UTF-8 at pos (no overlong forms, no surrogates,
// nothing above U+10FFFF); on success pos moves past it.
bool DecodeUtf8(std::string_view s, std::size_t& pos, std::uint32_t& cp)
{
    const auto byte = [&s](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t b0 = byte(pos);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        ++pos;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1Fu;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0Fu;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07u;
        min = 0x10000;
    } else {
        return false;
    }
    if (pos + length > s.size())
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t b = byte(pos + i);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    pos += length;
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The keys of one object, each by where it begins in the text (the offset of
// its opening quote), for the check for duplicates: keys are compared by
// their decoded text, read again from the text when needed, so that a key
// costs 4 to 12 bytes here whatever its length. The first few are compared in
// order; past them the keys go into a hash table with open addressing.
struct KeySet
{
    static constexpr std::size_t kListed = 16;
    std::vector<std::uint32_t> listed; // the keys in order, while there are few
    std::vector<std::uint32_t> slots;  // the hash table after that: offset + 1, 0 for a free slot
    std::size_t hashedCount = 0;
    bool bHashed = false;

    void Clear()
    {
        listed.clear();
        hashedCount = 0;
        bHashed = false;
    }
};

class Parser
{
public:
    Parser(std::string_view text, JsonHandler& handler, JsonReadCounts& counts)
        : m_text(text), m_handler(handler), m_counts(counts), m_keySets(kMaxDepth + 1)
    {
    }

    bool ParseDocument()
    {
        // Keys are kept as 32-bit offsets.
        if (m_text.size() >= std::numeric_limits<std::uint32_t>::max())
            return Fail("the document is 4 GiB or larger");
        SkipSpace();
        if (!ParseValue(0))
            return false;
        SkipSpace();
        if (m_pos != m_text.size())
            return Fail("unexpected text after the end of the document");
        return true;
    }

    const JsonParseError& Error() const { return m_error; }

private:
    bool Fail(const std::string& message)
    {
        if (m_error.reason.empty()) {
            m_error.where = JsonPositionOf(m_text, m_pos);
            m_error.reason = message;
        }
        return false;
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return m_text[m_pos]; }

    void SkipSpace()
    {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++m_pos;
    }

    bool Literal(std::string_view word, JsonValue::Type type)
    {
        if (m_text.substr(m_pos, word.size()) != word)
            return Fail("unexpected character");
        m_handler.Scalar(type, word, m_pos);
        m_pos += word.size();
        return true;
    }

    bool ParseValue(int depth)
    {
        if (AtEnd())
            return Fail("unexpected end of the document");
        const std::size_t offset = m_pos;
        switch (Peek()) {
        case '{': return ParseObject(depth);
        case '[': return ParseArray(depth);
        case '"':
            if (!ParseString(m_string))
                return false;
            m_handler.Scalar(JsonValue::Type::String, m_string, offset);
            return true;
        case 't': return Literal("true", JsonValue::Type::Bool);
        case 'f': return Literal("false", JsonValue::Type::Bool);
        case 'n': return Literal("null", JsonValue::Type::Null);
        default: {
            std::string_view number;
            if (!ParseNumber(number))
                return false;
            m_handler.Scalar(JsonValue::Type::Number, number, offset);
            return true;
        }
        }
    }

    bool ParseObject(int depth)
    {
        if (depth >= kMaxDepth)
            return Fail("nested too deeply");
        m_handler.BeginObject(m_pos);
        ++m_pos;
        SkipSpace();
        if (!AtEnd() && Peek() == '}') {
            ++m_pos;
            m_handler.EndObject();
            return true;
        }
        // The objects at one depth take turns with the same set: an object's
        // members lie one depth further in.
        KeySet& keys = m_keySets[static_cast<std::size_t>(depth)];
        keys.Clear();
        for (;;) {
            SkipSpace();
            if (AtEnd() || Peek() != '"')
                return Fail("expected a key in double quotes");
            const std::size_t keyPos = m_pos;
            if (!ParseString(m_key))
                return false;
            if (!AddKey(keys, keyPos, m_key)) {
                m_pos = keyPos;
                return Fail("duplicate key " + QuotedExcerpt(m_key));
            }
            SkipSpace();
            if (AtEnd() || Peek() != ':')
                return Fail("expected ':'");
            ++m_pos;
            SkipSpace();
            m_handler.Key(m_key);
            if (!ParseValue(depth + 1))
                return false;
            SkipSpace();
            if (AtEnd())
                return Fail("unexpected end of the document");
            if (Peek() == ',') {
                ++m_pos;
                continue;
            }
            if (Peek() == '}') {
                ++m_pos;
                m_handler.EndObject();
                return true;
            }
            return Fail("expected ',' or '}'");
        }
    }

    bool ParseArray(int depth)
    {
        if (depth >= kMaxDepth)
            return Fail("nested too deeply");
        m_handler.BeginArray(m_pos);
        ++m_pos;
        SkipSpace();
        if (!AtEnd() && Peek() == ']') {
            ++m_pos;
            m_handler.EndArray();
            return true;
        }
        for (;;) {
            SkipSpace();
            if (!ParseValue(depth + 1))
                return false;
            SkipSpace();
            if (AtEnd())
                return Fail("unexpected end of the document");
            if (Peek() == ',') {
                ++m_pos;
                continue;
            }
            if (Peek() == ']') {
                ++m_pos;
                m_handler.EndArray();
                return true;
            }
            return Fail("expected ',' or ']'");
        }
    }

    // True when key is new in its object, and then adds it.
    bool AddKey(KeySet& keys, std::size_t keyPos, std::string_view key)
    {
        const auto offset = static_cast<std::uint32_t>(keyPos);
        if (!keys.bHashed) {
            for (const std::uint32_t other : keys.listed)
                if (SameKey(other, key))
                    return false;
            keys.listed.push_back(offset);
            if (keys.listed.size() > KeySet::kListed)
                HashKeys(keys);
            return true;
        }
        // At most 70 % of the slots taken: a few probes per key.
        if (10 * (keys.hashedCount + 1) > 7 * keys.slots.size())
            GrowHashTable(keys);
        const std::size_t mask = keys.slots.size() - 1;
        for (std::size_t i = HashOf(key) & mask;; i = (i + 1) & mask) {
            if (keys.slots[i] == 0) {
                keys.slots[i] = offset + 1;
                ++keys.hashedCount;
                return true;
            }
            if (SameKey(keys.slots[i] - 1, key))
                return false;
        }
    }

    static std::size_t HashOf(std::string_view key) { return std::hash<std::string_view>()(key); }

    // Puts a key known to be new into a table with a free slot.
    void PlaceKey(std::vector<std::uint32_t>& slots, std::uint32_t offset)
    {
        const std::size_t mask = slots.size() - 1;
        std::size_t i = HashOf(KeyTextAt(offset)) & mask;
        while (slots[i] != 0)
            i = (i + 1) & mask;
        slots[i] = offset + 1;
    }

    void HashKeys(KeySet& keys)
    {
        keys.slots.assign(4 * KeySet::kListed, 0);
        for (const std::uint32_t offset : keys.listed)
            PlaceKey(keys.slots, offset);
        keys.hashedCount = keys.listed.size();
        keys.listed.clear();
        keys.bHashed = true;
    }

    void GrowHashTable(KeySet& keys)
    {
        std::vector<std::uint32_t> grown(2 * keys.slots.size(), 0);
        for (const std::uint32_t slot : keys.slots)
            if (slot != 0)
                PlaceKey(grown, slot - 1);
        keys.slots.swap(grown);
    }

    // Whether the earlier key whose quote stands at offset reads as key.
    bool SameKey(std::size_t offset, std::string_view key)
    {
        ++m_counts.keyComparisons;
        // A key read before is a whole string: its closing quote ends the loop.
        const char* raw = m_text.data() + offset + 1;
        for (std::size_t i = 0;; ++i) {
            if (raw[i] == '\\')
                return KeyTextAt(offset) == key;
            if (raw[i] == '"')
                return i == key.size();
            if (i >= key.size() || raw[i] != key[i])
                return false;
        }
    }

    // The decoded text of the key whose quote stands at offset: the text
    // itself when it holds no escape.
    std::string_view KeyTextAt(std::size_t offset)
    {
        std::size_t end = offset + 1;
        while (m_text[end] != '"' && m_text[end] != '\\')
            ++end;
        if (m_text[end] == '"')
            return m_text.substr(offset + 1, end - offset - 1);
        const std::size_t pos = m_pos;
        m_pos = offset;
        ParseString(m_keyAgain); // read once already: cannot fail
        m_pos = pos;
        return m_keyAgain;
    }

    bool Hex4(std::uint32_t& unit)
    {
        if (m_pos + 4 > m_text.size())
            return Fail("incomplete \\u escape");
        unit = 0;
        std::uint8_t bytes[2];
        if (!ParseHexBytes(m_text.substr(m_pos, 4), bytes, sizeof bytes))
            return Fail("bad hex digit in \\u escape");
        unit = static_cast<std::uint32_t>(bytes[0]) << 8 | bytes[1];
        m_pos += 4;
        return true;
    }

    // Printable ASCII other than the quote and the backslash: copied as it is.
    static bool IsPlain(char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

    bool ParseString(std::string& out)
    {
        ++m_pos; // the opening quote
        out.clear();
        for (;;) {
            if (AtEnd())
                return Fail("unterminated string");
            const char c = Peek();
            if (IsPlain(c)) {
                const std::size_t start = m_pos;
                while (++m_pos < m_text.size() && IsPlain(Peek())) {
                }
                out.append(m_text.data() + start, m_pos - start);
                continue;
            }
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (static_cast<std::uint8_t>(c) < 0x20)
                return Fail("control character in a string");
            if (c != '\\') {
                const std::size_t start = m_pos;
                std::uint32_t cp = 0;
                if (!DecodeUtf8(m_text, m_pos, cp))
                    return Fail("text that is not UTF-8");
                out.append(m_text.substr(start, m_pos - start));
                continue;
            }
            ++m_pos;
            if (AtEnd())
                return Fail("unterminated string");
            const char e = Peek();
            ++m_pos;
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::uint32_t unit = 0;
                if (!Hex4(unit))
                    return false;
                if (unit >= 0xDC00 && unit <= 0xDFFF)
                    return Fail("unpaired surrogate in \\u escape");
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    std::uint32_t low = 0;
                    if (m_text.substr(m_pos, 2) != "\\u")
                        return Fail("unpaired surrogate in \\u escape");
                    m_pos += 2;
                    if (!Hex4(low))
                        return false;
                    if (low < 0xDC00 || low > 0xDFFF)
                        return Fail("unpaired surrogate in \\u escape");
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, unit);
                break;
            }
            default: --m_pos; return Fail("unknown escape");
            }
        }
    }

    bool ParseNumber(std::string_view& number)
    {
        const std::size_t start = m_pos;
        const auto digits = [this]() {
            const std::size_t from = m_pos;
            while (!AtEnd() && Peek() >= '0' && Peek() <= '9')
                ++m_pos;
            return m_pos - from;
        };
        if (!AtEnd() && Peek() == '-')
            ++m_pos;
        if (AtEnd() || Peek() < '0' || Peek() > '9')
            return Fail("unexpected character");
        if (Peek() == '0')
            ++m_pos;
        else
            digits();
        if (!AtEnd() && Peek() == '.') {
            ++m_pos;
            if (digits() == 0)
                return Fail("digits expected after the decimal point");
        }
        if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
            ++m_pos;
            if (!AtEnd() && (Peek() == '+' || Peek() == '-'))
                ++m_pos;
            if (digits() == 0)
                return Fail("digits expected in the exponent");
        }
        number = m_text.substr(start, m_pos - start);
        return true;
    }

    std::string_view m_text;
    JsonHandler& m_handler;
    JsonReadCounts& m_counts;
    std::size_t m_pos = 0;
    JsonParseError m_error;
    std::vector<KeySet> m_keySets; // one per depth
    std::string m_string;          // the last string value read
    std::string m_key;             // the last key read
    std::string m_keyAgain;        // an earlier key, decoded again to compare it
};

// Keeps a whole document as JsonValues.
class DocumentBuilder : public JsonHandler
{
public:
    explicit DocumentBuilder(JsonValue& root) : m_root(root) {}

    void BeginObject(std::size_t offset) override { m_open.push_back(&NewValue(JsonValue::Type::Object, offset)); }
    void Key(std::string_view key) override { m_key.assign(key); }
    void EndObject() override { m_open.pop_back(); }
    void BeginArray(std::size_t offset) override { m_open.push_back(&NewValue(JsonValue::Type::Array, offset)); }
    void EndArray() override { m_open.pop_back(); }
    void Scalar(JsonValue::Type type, std::string_view text, std::size_t offset) override
    {
        JsonValue& value = NewValue(type, offset);
        if (type == JsonValue::Type::Bool)
            value.boolean = text == "true";
        else if (type != JsonValue::Type::Null)
            value.text.assign(text);
    }

private:
    // The root, the next item of the open array or the member of the key
    // just read. A container's address holds while it is open: its parent
    // grows only after it has ended.
    JsonValue& NewValue(JsonValue::Type type, std::size_t offset)
    {
        JsonValue* pValue = &m_root;
        if (!m_open.empty() && m_open.back()->type == JsonValue::Type::Array)
            pValue = &m_open.back()->items.emplace_back();
        else if (!m_open.empty())
            pValue = &m_open.back()->members.emplace_back(std::move(m_key), JsonValue()).second;
        pValue->type = type;
        pValue->offset = offset;
        return *pValue;
    }

    JsonValue& m_root;
    std::vector<JsonValue*> m_open;
    std::string m_key;
};

} // namespace

void AppendJsonEscaped(std::string& out, std::string_view s)
{
    static const char kDigits[] = "0123456789abcdef";
    for (const char c : s) {
        const auto u = static_cast<std::uint8_t>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += kDigits[u >> 4];
                out += kDigits[u & 0xF];
            } else {
                out += c;
            }
        }
    }
}

void JsonWriter::BeforeValue()
{
    if (m_bAfterKey) {
        m_bAfterKey = false;
        return;
    }
    if (!m_bEmpty.empty()) {
        if (!m_bEmpty.back())
            m_text += ',';
        m_bEmpty.back() = false;
    }
}

void JsonWriter::Quoted(std::string_view escapedContent)
{
    m_text += '"';
    m_text += escapedContent;
    m_text += '"';
}

JsonWriter& JsonWriter::BeginObject()
{
    BeforeValue();
    m_text += '{';
    m_bEmpty.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject()
{
    m_text += '}';
    m_bEmpty.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    BeforeValue();
    m_text += '[';
    m_bEmpty.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray()
{
    m_text += ']';
    m_bEmpty.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key)
{
    String(key);
    m_text += ':';
    m_bAfterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text)
{
    BeforeValue();
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        std::uint32_t cp = 0;
        if (DecodeUtf8(text, pos, cp)) {
            clean.append(text.substr(start, pos - start));
        } else {
            clean += "\xEF\xBF\xBD";
            pos = start + 1;
        }
    }
    std::string escaped;
    AppendJsonEscaped(escaped, clean);
    Quoted(escaped);
    return *this;
}

JsonWriter& JsonWriter::ByteString(const std::uint8_t* bytes, std::size_t count)
{
    BeforeValue();
    std::string utf8;
    for (std::size_t i = 0; i < count; ++i)
        AppendUtf8(utf8, bytes[i]);
    std::string escaped;
    AppendJsonEscaped(escaped, utf8);
    Quoted(escaped);
    return *this;
}

JsonWriter& JsonWriter::Integer(std::int64_t value)
{
    BeforeValue();
    m_text += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Double(double value)
{
    const std::string text = FormatDouble(value);
    BeforeValue();
    if (std::isfinite(value))
        m_text += text;
    else
        Quoted(text);
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
    return *this;
}

const JsonValue* JsonValue::Find(std::string_view key) const
{
    for (const auto& member : members)
        if (member.first == key)
            return &member.second;
    return nullptr;
}

JsonTextPosition JsonPositionOf(std::string_view text, std::size_t offset)
{
    JsonTextPosition position;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++position.line;
            position.column = 1;
        } else {
            ++position.column;
        }
    }
    return position;
}

std::string JsonParseError::Text() const
{
    return "line " + std::to_string(where.line) + ", column " + std::to_string(where.column) + ": " + reason;
}

bool ReadJson(std::string_view text, JsonHandler& handler, JsonParseError& error, JsonReadCounts* pCounts)
{
    JsonReadCounts counts;
    Parser parser(text, handler, pCounts ? *pCounts : counts);
    if (parser.ParseDocument())
        return true;
    error = parser.Error();
    return false;
}

bool ParseJson(std::string_view text, JsonValue& value, JsonParseError& error)
{
    value = JsonValue();
    DocumentBuilder builder(value);
    return ReadJson(text, builder, error);
}

bool ParseJson(std::string_view text, JsonValue& value, std::string& error)
{
    JsonParseError parseError;
    if (ParseJson(text, value, parseError))
        return true;
    error = parseError.Text();
    return false;
}

bool BytesFromJsonString(std::string_view utf8, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::uint32_t cp = 0;
        if (!DecodeUtf8(utf8, pos, cp) || cp > 0xFF)
            return false;
        bytes.push_back(static_cast<std::uint8_t>(cp));
    }
    return true;
}

const char* JsonTypeName(JsonValue::Type type)
{
    switch (type) {
    case JsonValue::Type::Null: return "null";
    case JsonValue::Type::Bool: return "a boolean";
    case JsonValue::Type::Number: return "a number";
    case JsonValue::Type::String: return "a string";
    case JsonValue::Type::Array: return "an array";
    case JsonValue::Type::Object: return "an object";
    }
    return "a value";
}
