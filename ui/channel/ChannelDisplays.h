#pragma once
// The channel editor's displays as texts: the mode as the Mode display words
// it, everything the displays can show at their widest (which sizes them),
// and the list shown as the status line sums it up from the same displays.

#include <cstdint>
#include <optional>

#include <QString>

#include "ui/dialog/DialogLayout.h"

class ChannelTableDocument;

// "Antenna", "Cable", or "Unknow" for any other mode.
QString ModeText(std::int32_t iMode);

DisplayTexts ChannelDisplayTexts();

// As the Mode, Min and Max displays give it: "Antenna: 69 channels, 1–69";
// nothing in a mode of no list.
std::optional<QString> ListSummaryText(const ChannelTableDocument& document);
