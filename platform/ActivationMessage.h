#pragma once
// What a second start says to the running instance, as lines of printable
// ASCII:
//
//     activate            a second start (all a start without files says)
//     open /abs/path      a file to open, the path's bytes percent-encoded
//     end                 the files are complete
//
// The running instance comes to the front for a whole request that names
// files, and stays as it is for the first line alone: a start without files
// leaves it unaffected. An older instance raises its window for the first
// line and ignores the rest.
//
// The peer is not trusted: a request is bounded in bytes and files, every
// path must be absolute, valid UTF-8 without NUL, and one bad line refuses
// the files of the whole request. Plain C++, no Qt.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace activation {

// Files one request may name.
constexpr std::size_t kMaxPaths = 16;
// The longest path: the system's PATH_MAX less its terminating NUL.
constexpr std::size_t kMaxPathBytes = 4095;
// A whole request, every line counted.
constexpr std::size_t kMaxRequestBytes = 64 * 1024;

} // namespace activation

// True for a path a request may carry: absolute, valid UTF-8, no NUL, no
// longer than kMaxPathBytes.
bool IsSendablePath(std::string_view path);

// The request for these files, in their order. Paths that may not be sent
// are left out, and so are those past kMaxPaths or past what fits into
// kMaxRequestBytes; without files it is the "activate" line alone.
std::string ActivationRequest(const std::vector<std::string>& paths);

// Reads a request as its bytes arrive, one line at a time, in time and memory
// linear in the bytes taken.
class ActivationRequestReader
{
public:
    enum class State
    {
        Reading,  // more is to come
        Finished, // a whole request: Paths() holds its files, if any
        Refused,  // not a request, or a malformed one: no files
    };

    // Takes the next bytes of the stream; nothing once it is no longer Reading.
    void Take(std::string_view bytes);
    // The stream ended: a request without files may end so, one with files
    // must have said "end".
    void End();

    State Status() const { return m_state; }
    // The first line asked to come to the front (it stays so even when a later
    // line refuses the files).
    bool Activated() const { return m_bActivated; }
    const std::vector<std::string>& Paths() const { return m_paths; }

private:
    void TakeLine(std::string_view line);
    void Refuse();

    State m_state = State::Reading;
    bool m_bActivated = false;
    std::size_t m_taken = 0;
    std::string m_line; // the part of a line taken so far
    std::vector<std::string> m_paths;
};
