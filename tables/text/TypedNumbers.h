#pragma once
// Numbers as a person types them into the editors.
//
// A decimal number is read from the front of the text: leading white space,
// an optional sign, digits with an optional decimal point (at least one digit
// on either side of it), and an optional exponent ("e" or "E", an optional
// sign, digits). Reading ends at the first character that does not fit, so
// "55.25MHz" is 55.25 and "55,25" is 55. Text that does not begin with such a
// number reads as 0, and so do the forms a C library would also take but a
// person never means as a frequency: hexadecimal ("0x10" is 0), "inf" and
// "nan". A number too large for a double ("1e400") would be infinite and
// reads as 0 too. The decimal point is always ".", whatever the locale.

#include <cstdint>
#include <string_view>

double ReadTypedDecimal(std::string_view text);

// A decimal integer: leading white space, an optional sign and digits, read up
// to the first other character; 0 when the text does not begin with one.
// Values beyond a signed 32-bit number are clamped to its ends.
std::int32_t ReadTypedInteger(std::string_view text);
