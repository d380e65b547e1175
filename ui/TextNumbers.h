#pragma once
// Numbers typed by the person, read exactly as the C library's atof and atol
// read them: leading white space, an optional sign, as many characters as form
// a number, and 0 when the text does not begin with one. The reading is done in
// the "C" locale whatever locale the program runs in, so "55.25" is 55.25 on a
// desktop whose decimal separator is a comma.

#include <cstdint>

#include <QString>

double TextToDouble(const QString& text);

// Values beyond the range of a signed 32-bit number are clamped to its ends,
// as a 32-bit atol clamps them.
std::int32_t TextToLong(const QString& text);
