#pragma once
// Compact JSON as vornalix-tool and the editors' export write it (keys in the
// order written, no white space, one document per line) and a strict reader
// for the documents tables are built from.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class JsonWriter
{
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);

    // UTF-8 text; a byte that is not part of valid UTF-8 becomes U+FFFD.
    JsonWriter& String(std::string_view text);
    // Each byte one character of the same code (U+0000 to U+00FF): a file's
    // magic, whatever bytes it holds.
    JsonWriter& ByteString(const std::uint8_t* bytes, std::size_t count);
    JsonWriter& Integer(std::int64_t value);
    // A finite value as a number in FormatDouble's shortest form; infinities
    // and NaNs, which JSON numbers cannot hold, as FormatDouble's strings.
    JsonWriter& Double(double value);
    JsonWriter& Null();

    const std::string& Text() const { return m_text; }

private:
    void BeforeValue();
    void Quoted(std::string_view escapedContent);

    std::string m_text;
    std::vector<bool> m_bEmpty; // per open container: nothing written in it yet
    bool m_bAfterKey = false;
};

// Appends s to out with JSON's escapes for the quote, the backslash and the
// control characters; other bytes are copied.
void AppendJsonEscaped(std::string& out, std::string_view s);

class JsonValue
{
public:
    enum class Type
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object,
    };

    Type type = Type::Null;
    bool boolean = false;
    // Where the value begins in the text it was read from (a byte offset), so
    // that a reader of the document can say where a value it refuses stands.
    std::size_t offset = 0;
    // A number's text exactly as written (read it with ParseDouble or
    // ParseInteger), or a string's content in UTF-8.
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members; // in document order

    const JsonValue* Find(std::string_view key) const;
};

// A place in a text: line and column from 1, the column counted in bytes.
struct JsonTextPosition
{
    std::size_t line = 1;
    std::size_t column = 1;
};
JsonTextPosition JsonPositionOf(std::string_view text, std::size_t offset);

struct JsonParseError
{
    JsonTextPosition where;
    std::string reason; // "unexpected character"

    // "line 3, column 14: unexpected character"
    std::string Text() const;
};

// Receives a document as ReadJson reads it, value by value in document order,
// so that a reader keeps only what it needs: a document of millions of values
// then costs what the reader keeps, not a JsonValue for each.
class JsonHandler
{
public:
    virtual ~JsonHandler() = default;
    // offset: where the value begins in the text, as JsonValue::offset.
    virtual void BeginObject(std::size_t offset) = 0;
    // The key of the member whose value comes next, in UTF-8.
    virtual void Key(std::string_view key) = 0;
    virtual void EndObject() = 0;
    virtual void BeginArray(std::size_t offset) = 0;
    virtual void EndArray() = 0;
    // Null, Bool, Number or String: a number's text exactly as written, a
    // string's content in UTF-8, or "true", "false", "null".
    virtual void Scalar(JsonValue::Type type, std::string_view text, std::size_t offset) = 0;
};

// Work the reader did, to show that it follows the length of the text.
struct JsonReadCounts
{
    // Comparisons of a key with another key of its object, in the check for
    // duplicates: a few per key, however many keys an object holds.
    std::size_t keyComparisons = 0;
};

// The whole text must be one JSON value, with white space around it at most.
// Duplicate keys in an object and strings that are not valid UTF-8 are
// refused. Time and memory follow the length of the text (the check for
// duplicate keys hashes the keys of large objects). The handler is told of
// everything before a fault, which ends the reading; texts of 4 GiB and more
// are refused.
bool ReadJson(std::string_view text, JsonHandler& handler, JsonParseError& error, JsonReadCounts* pCounts = nullptr);

// The same, kept whole as a JsonValue. On failure, error says where
// ("line 3, column 14: ...").
bool ParseJson(std::string_view text, JsonValue& value, std::string& error);
bool ParseJson(std::string_view text, JsonValue& value, JsonParseError& error);

// The reverse of JsonWriter::ByteString: false when a character is above U+00FF.
bool BytesFromJsonString(std::string_view utf8, std::vector<std::uint8_t>& bytes);

// The name of a value's type for messages ("a string", "an object").
const char* JsonTypeName(JsonValue::Type type);
