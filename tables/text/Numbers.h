#pragma once
// Numbers as the tool and the table checks write them, and as the tool reads
// them: every double in the shortest text that reads back to the same bits, so
// that a listing, a JSON document or a finding says exactly what a file holds.

#include <cstdint>
#include <string>
#include <string_view>

// Finite values in the shortest form std::to_chars gives (55.25, 160, -0,
// 175.25999450683594). Infinities are "inf" and "-inf"; the quiet NaN that
// arithmetic and std::numeric_limits make is "nan", and every other NaN,
// whose sign and payload bits a file may hold, is "nan:" and the 16 lowercase
// hex digits of its bits, so that it too reads back unchanged.
std::string FormatDouble(double value);

// The reverse of FormatDouble, and any decimal number std::from_chars reads
// whole (an optional "-", digits, point, exponent). False for anything else,
// and for a value beyond the range of a double.
bool ParseDouble(std::string_view text, double& value);

// A decimal integer: an optional "-" and digits, nothing else.
bool ParseInteger(std::string_view text, std::int64_t& value);

// A channel's position in a plan or a CSV: digits only, nothing else. -1 for
// any other text (empty included), limit + 1 for a number above limit, so
// that a long run of digits cannot overflow.
std::int64_t ParsePosition(std::string_view text, std::int64_t limit);

// Lowercase hex digits of bytes in the order given ("0000ffff").
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);
// The magic's four bytes in quotes, the first byte lowest in dwMagic; bytes
// outside printable ASCII, the quote and the backslash as \xNN.
std::string QuotedMagic(std::uint32_t dwMagic);
// Exactly 2 * count hex digits of either case; false otherwise.
bool ParseHexBytes(std::string_view text, std::uint8_t* bytes, std::size_t count);
