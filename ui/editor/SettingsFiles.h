#pragma once
// The files the editors keep their settings in through QSettings (the recent
// files, the window geometries, the editors' choices) are checked before
// QSettings opens them, as every file of the editors is: only a regular file
// of the user's own, of at most the kind's size, is read or written. Anything
// else at its place (a FIFO, which would block QSettings, a device, a folder,
// a huge file, someone else's file) is neither read nor written over, and why
// is said once on standard error; the settings then hold for this run only.
// A file is written over only when it holds nothing but what QSettings writes
// back (groups and "key=value" lines): a link to someone's notes, or comments
// a person added, are never lost to a write.

#include <cstdint>
#include <memory>
#include <string>

class QSettings;

struct SettingsFileRules
{
    // What is not kept when the file is refused, as said on standard error:
    // "vornalix: WHAT are not kept: FILE: REASON".
    const char* pszWhat;
    std::uint64_t maxBytes;
    // A symbolic link is refused, never followed. Otherwise a link to a
    // regular file is followed and stays a link: QSettings writes the file it
    // names.
    bool bRefusesLinks;
};

// The settings to read, as the file holds them now, or nothing when the file
// is refused (and why said). A file not there yet reads as empty settings.
// They stay this thread's to read until it next asks for settings to read.
const QSettings* SettingsToRead(const std::string& file, const SettingsFileRules& rules);

// The settings to change, or nothing when the file is refused, holds text a
// write would lose, or its folder cannot be made (and why said). What is set
// is written when WriteSettings is called.
std::unique_ptr<QSettings> SettingsToWrite(const std::string& file, const SettingsFileRules& rules);

// Writes what was set; says why when it could not be written.
void WriteSettings(QSettings& settings, const std::string& file, const SettingsFileRules& rules);
