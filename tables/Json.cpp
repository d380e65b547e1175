#include "Json.h"

#include <cmath>

#include "Numbers.h"
#include "Printable.h"

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

class Parser
{
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    bool ParseDocument(JsonValue& value)
    {
        SkipSpace();
        if (!ParseValue(value, 0))
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

    bool Literal(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word)
            return Fail("unexpected character");
        m_pos += word.size();
        return true;
    }

    bool ParseValue(JsonValue& value, int depth)
    {
        if (AtEnd())
            return Fail("unexpected end of the document");
        value.offset = m_pos;
        switch (Peek()) {
        case '{': return ParseObject(value, depth);
        case '[': return ParseArray(value, depth);
        case '"': value.type = JsonValue::Type::String; return ParseString(value.text);
        case 't':
            value.type = JsonValue::Type::Bool;
            value.boolean = true;
            return Literal("true");
        case 'f':
            value.type = JsonValue::Type::Bool;
            value.boolean = false;
            return Literal("false");
        case 'n': value.type = JsonValue::Type::Null; return Literal("null");
        default: return ParseNumber(value);
        }
    }

    bool ParseObject(JsonValue& value, int depth)
    {
        if (depth >= kMaxDepth)
            return Fail("nested too deeply");
        value.type = JsonValue::Type::Object;
        ++m_pos;
        SkipSpace();
        if (!AtEnd() && Peek() == '}') {
            ++m_pos;
            return true;
        }
        for (;;) {
            SkipSpace();
            if (AtEnd() || Peek() != '"')
                return Fail("expected a key in double quotes");
            const std::size_t keyPos = m_pos;
            std::string key;
            if (!ParseString(key))
                return false;
            if (value.Find(key)) {
                m_pos = keyPos;
                return Fail("duplicate key " + QuotedExcerpt(key));
            }
            SkipSpace();
            if (AtEnd() || Peek() != ':')
                return Fail("expected ':'");
            ++m_pos;
            SkipSpace();
            value.members.emplace_back(std::move(key), JsonValue());
            if (!ParseValue(value.members.back().second, depth + 1))
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
                return true;
            }
            return Fail("expected ',' or '}'");
        }
    }

    bool ParseArray(JsonValue& value, int depth)
    {
        if (depth >= kMaxDepth)
            return Fail("nested too deeply");
        value.type = JsonValue::Type::Array;
        ++m_pos;
        SkipSpace();
        if (!AtEnd() && Peek() == ']') {
            ++m_pos;
            return true;
        }
        for (;;) {
            SkipSpace();
            value.items.emplace_back();
            if (!ParseValue(value.items.back(), depth + 1))
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
                return true;
            }
            return Fail("expected ',' or ']'");
        }
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

    bool ParseString(std::string& out)
    {
        ++m_pos; // the opening quote
        out.clear();
        for (;;) {
            if (AtEnd())
                return Fail("unterminated string");
            const char c = Peek();
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

    bool ParseNumber(JsonValue& value)
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
        value.type = JsonValue::Type::Number;
        value.text = std::string(m_text.substr(start, m_pos - start));
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    JsonParseError m_error;
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

bool ParseJson(std::string_view text, JsonValue& value, JsonParseError& error)
{
    Parser parser(text);
    value = JsonValue();
    if (parser.ParseDocument(value))
        return true;
    error = parser.Error();
    return false;
}

bool ParseJson(std::string_view text, JsonValue& value, std::string& error)
{
    JsonParseError parseError;
    if (ParseJson(text, value, parseError))
        return true;
    error = "line " + std::to_string(parseError.where.line) + ", column " + std::to_string(parseError.where.column) +
            ": " + parseError.reason;
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
