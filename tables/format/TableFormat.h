#pragma once
// The facts of the table file formats that more than one reader, writer or
// front end needs, written once: the marker, magics and end mark, the kinds of
// table file and how a file's kind is told.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileIO.h"

// Both new formats begin with this 16-bit marker, a 16-bit zero and a magic.
constexpr std::uint16_t kTableMarker = 0xCB00;
constexpr char kChannelTableMagic[5] = "CHFQ";
constexpr char kTunerTableMagic[5] = "TNSP";
// The 4-byte end mark of both new formats (between the channel lists, after the tuner records).
constexpr std::uint8_t kTableEndMark[4] = {0x00, 0x00, 0xFF, 0xFF};

enum class TableKind
{
    Channel, // .ccf, CHFQ
    Legacy,  // .cft
    Tuner,   // .tsf, TNSP
};

// "ccf", "cft" or "tsf".
const char* TableKindName(TableKind kind);
// The kind an extension (without the dot, any case) names; none for anything else.
std::optional<TableKind> TableKindFromName(const std::string& name);
// The kind the file name's extension names, in any case; none otherwise.
std::optional<TableKind> TableKindFromPath(const std::string& path);
// The kind the first bytes of a file show by their magic at offset 4; the old
// format has none, so only channel and tuner tables are told this way.
std::optional<TableKind> TableKindFromMagic(const std::uint8_t* pHead, std::size_t size);

// The one rule every front end uses: the extension, and for a name without a
// known one the magic. Only a regular file is looked into (unless streams are
// allowed), so that probing never blocks on a FIFO or a device.
std::optional<TableKind> DetectTableKind(const std::string& path, NonRegularFiles nonRegular = NonRegularFiles::Refuse);
