#pragma once
// The string table and the version record.

#include "VornalixVersion.h"
#include "resource.h"

// Text of a string resource; an empty text when there is none.
const char* LoadResourceString(int id);

constexpr const char* kVersionText = VORNALIX_VERSION;
constexpr const char* kProductName = "Vornalix";
constexpr const char* kSingleInstanceName = "VornalixTuner";
