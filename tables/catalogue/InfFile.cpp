#include "tables/catalogue/InfFile.h"

#include <new>
#include <utility>

#include "platform/FileIO.h"
#include "platform/HexDigit.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The position just behind the line that holds pos.
std::size_t SkipLine(const std::string& text, std::size_t pos)
{
    const std::size_t eol = text.find('\n', pos);
    return eol == std::string::npos ? text.size() : eol + 1;
}

bool ParseInt(std::string_view s, std::int32_t& iValue)
{
    std::size_t i = 0;
    bool bNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        bNegative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (s.size() - i >= 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return false;
    const std::int64_t limit = bNegative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < s.size(); ++i) {
        const int digit = HexDigitValue(s[i]);
        if (digit < 0 || digit >= base)
            return false;
        value = value * base + digit;
        if (value > limit)
            return false;
    }
    iValue = static_cast<std::int32_t>(bNegative ? -value : value);
    return true;
}

bool IsLeadByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
}

} // namespace

bool InfFile::Open(const std::string& path)
{
    Close();
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path.c_str(), bytes, kMaxFileSize + 1) || bytes.size() > kMaxFileSize)
        return false;
    try {
        return OpenText(std::string(bytes.begin(), bytes.end()));
    } catch (const std::bad_alloc&) {
        Close();
        return false;
    }
}

bool InfFile::OpenText(const std::string& text)
{
    Close();
    if (text.size() > kMaxFileSize)
        return false;
    try {
        Parse(text);
    } catch (const std::bad_alloc&) {
        Close();
        return false;
    }
    m_bOpen = true;
    return true;
}

void InfFile::Close()
{
    m_bOpen = false;
    m_text.clear();
    m_text.shrink_to_fit();
    m_fields = {};
    m_lines = {};
    m_sections = {};
    m_sectionIndex = {};
    m_strings = {};
}

void InfFile::Parse(const std::string& text)
{
    const std::size_t n = text.size();
    std::size_t pos = 0;
    if (n >= 3 && static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB &&
        static_cast<unsigned char>(text[2]) == 0xBF)
        pos = 3;
    m_text.reserve(n - pos);

    bool bInSection = false;
    std::size_t current = 0;

    while (pos < n) {
        while (pos < n && IsBlank(text[pos]))
            ++pos;
        if (pos >= n)
            break;
        const char c = text[pos];
        if (c == '\n') {
            ++pos;
            continue;
        }
        if (c == ';') {
            pos = SkipLine(text, pos);
            continue;
        }
        if (c == '[') {
            std::size_t close = pos + 1;
            while (close < n && text[close] != ']' && text[close] != '\n')
                ++close;
            // A header without its closing bracket names nothing; the lines
            // after it stay with the section before.
            if (close < n && text[close] == ']') {
                const std::string_view name = Trim(std::string_view(text).substr(pos + 1, close - pos - 1));
                const auto inserted =
                    m_sectionIndex.emplace(Lower(name), static_cast<std::uint32_t>(m_sections.size()));
                if (inserted.second)
                    m_sections.push_back(Section{std::string(name), {}});
                current = inserted.first->second;
                bInSection = true;
            }
            pos = SkipLine(text, close);
            continue;
        }

        // One line of fields. Each field's text goes to the end of m_text;
        // "keep" marks how much of it survives the trimming of trailing blanks.
        const std::size_t fieldsBefore = m_fields.size();
        const std::size_t textBefore = m_text.size();
        Line line;
        line.firstField = static_cast<std::uint32_t>(fieldsBefore);
        bool bInQuotes = false;
        bool bSeenComma = false;
        bool bStarted = false;
        std::size_t fieldStart = m_text.size();
        std::size_t keep = 0;
        const auto finishField = [&]() {
            m_text.resize(fieldStart + keep);
            m_fields.push_back(Span{static_cast<std::uint32_t>(fieldStart), static_cast<std::uint32_t>(keep)});
            fieldStart = m_text.size();
            keep = 0;
        };

        while (pos < n) {
            const char ch = text[pos];
            if (bInQuotes) {
                if (ch == '"') {
                    if (pos + 1 < n && text[pos + 1] == '"') {
                        m_text += '"';
                        pos += 2;
                    } else {
                        bInQuotes = false;
                        ++pos;
                    }
                    keep = m_text.size() - fieldStart;
                    continue;
                }
                if (ch == '\n' || (ch == '\r' && pos + 1 < n && text[pos + 1] == '\n')) {
                    bInQuotes = false;
                    break;
                }
                m_text += ch;
                ++pos;
                keep = m_text.size() - fieldStart;
                continue;
            }
            if (ch == '\n' || ch == ';')
                break;
            if (ch == '"') {
                bInQuotes = true;
                bStarted = true;
                keep = m_text.size() - fieldStart;
                ++pos;
                continue;
            }
            if (ch == ',') {
                finishField();
                bStarted = false;
                bSeenComma = true;
                ++pos;
                continue;
            }
            if (ch == '=' && !bSeenComma && !line.bHasKey) {
                finishField();
                bStarted = false;
                line.bHasKey = true;
                ++pos;
                continue;
            }
            if (ch == '\\') {
                std::size_t j = pos + 1;
                while (j < n && IsBlank(text[j]))
                    ++j;
                if (j >= n || text[j] == '\n' || text[j] == ';') {
                    pos = SkipLine(text, j);
                    continue;
                }
            }
            if (IsBlank(ch)) {
                if (bStarted)
                    m_text += ch;
                ++pos;
                continue;
            }
            m_text += ch;
            bStarted = true;
            keep = m_text.size() - fieldStart;
            ++pos;
        }
        pos = SkipLine(text, pos);
        const bool bLastHasContent = bStarted;
        finishField();

        line.valueCount = static_cast<std::uint32_t>(m_fields.size() - fieldsBefore - (line.bHasKey ? 1 : 0));
        if (line.valueCount == 1 && !bLastHasContent && !bSeenComma) {
            // "key =" has no values; a line that turned out empty is no line.
            if (!line.bHasKey) {
                m_fields.resize(fieldsBefore);
                m_text.resize(textBefore);
                continue;
            }
            m_fields.pop_back();
            line.valueCount = 0;
        }
        if (!bInSection) {
            m_fields.resize(fieldsBefore);
            m_text.resize(textBefore);
            continue;
        }
        m_sections[current].lines.push_back(static_cast<std::uint32_t>(m_lines.size()));
        m_lines.push_back(line);
    }

    // The first definition of a name counts, as the first matching line
    // counts everywhere else.
    if (const Section* pStrings = FindSection("Strings")) {
        for (const std::uint32_t index : pStrings->lines) {
            const Line& l = m_lines[index];
            if (!l.bHasKey)
                continue;
            const Span value = l.valueCount > 0 ? m_fields[l.firstField + 1] : Span{};
            m_strings.emplace(Lower(View(m_fields[l.firstField])), value);
        }
    }
}

std::string_view InfFile::View(const Span& span) const
{
    return std::string_view(m_text).substr(span.offset, span.length);
}

const InfFile::Section* InfFile::FindSection(const std::string& name) const
{
    const auto found = m_sectionIndex.find(Lower(name));
    return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

bool InfFile::FindFirstLine(const std::string& section, const std::string& key, Context& line) const
{
    const Section* pSection = FindSection(section);
    if (!pSection)
        return false;
    for (std::size_t i = 0; i < pSection->lines.size(); ++i) {
        const Line& l = m_lines[pSection->lines[i]];
        if (l.bHasKey && EqualsNoCase(View(m_fields[l.firstField]), key)) {
            line.section = static_cast<std::size_t>(pSection - m_sections.data());
            line.line = i;
            return true;
        }
    }
    return false;
}

bool InfFile::FindFirstLine(const std::string& section, Context& line) const
{
    const Section* pSection = FindSection(section);
    if (!pSection || pSection->lines.empty())
        return false;
    line.section = static_cast<std::size_t>(pSection - m_sections.data());
    line.line = 0;
    return true;
}

bool InfFile::FindNextLine(const Context& current, Context& next) const
{
    if (current.section >= m_sections.size() || current.line + 1 >= m_sections[current.section].lines.size())
        return false;
    next.section = current.section;
    next.line = current.line + 1;
    return true;
}

const InfFile::Line* InfFile::LineAt(const Context& line) const
{
    if (line.section >= m_sections.size() || line.line >= m_sections[line.section].lines.size())
        return nullptr;
    return &m_lines[m_sections[line.section].lines[line.line]];
}

std::int32_t InfFile::FieldCount(const Context& line) const
{
    const Line* pLine = LineAt(line);
    return pLine ? static_cast<std::int32_t>(pLine->valueCount) : 0;
}

bool InfFile::FieldSpan(const Context& line, std::int32_t iIndex, Span& span) const
{
    const Line* pLine = LineAt(line);
    if (!pLine || iIndex < 0)
        return false;
    if (iIndex == 0) {
        span = pLine->bHasKey ? m_fields[pLine->firstField] : Span{};
        return true;
    }
    if (static_cast<std::uint32_t>(iIndex) > pLine->valueCount)
        return false;
    span = m_fields[pLine->firstField + (pLine->bHasKey ? 1u : 0u) + static_cast<std::uint32_t>(iIndex) - 1];
    return true;
}

bool InfFile::Substitute(const Span& span, std::size_t maxChars, std::string& out) const
{
    out.clear();
    std::size_t chars = 0;
    const auto append = [&](std::string_view piece) {
        for (const char c : piece) {
            if (IsLeadByte(c) && ++chars > maxChars)
                return false;
            out += c;
        }
        return true;
    };

    const std::string_view field = View(span);
    std::size_t i = 0;
    while (i < field.size()) {
        const std::size_t percent = field.find('%', i);
        if (!append(field.substr(i, percent == std::string_view::npos ? std::string_view::npos : percent - i)))
            return false;
        if (percent == std::string_view::npos)
            break;
        const std::size_t close = field.find('%', percent + 1);
        if (close == std::string_view::npos)
            return append(field.substr(percent));
        if (close == percent + 1) {
            if (!append("%"))
                return false;
        } else {
            const std::string_view name = field.substr(percent + 1, close - percent - 1);
            const auto found = m_strings.find(Lower(name));
            if (!append(found != m_strings.end() ? View(found->second) : field.substr(percent, close - percent + 1)))
                return false;
        }
        i = close + 1;
    }
    return true;
}

bool InfFile::GetIntField(const Context& line, std::int32_t iIndex, std::int32_t& iValue) const
{
    Span span;
    std::string text;
    if (!FieldSpan(line, iIndex, span) || !Substitute(span, kMaxStringField, text))
        return false;
    return ParseInt(text, iValue);
}

bool InfFile::GetStringField(const Context& line, std::int32_t iIndex, std::string& text) const
{
    Span span;
    std::string value;
    if (!FieldSpan(line, iIndex, span) || !Substitute(span, kMaxStringField, value))
        return false;
    text = std::move(value);
    return true;
}
