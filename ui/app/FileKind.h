#pragma once

#include <QString>

// Which editor opens a file given on the command line.
enum class FileKind
{
    Unknown,
    ChannelTable, // .ccf
    TunerTable,   // .tsf
    LegacyTable,  // .cft
};

// By the extension, in any case; a file without a known extension by its
// magic at offset 4 (DetectTableKind, the rule the tool uses too).
FileKind KindOfFile(const QString& path);
// By the extension alone, in any case: the file is not touched.
FileKind KindOfFileByName(const QString& path);
