#pragma once
// A reader for text files in the Windows INF syntax, enough for the tuner
// catalogue: sections, keyed and keyless lines, integer and string fields.
//
// Syntax accepted:
// - "[Name]" starts a section; a section named twice continues where it left
//   off, in file order. Lines before the first section are ignored.
// - "key = field, field, ..." or a line of fields without a key. Field 0 is the
//   key; a keyless line has an empty key and its values at 1..n. "key =" with
//   nothing after it has no values.
// - ";" starts a comment outside quotes. Quotes keep their content as it is
//   (commas, semicolons, white space); "" inside quotes is one quote. Unquoted
//   white space around a field is dropped.
// - A "\" that is the last thing on a line (white space or a comment may
//   follow) joins the next line to it; the next line's text continues the field.
// - A quote does not run past the end of its line: an unclosed one closes there.
// - "%name%" in a field is replaced by the value of the key name in the
//   [Strings] section when it is retrieved, inside quotes as well; "%%" is one
//   "%"; an unknown name stays as written. Values are inserted as written, not
//   substituted again. Keys are matched as written, without substitution.
// - Section names, keys and string names compare without regard to case.
// - CRLF or LF line ends, an optional UTF-8 byte order mark.
//
// The whole file is held in memory in compact form, about a dozen bytes per
// line and eight per field besides the text; a file larger than kMaxFileSize
// (a thousand times a real catalogue) is not accepted. Substitution works on one field at a time and
// stops at the length the caller can take.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class InfFile
{
public:
    static constexpr std::size_t kMaxFileSize = 4u * 1024u * 1024u;
    // The longest text a string field delivers, in characters (UTF-8 code points).
    static constexpr std::size_t kMaxStringField = 511;

    // A position in the file: a line of a section.
    struct Context
    {
        std::size_t section = 0;
        std::size_t line = 0;
    };

    InfFile() = default;
    InfFile(const InfFile&) = delete;
    InfFile& operator=(const InfFile&) = delete;

    // False when the file is missing, unreadable or too large.
    bool Open(const std::string& path);
    // Takes the text of a file that is already in memory.
    bool OpenText(const std::string& text);
    void Close();
    bool IsOpen() const { return m_bOpen; }

    // The first line of the section whose key is the given one.
    bool FindFirstLine(const std::string& section, const std::string& key, Context& line) const;
    // The first line of the section, whatever its key.
    bool FindFirstLine(const std::string& section, Context& line) const;
    // The line after the current one in the same section.
    bool FindNextLine(const Context& current, Context& next) const;

    // The number of values of the line (the key not counted).
    std::int32_t FieldCount(const Context& line) const;
    // Decimal with an optional sign, or hexadecimal after "0x" / "0X"; leading
    // zeros are decimal. False for a missing field, trailing characters, an
    // empty field or a value outside the signed 32-bit range.
    bool GetIntField(const Context& line, std::int32_t iIndex, std::int32_t& iValue) const;
    // False for a missing field or a text longer than kMaxStringField.
    bool GetStringField(const Context& line, std::int32_t iIndex, std::string& text) const;

private:
    struct Span
    {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    struct Line
    {
        std::uint32_t firstField = 0; // the key's span when bHasKey, else the first value's
        std::uint32_t valueCount = 0;
        bool bHasKey = false;
    };
    struct Section
    {
        std::string name;
        std::vector<std::uint32_t> lines;
    };

    void Parse(const std::string& text);
    const Line* LineAt(const Context& line) const;
    bool FieldSpan(const Context& line, std::int32_t iIndex, Span& span) const;
    bool Substitute(const Span& span, std::size_t maxChars, std::string& out) const;
    std::string_view View(const Span& span) const;
    const Section* FindSection(const std::string& name) const;

    bool m_bOpen = false;
    std::string m_text;         // every key and value, quotes resolved, back to back
    std::vector<Span> m_fields; // keys and values of all lines, in file order
    std::vector<Line> m_lines;
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::uint32_t> m_sectionIndex; // lower-case name -> section
    std::unordered_map<std::string, Span> m_strings;               // lower-case name -> value
};
