#pragma once
// The editors' choices that outlive a run (which columns the channel list
// shows), kept in the user's config folder ($XDG_CONFIG_HOME/vornalix/
// editors.conf, by default under ~/.config) through QSettings.
//
// The file is checked before QSettings opens it (SettingsFiles.h), as every file of the editors
// is: only a regular file of the user's own, not a link, of at most
// kMaxEditorSettingsBytes, is read or written. Anything else at its place (a
// FIFO, which would block QSettings, a device, someone's notes behind a
// link) is neither read nor written over, and why is said once on standard
// error; the choice then holds for this run only.

#include <cstdint>

#include <QString>

constexpr std::uint64_t kMaxEditorSettingsBytes = 64 * 1024;

// The file as the environment names it now; empty when no config folder is known.
QString EditorSettingsFile();
// The value kept for the key; empty when there is none or the file is refused.
QString EditorSetting(const QString& key);
// Keeps the value; nothing is written when the file is refused.
void SetEditorSetting(const QString& key, const QString& value);
