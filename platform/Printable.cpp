#include "platform/Printable.h"

namespace {

const char kDigits[] = "0123456789abcdef";

void AppendHexEscape(std::string& out, unsigned char u)
{
    out += "\\x";
    out += kDigits[u >> 4];
    out += kDigits[u & 0xF];
}

void AppendPrintable(std::string& out, char c)
{
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
        if (u < 0x20 || u == 0x7F)
            AppendHexEscape(out, u);
        else
            out += c;
    }
}

} // namespace

// The length of the well-formed UTF-8 sequence at the start of text (no
// overlong forms, surrogates or code points beyond U+10FFFF), 0 if none.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

std::string PrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        AppendPrintable(out, c);
    return out;
}

std::string PrintableName(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            AppendHexEscape(out, static_cast<unsigned char>(text.front()));
            text.remove_prefix(1);
        } else if (length == 1) {
            AppendPrintable(out, text.front());
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

std::string QuotedExcerpt(std::string_view text)
{
    if (text.size() <= kExcerptBytes)
        return "\"" + PrintableText(text) + "\"";
    std::size_t cut = kExcerptBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return "\"" + PrintableText(text.substr(0, cut)) + "\"... (" + std::to_string(text.size()) + " bytes)";
}
