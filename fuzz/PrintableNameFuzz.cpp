// File names as messages, titles and the status line show them: whatever
// bytes a name holds, what is shown is valid UTF-8 without control
// characters, and undoing its escapes gives the name's bytes back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Printable.h"

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The bytes before escaping; aborts on an escape PrintableName never writes.
std::string Unescaped(std::string_view shown)
{
    std::string bytes;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '\\') {
            bytes += shown[i];
            continue;
        }
        if (++i == shown.size())
            std::abort();
        switch (shown[i]) {
        case '\\': bytes += '\\'; break;
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        case 'x': {
            if (i + 2 >= shown.size())
                std::abort();
            const int high = HexDigit(shown[i + 1]);
            const int low = HexDigit(shown[i + 2]);
            if (high < 0 || low < 0)
                std::abort();
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: std::abort();
        }
    }
    return bytes;
}

bool IsShowable(std::string_view shown)
{
    for (const char c : shown) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return false;
    }
    // Escaping it again changes nothing but its backslashes: it is valid UTF-8.
    std::string backslashesDoubled;
    for (const char c : shown)
        backslashesDoubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return PrintableName(shown) == backslashesDoubled;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::string shown = PrintableName(name);
    if (!IsShowable(shown) || Unescaped(shown) != name)
        std::abort();
    return 0;
}
