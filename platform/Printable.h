#pragma once
// Text from outside the program (file names, fields and keys of input files)
// as the tool prints it in its output and messages, and as the editors' import
// quotes it in its reasons.

#include <cstddef>
#include <string>
#include <string_view>

// Control characters and the backslash become C escapes (\n, \t, \x1b, \\),
// so that whatever a name holds it stays on its own line and
// cannot drive the terminal; other bytes are kept. Every file name the tool
// prints goes through here.
std::string PrintableText(std::string_view text);

// The same, and each byte that is not part of valid UTF-8 as \xNN: a file
// name shown where it must say exactly which bytes it holds.
std::string PrintableName(std::string_view text);

// The length of the well-formed UTF-8 sequence at the start of text (no
// overlong forms, surrogates or code points beyond U+10FFFF), 0 if none.
std::size_t Utf8SequenceLength(std::string_view text);

// A field or key for a message: PrintableText in double quotes. Text longer
// than kExcerptBytes is cut there (at a UTF-8 character boundary) and followed
// by its length, so that a runaway field of megabytes still gives a short
// one-line message.
constexpr std::size_t kExcerptBytes = 40;
std::string QuotedExcerpt(std::string_view text);
