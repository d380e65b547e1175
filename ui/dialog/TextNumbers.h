#pragma once
// Numbers typed by the person into the editors' edit boxes, read by the rules
// of TypedNumbers.h: a plain decimal number from the front of the text, 0 when
// there is none, the decimal point "." under any desktop locale.

#include <cstdint>

#include <QString>

double TextToDouble(const QString& text);
// A channel's frequency as the Frequency field shows it ("55.25000"), and a
// cell opens with it; empty for an empty slot (not above 0).
QString FrequencyFieldText(double dbFrequency);
// The same in a row of the channel list, "--" for an empty slot.
QString ListFrequencyText(double dbFrequency);

// Values beyond the range of a signed 32-bit number are clamped to its ends,
// as a 32-bit atol clamps them.
std::int32_t TextToLong(const QString& text);
