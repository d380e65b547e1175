#include "platform/ActivationMessage.h"

#include <optional>

#include "platform/HexDigit.h"
#include "platform/Printable.h"

namespace {

constexpr std::string_view kActivateLine = "activate";
constexpr std::string_view kOpenPrefix = "open ";
constexpr std::string_view kEndLine = "end";

// Bytes a request line may hold as they are; every other byte is escaped.
bool IsPlain(unsigned char c)
{
    return c > 0x20 && c < 0x7F && c != '%';
}

bool IsValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

std::string PercentEncoded(std::string_view bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsPlain(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

// The bytes an encoded path stands for; nothing for a byte that should have
// been escaped or an escape that is not two hex digits.
std::optional<std::string> PercentDecoded(std::string_view encoded)
{
    std::string bytes;
    bytes.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const auto c = static_cast<unsigned char>(encoded[i]);
        if (c != '%') {
            if (!IsPlain(c))
                return std::nullopt;
            bytes += encoded[i];
            continue;
        }
        if (encoded.size() - i < 3)
            return std::nullopt;
        const int high = HexDigitValue(encoded[i + 1]);
        const int low = HexDigitValue(encoded[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return bytes;
}

std::string OpenLine(std::string_view path)
{
    return std::string(kOpenPrefix) + PercentEncoded(path) + '\n';
}

} // namespace

bool IsSendablePath(std::string_view path)
{
    return !path.empty() && path.front() == '/' && path.size() <= activation::kMaxPathBytes &&
           path.find('\0') == std::string_view::npos && IsValidUtf8(path);
}

std::string ActivationRequest(const std::vector<std::string>& paths)
{
    std::string request = std::string(kActivateLine) + '\n';
    const std::string end = std::string(kEndLine) + '\n';
    std::size_t count = 0;
    for (const std::string& path : paths) {
        if (count == activation::kMaxPaths)
            break;
        if (!IsSendablePath(path))
            continue;
        const std::string line = OpenLine(path);
        if (request.size() + line.size() + end.size() > activation::kMaxRequestBytes)
            break;
        request += line;
        ++count;
    }
    if (count > 0)
        request += end;
    return request;
}

void ActivationRequestReader::Take(std::string_view bytes)
{
    while (m_state == State::Reading && !bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        const std::size_t length = newline == std::string_view::npos ? bytes.size() : newline + 1;
        if (length > activation::kMaxRequestBytes - m_taken) {
            Refuse();
            return;
        }
        m_taken += length;
        if (newline == std::string_view::npos) {
            m_line.append(bytes);
            return;
        }
        m_line.append(bytes.substr(0, newline));
        bytes.remove_prefix(length);
        std::string line;
        line.swap(m_line);
        TakeLine(line);
    }
}

void ActivationRequestReader::End()
{
    if (m_state != State::Reading)
        return;
    // A request without files is whole after its first line; anything else
    // cut off by the end of the stream is not a request.
    if (m_bActivated && m_paths.empty() && m_line.empty())
        m_state = State::Finished;
    else
        Refuse();
}

void ActivationRequestReader::TakeLine(std::string_view line)
{
    if (!m_bActivated) {
        if (line != kActivateLine) {
            Refuse();
            return;
        }
        m_bActivated = true;
        return;
    }
    if (line == kEndLine) {
        m_state = State::Finished;
        return;
    }
    if (line.substr(0, kOpenPrefix.size()) != kOpenPrefix || m_paths.size() == activation::kMaxPaths) {
        Refuse();
        return;
    }
    std::optional<std::string> path = PercentDecoded(line.substr(kOpenPrefix.size()));
    if (!path || !IsSendablePath(*path)) {
        Refuse();
        return;
    }
    m_paths.push_back(std::move(*path));
}

void ActivationRequestReader::Refuse()
{
    m_state = State::Refused;
    m_paths.clear();
    m_line.clear();
}
