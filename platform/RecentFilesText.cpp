#include "platform/RecentFilesText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::string_view kBlanks = " \t\v\f";
constexpr std::string_view kEmptyList = "@Invalid()";

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lowerCase)
{
    if (text.size() != lowerCase.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != lowerCase[i])
            return false;
    }
    return true;
}

// A key QSettings writes as it is: letters, digits, '-', '_' and '.'. Others
// it escapes, and the program has none.
bool IsPlainKey(std::string_view key)
{
    if (key.empty())
        return false;
    for (const char c : key) {
        const bool bPlain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                            c == '_' || c == '.';
        if (!bPlain)
            return false;
    }
    return true;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

bool IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// A UTF-16 code unit that an escape gave, in UTF-8; half a surrogate pair
// stands for nothing in a path and becomes U+FFFD.
void AppendCodeUnit(std::string& out, unsigned unit)
{
    if (unit >= 0xD800 && unit <= 0xDFFF)
        unit = 0xFFFD;
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

// The escape after a backslash, value[i] being its first character. As in
// QSettings: \xHH... and \ooo... take every digit that follows (the value kept
// to 16 bits), and an unknown escape stands for nothing.
void AppendEscape(std::string_view value, std::size_t& i, std::string& out)
{
    const char c = value[i++];
    switch (c) {
    case 'a': out += '\a'; return;
    case 'b': out += '\b'; return;
    case 'f': out += '\f'; return;
    case 'n': out += '\n'; return;
    case 'r': out += '\r'; return;
    case 't': out += '\t'; return;
    case 'v': out += '\v'; return;
    case '"':
    case '?':
    case '\'':
    case '\\': out += c; return;
    default: break;
    }
    if (c == 'x') {
        if (i == value.size() || !IsHexDigit(value[i]))
            return;
        unsigned unit = 0;
        while (i < value.size() && IsHexDigit(value[i]))
            unit = ((unit << 4) | HexValue(value[i++])) & 0xFFFF;
        AppendCodeUnit(out, unit);
    } else if (IsOctalDigit(c)) {
        unsigned unit = static_cast<unsigned>(c - '0');
        while (i < value.size() && IsOctalDigit(value[i]))
            unit = ((unit << 3) | static_cast<unsigned>(value[i++] - '0')) & 0xFFFF;
        AppendCodeUnit(out, unit);
    }
}

// Trailing blanks of an unquoted item go, but not those an escape or a quote
// put there: QSettings keeps the text up to keepUpTo.
void ChopTrailingBlanks(std::string& item, std::size_t keepUpTo)
{
    while (item.size() > keepUpTo && (item.back() == ' ' || item.back() == '\t'))
        item.pop_back();
}

// The items of a value: split at commas outside quotes, blanks around an
// unquoted item dropped, escapes taken.
std::vector<std::string> ValueItems(std::string_view value)
{
    std::vector<std::string> items;
    std::string item;
    bool bInQuotes = false;
    bool bQuoted = false;
    std::size_t keepUpTo = 0;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
            ++i;
        keepUpTo = item.size();
    };
    skipBlanks();
    while (i < value.size()) {
        const char c = value[i];
        if (c == '\\') {
            if (++i == value.size())
                break;
            AppendEscape(value, i, item);
            keepUpTo = item.size();
        } else if (c == '"') {
            ++i;
            bQuoted = true;
            bInQuotes = !bInQuotes;
            if (!bInQuotes)
                skipBlanks();
        } else if (c == ';' && !bInQuotes) {
            break; // a comment runs to the end of the line
        } else if (c == ',' && !bInQuotes) {
            if (!bQuoted)
                ChopTrailingBlanks(item, keepUpTo);
            items.push_back(std::move(item));
            item.clear();
            bQuoted = false;
            ++i;
            skipBlanks();
        } else {
            std::size_t end = i + 1;
            while (end < value.size() && value[end] != '\\' && value[end] != '"' && value[end] != ',' &&
                   value[end] != ';')
                ++end;
            item.append(value.substr(i, end - i));
            i = end;
        }
    }
    if (!bQuoted)
        ChopTrailingBlanks(item, keepUpTo);
    items.push_back(std::move(item));
    return items;
}

// The files of a value: "@@..." is a file whose name begins with '@'; any
// other item beginning with '@' is no file ("@Invalid()", the empty list).
std::vector<std::string> FilesOf(std::string_view value)
{
    std::vector<std::string> files;
    for (std::string& item : ValueItems(value)) {
        if (item.compare(0, 2, "@@") == 0)
            files.push_back(item.substr(1));
        else if (item.empty() || item.front() != '@')
            files.push_back(std::move(item));
    }
    return files;
}

void AppendHex(std::string& out, unsigned char c)
{
    static const char kDigits[] = "0123456789abcdef";
    if (c >= 0x10)
        out += kDigits[c >> 4];
    out += kDigits[c & 0xF];
}

// One file as QSettings writes a string of a list, so that it reads it back the same.
void AppendFile(std::string& out, const std::string& file)
{
    const std::size_t start = out.size();
    bool bNeedsQuotes = false;
    // After \0 or \xHH a hex digit would continue the escape: it is escaped too.
    bool bEscapeHexDigit = false;
    if (!file.empty() && file.front() == '@')
        out += '@';
    for (const char c : file) {
        if (c == ';' || c == ',' || c == '=')
            bNeedsQuotes = true;
        const auto byte = static_cast<unsigned char>(c);
        if (bEscapeHexDigit && IsHexDigit(c)) {
            out += "\\x";
            AppendHex(out, byte);
            continue;
        }
        bEscapeHexDigit = false;
        switch (c) {
        case '\0':
            out += "\\0";
            bEscapeHexDigit = true;
            break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (byte <= 0x1F) {
                out += "\\x";
                AppendHex(out, byte);
                bEscapeHexDigit = true;
            } else {
                out += c;
            }
        }
    }
    if (bNeedsQuotes || (out.size() > start && (out[start] == ' ' || out.back() == ' '))) {
        out.insert(start, 1, '"');
        out += '"';
    }
}

// The lines of a text, ended by "\n", "\r" or both. memchr finds each kind
// of end, and each is looked for again only once passed, so that a text of
// either kind alone is split in one pass.
class Lines
{
public:
    explicit Lines(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        const std::size_t end = std::min(NextOf('\n', m_newline), NextOf('\r', m_return));
        line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        return true;
    }

private:
    // The first c at or after the position, kept in found until passed.
    std::size_t NextOf(char c, std::size_t& found) const
    {
        if (found < m_pos || found == kNotLooked) {
            const void* pFound = std::memchr(m_text.data() + m_pos, c, m_text.size() - m_pos);
            found = pFound ? static_cast<std::size_t>(static_cast<const char*>(pFound) - m_text.data()) : m_text.size();
        }
        return found;
    }

    static constexpr std::size_t kNotLooked = static_cast<std::size_t>(-1);
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_newline = kNotLooked;
    std::size_t m_return = kNotLooked;
};

// Hands each key of the [General] section with its value, in the order of the
// text, to visit; the values are left as they are written.
template <typename Visit> void ForEachGeneralValue(std::string_view text, Visit visit)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool bGeneral = true;
    Lines lines(text);
    for (std::string_view line; lines.Next(line);) {
        line = Trimmed(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = std::min(line.find(']'), line.size());
            bGeneral = EqualsIgnoringCase(Trimmed(line.substr(1, close - 1)), "general");
            continue;
        }
        if (!bGeneral)
            continue;
        // QSettings splits a line at its first '=' outside quotes, with an
        // unquoted ';' beginning a comment; before a plain key there is no
        // quote or ';' to tell these apart.
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        if (IsPlainKey(key))
            visit(key, line.substr(equals + 1));
    }
}

} // namespace

RecentFileLists ReadRecentFileLists(std::string_view text)
{
    RecentFileLists lists;
    ForEachGeneralValue(
        text, [&lists](std::string_view key, std::string_view value) { lists[std::string(key)] = FilesOf(value); });
    return lists;
}

std::vector<std::string> ReadRecentFileList(std::string_view text, std::string_view key)
{
    std::string_view lastValue;
    bool bFound = false;
    ForEachGeneralValue(text, [&](std::string_view lineKey, std::string_view value) {
        if (lineKey == key) {
            lastValue = value;
            bFound = true;
        }
    });
    return bFound ? FilesOf(lastValue) : std::vector<std::string>();
}

std::string RecentFileListsText(const RecentFileLists& lists)
{
    std::string text = "[General]\n";
    for (const auto& [key, files] : lists) {
        text += key;
        text += '=';
        if (files.empty())
            text += kEmptyList;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (i > 0)
                text += ", ";
            AppendFile(text, files[i]);
        }
        text += '\n';
    }
    return text;
}
