#include "Printable.h"

std::string PrintableText(std::string_view text)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20 || u == 0x7F) {
                out += "\\x";
                out += kDigits[u >> 4];
                out += kDigits[u & 0xF];
            } else {
                out += c;
            }
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
