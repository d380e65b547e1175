#pragma once
// The frequencies a tuner entry can plausibly hold. An entry outside them may
// still be what someone meant, so the table check warns of it rather than
// calling it an error; most often a value was typed in kHz, as a channel
// number, or into the wrong field. Where the limits come from: README.md,
// "Plausible tuner entries".

struct FrequencyRange
{
    double dbLow; // MHz, itself inside
    double dbHigh;

    bool Holds(double dbMhz) const { return dbMhz >= dbLow && dbMhz <= dbHigh; }
};

// The band edges: the analog TV tuning range. The shipped tuners
// (data/tuners.csv) start at 44 to 57 MHz and end at 803 to 958 MHz; TV
// channels lie from band I (41 to 68 MHz) to the end of UHF (862 MHz in
// Europe, 890 MHz in the Americas' old plan). A little room on either side.
constexpr FrequencyRange kTunerBandRange{40.0, 1000.0};

// The picture carriers: the intermediate-frequency range. The shipped tuners'
// carriers are 38.0 to 58.75 MHz; the standard ones run from 33.95 MHz
// (SECAM L') to 58.75 MHz (Japan).
constexpr FrequencyRange kPictureCarrierRange{32.0, 60.0};
