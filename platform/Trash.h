#pragma once
// The desktop's Trash, as freedesktop.org's rules for it lay it out: $XDG_DATA_HOME/Trash (default ~/.local/share/Trash) with the file in
// files/ and, under the same name plus ".trashinfo" in info/, where it was
// and when it went, so that a file manager puts it back. Plain C++ without Qt,
// since the command-line tool trashes the files it replaces too.
//
// A file the program replaces or discards goes there instead of into
// nothing, so that a wrong click or a conversion run again can be mended from
// the desktop. Only the home Trash is used: a file on another file system is
// copied into it, as those rules allow, rather than into a Trash of
// that file system's own. The folders are made where missing (mode 0700) and
// are used only when they are the user's own folders, not links.

#include <string>

#include "platform/FileIO.h"

// Moves the file at path into the Trash. Its name is taken as given; the
// file is never reached through a link in its last component. The Trash
// records it as having been at recordedPath, or at path when none is given
// (a caller reaching a folder through a descriptor names it as the person
// knows it). Returns the path it has in the Trash, empty with the reason in
// error when it could not be trashed (the file then stays where it was).
std::string MoveToTrash(const std::string& path, FileError& error, const std::string& recordedPath = {});

// Puts the content of the file at path (through links) into the Trash and
// leaves the file where it is, for a caller about to replace it: on the same
// file system the Trash gets a second name of the same file, so the safe
// save's rename leaves the old content there whole; elsewhere it gets a copy.
// Returns the path in the Trash, empty with the reason in error.
std::string KeepInTrash(const std::string& path, FileError& error);

// The text of a ".trashinfo" file for a file that was at absolutePath:
// the path escaped as in a URI, the local time of deletion given in seconds.
std::string TrashInfoText(const std::string& absolutePath, long long deletionTime);
