#pragma once
// The text of the editors' recent-files settings file: an INI file as QSettings
// writes one, whose [General] section holds one key per kind of table with
// that kind's files as a list: "a, b, c", a file with ',', ';' or '=' or an
// outer space in double quotes, backslash escapes for quotes, backslashes and
// control characters, a leading '@' doubled, and an empty list "@Invalid()".
// Reading takes what the program wrote with QSettings before; what is written
// QSettings reads back the same. Plain C++ over UTF-8, without Qt, so that the
// reader is fuzzed with the others.

#include <map>
#include <string>
#include <string_view>
#include <vector>

// Lists by key, each list in its order.
using RecentFileLists = std::map<std::string, std::vector<std::string>>;

// The lists of the [General] section (keys before any section belong to it).
// What the program never writes is passed over: other sections, lines without
// '=', comments, keys of other characters than letters, digits, '-', '_' and
// '.', values QSettings keeps for other types ("@ByteArray(...)").
// Time and memory linear in the text.
RecentFileLists ReadRecentFileLists(std::string_view text);

// Only the list of one key, as ReadRecentFileLists would give it (empty when
// the key is missing): the others are passed over unread.
std::vector<std::string> ReadRecentFileList(std::string_view text, std::string_view key);

// The text of the lists, a [General] section with one line per key.
std::string RecentFileListsText(const RecentFileLists& lists);
