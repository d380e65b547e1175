#pragma once
// What assistive technologies read where the screen alone says too little:
// the names of windows whose titles are alike, controls whose label only
// makes sense beside a frame or a column, and the words a list cell is read
// as. Data only, beside the dialog templates they belong to.

// The name a screen reader gives a dialog's window; its title on screen is
// the template's. nullptr for a dialog whose title says enough.
const char* AccessibleWindowName(int dialogId);

// A control's name where the label beside it, read alone, says too little.
struct FixedAccessibleName
{
    int dialogId;
    int controlId;
    const char* name;
};
extern const FixedAccessibleName kFixedAccessibleNames[];
extern const int kFixedAccessibleNameCount;

// A channel list's empty slot, shown as "--".
constexpr const char* kSpokenEmptySlot = "empty";
// The unit after a spoken frequency, "55.25 MHz".
constexpr const char* kSpokenFrequencyUnit = "MHz";
