#pragma once
// Frequencies on a raster of whole kHz. A list converted from an old table
// holds its 32-bit floats exactly (543.3 there is 543.2999877929688), and the
// table check warns of a frequency that is not a whole number of kHz; the
// channel editor rounds chosen frequencies to a step of 1, 50 or 250 kHz.
//
// A frequency in MHz is a whole number of kHz when it is the double nearest
// to k / 1000 for a whole k: what "543.3" reads as. Rounding works on the
// value's kHz, taken as its decimal says where the double stands for a whole
// or a half number of kHz, so that a tie is the tie its decimal shows
// (55.025 MHz to 50 kHz is 55.05, 55.0005 MHz to 1 kHz is 55.001, ties away
// from zero) and a value already on the step comes back with the same bits.

#include <cstdint>
#include <vector>

enum class FrequencyStep : std::int32_t
{
    Kilohertz1 = 1,
    Kilohertz50 = 50,
    Kilohertz250 = 250,
};

// Whether the check judges the value at all: finite, not 0 (an empty slot)
// and below 2^53 kHz (9e12 MHz), past which a double's kHz are not exact.
bool HasKilohertzRaster(double dbFrequency);

// Whether a value the check judges is a whole number of kHz; true for any
// value it does not judge.
bool IsWholeKilohertz(double dbFrequency);

// The nearest whole number of kHz, in MHz, ties away from zero (0 and not -0
// for a value that rounds to none): 543.2999877929688 is near 543.3.
double NearestWholeKilohertz(double dbFrequency);

// The value rounded to the nearest multiple of the step, ties away from zero.
// A value the check does not judge stays as it is, and so does one that
// would round to 0: rounding never makes a channel an empty slot.
double RoundedToStep(double dbFrequency, FrequencyStep step);

// The chosen channels' frequencies rounded to the step, in the order of the
// channels (1-based, each one within frequencies), for a command that puts
// them back as one step. Linear in the channels chosen.
std::vector<double> RoundedFrequencies(const std::vector<double>& frequencies,
                                       const std::vector<std::int32_t>& channels, FrequencyStep step);
