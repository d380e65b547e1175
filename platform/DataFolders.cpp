#include "platform/DataFolders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The value of an environment variable that names a folder; empty when the
// variable is unset or empty, or names a relative folder, which the XDG base
// directory rules declare invalid: such a variable counts as unset.
std::string AbsoluteFolder(const char* pszValue)
{
    if (!pszValue || pszValue[0] != '/')
        return {};
    return pszValue;
}

// The absolute folders of a colon-separated list, in its order.
std::vector<std::string> AbsoluteFolders(const char* pszList)
{
    std::vector<std::string> folders;
    const std::string list = pszList ? pszList : "";
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        const std::string folder = AbsoluteFolder(list.substr(start, colon - start).c_str());
        if (!folder.empty())
            folders.push_back(folder);
        start = colon + 1;
    }
    return folders;
}

// The user database's home folder of the real user, as the XDG rules name
// the fallback when HOME is unset.
std::string PasswdHome()
{
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
    passwd entry{};
    passwd* pResult = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &pResult) != 0 || !pResult)
        return {};
    return AbsoluteFolder(pResult->pw_dir);
}

// $variable when it names an absolute folder, else the home folder + fallback.
std::string BaseFolder(const char* pszVariable, const char* pszBelowHome)
{
    std::string folder = AbsoluteFolder(std::getenv(pszVariable));
    if (folder.empty()) {
        const std::string home = HomeFolder();
        if (!home.empty())
            folder = home + pszBelowHome;
    }
    return folder;
}

std::string Normalised(const std::string& folder)
{
    std::string path = std::filesystem::path(folder).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string ExecutableFolder()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            const std::string exe(buffer.data(), static_cast<std::size_t>(n));
            const auto slash = exe.rfind('/');
            if (slash == std::string::npos)
                return {};
            return exe.substr(0, slash + 1);
        }
        // The link may have been cut to the buffer: try again with more room.
        if (buffer.size() >= (std::size_t{1} << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> DataFolders()
{
    std::vector<std::string> folders;
    const auto add = [&folders](const std::string& folder) {
        std::string normal = Normalised(folder);
        if (std::find(folders.begin(), folders.end(), normal) == folders.end())
            folders.push_back(std::move(normal));
    };

    // Data beside the program wins, so a copy of the program can carry its own.
    const std::string beside = ExecutableFolder();
    if (!beside.empty()) {
        add(beside);
        // An installed program: <prefix>/bin/vornalix reads <prefix>/share/vornalix.
        add(beside + "../share/vornalix");
    }
    const std::string dataHome = DataHome();
    if (!dataHome.empty())
        add(dataHome + "/vornalix");

    std::vector<std::string> dataDirs = AbsoluteFolders(std::getenv("XDG_DATA_DIRS"));
    if (dataDirs.empty())
        dataDirs = AbsoluteFolders("/usr/local/share:/usr/share");
    for (const std::string& folder : dataDirs)
        add(folder + "/vornalix");
    return folders;
}

std::string HomeFolder()
{
    std::string home = AbsoluteFolder(std::getenv("HOME"));
    return home.empty() ? PasswdHome() : home;
}

std::string ConfigHome()
{
    const std::string folder = BaseFolder("XDG_CONFIG_HOME", "/.config");
    return folder.empty() ? folder : Normalised(folder);
}

std::string DataHome()
{
    const std::string folder = BaseFolder("XDG_DATA_HOME", "/.local/share");
    return folder.empty() ? folder : Normalised(folder);
}

std::string StateHome()
{
    const std::string folder = BaseFolder("XDG_STATE_HOME", "/.local/state");
    return folder.empty() ? folder : Normalised(folder);
}

bool MakeBaseFolders(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    const std::size_t slash = path.find_last_of('/');
    if (errno != ENOENT || slash == std::string::npos || slash == 0 || !MakeBaseFolders(path.substr(0, slash)))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string UserDataFolder()
{
    const std::string dataHome = DataHome();
    return dataHome.empty() ? std::string() : Normalised(dataHome + "/vornalix");
}
