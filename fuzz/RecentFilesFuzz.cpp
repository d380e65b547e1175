// The editors' recent-files settings text: any text reads into lists, one
// list read alone is the same as read with the others, and the text written
// of those lists reads back as the same lists, so that a file the program
// rewrites keeps what it read. Memory stays linear in the input.
#include <cstdlib>

#include "platform/RecentFilesText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RecentFileLists lists = ReadRecentFileLists(text);
    std::size_t files = 0;
    for (const auto& [key, list] : lists) {
        // The editors read their own list alone; it is the same list.
        if (key.empty() || ReadRecentFileList(text, key) != list)
            std::abort();
        files += list.size();
    }
    if (lists.count("channel-tables") == 0 && !ReadRecentFileList(text, "channel-tables").empty())
        std::abort();
    // Each file but the first of a list takes at least its comma.
    if (files > size)
        std::abort();
    const std::string written = RecentFileListsText(lists);
    if (ReadRecentFileLists(written) != lists)
        std::abort();
    // An escape takes at most four bytes for each byte it stands for; a file
    // adds at most its comma, quotes and a doubled '@', a list its line.
    if (written.size() > 16 + 4 * size + 5 * files + 16 * lists.size())
        std::abort();
    return 0;
}
