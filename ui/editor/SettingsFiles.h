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
#include <optional>
#include <string>

#include <QString>
#include <QVariant>

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

// The file of this name in the editors' config folder ($XDG_CONFIG_HOME/
// vornalix/, by default under ~/.config); empty when no config folder is known.
std::string SettingsFilePath(const char* pszName);

// The value the file holds for the key now, an invalid one when it holds
// none (a file not there yet holds none); nothing when the file is refused
// (and why said).
std::optional<QVariant> ReadSetting(const std::string& file, const SettingsFileRules& rules, const QString& key);

// Keeps the value, the file's other settings kept. Nothing is written when
// the file is refused, holds text a write would lose, or its folder cannot be
// made; and why is said, as it is when the write fails.
void WriteSetting(const std::string& file, const SettingsFileRules& rules, const QString& key, const QVariant& value);
