#pragma once
// A tuner entry by its codes and band edges, for tests and pictures that need
// a tuner of a given reach; every other field is as a new entry has it.

#include <cstdint>

#include "tables/format/TunerSpecEntry.h"

inline TunerSpecEntry TunerEntryWithEdges(std::int32_t iFactory, std::int32_t iType, double low, double mid,
                                          double high, double end)
{
    TunerSpecEntry entry;
    entry.SetFactory(iFactory);
    entry.SetTunerType(iType);
    entry.SetLowBandStart(low);
    entry.SetMidBandStart(mid);
    entry.SetHighBandStart(high);
    entry.SetHighBandEnd(end);
    return entry;
}
