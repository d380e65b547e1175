#pragma once
// The string table and the version record.

#include "resource.h"

// Text of a string resource; an empty text when there is none.
const char* LoadResourceString(int id);

constexpr const char* kVersionText = "1.1.6.0";
constexpr int kVersionNumbers[4] = {1, 1, 6, 0};
constexpr const char* kVersionComma = "1, 1, 6, 0";
constexpr const char* kProductName = "Vornalix";
constexpr const char* kInternalName = "Vornalix";
constexpr const char* kSingleInstanceName = "VornalixTuner";
