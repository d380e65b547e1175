#pragma once
// A tuner entry as a person would type it into the tuner editor, valid in
// every field, for tests of the tuner document and of the dialogs over it.

#include <cstdint>

#include "edit/TunerTableDocument.h"

inline TunerInput ValidTunerInput(std::int32_t iFactory, std::int32_t iType)
{
    TunerInput in;
    in.iFactory = iFactory;
    in.iTunerType = iType;
    in.lowBandStart = "44";
    in.midBandStart = "160";
    in.highBandStart = "454";
    in.highBandEnd = "863";
    in.lowCode = "00A1";
    in.midCode = "0092";
    in.highCode = "0034";
    in.pictureCarrier = "45.75";
    in.pictureCarrier2 = "";
    return in;
}
