#pragma once
// Where the program's installed data (the tuner catalogue, the channel plans)
// is looked for. Every reader of installed data uses this one rule, so that a
// copy of the program, an installed program and a person's own data are found
// the same way by the editors and by the tool.

#include <string>
#include <vector>

// The folder of the running executable with a trailing "/"; empty when the
// executable's path cannot be read.
std::string ExecutableFolder();

// The folders that may hold the program's data, in the order they are tried:
// beside the executable; the installation's data folder, ../share/vornalix
// beside the executable's folder; $XDG_DATA_HOME/vornalix (default
// ~/.local/share); each folder of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share) + /vornalix. A relative folder in those
// variables is not used; a variable that names no absolute folder counts as
// unset. Folders are normalised, without a trailing "/", and each is listed once.
std::vector<std::string> DataFolders();

// The person's home folder: $HOME when it names an absolute folder, else the
// home folder the user database gives the real user; empty when neither does.
std::string HomeFolder();

// The XDG base folders: $XDG_CONFIG_HOME (default ~/.config),
// $XDG_DATA_HOME (default ~/.local/share) and $XDG_STATE_HOME (default
// ~/.local/state), normalised, without a trailing "/". A relative value
// counts as unset; empty when no home folder is known.
std::string ConfigHome();
std::string DataHome();
std::string StateHome();

// Makes the folder and the folders above it where missing, each mode 0700 as
// the base directory rules ask of the folders a program makes; existing
// folders are left as they are. False, with errno set, when one cannot be made.
bool MakeBaseFolders(const std::string& path);

// The person's own data folder, $XDG_DATA_HOME/vornalix (default
// ~/.local/share/vornalix); empty when neither variable names an absolute folder.
std::string UserDataFolder();
