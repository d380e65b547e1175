#include "ui/editor/EditorSettings.h"

#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include <QSettings>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DataFolders.h"

namespace {

void SayOnce(const std::string& file, const std::string& reason)
{
    static std::mutex mutex;
    static std::set<std::string> said;
    const std::lock_guard<std::mutex> lock(mutex);
    if (said.insert(file + '\n' + reason).second)
        std::fprintf(stderr, "vornalix: editor settings are not kept: %s: %s\n", file.c_str(), reason.c_str());
}

// Why the file may not be opened, or nothing when it may (also when it is
// not there yet). lstat: a link is refused, never followed.
std::optional<std::string> RefusalOf(const std::string& file)
{
    struct stat status
    {
    };
    if (::lstat(file.c_str(), &status) != 0)
        return errno == ENOENT ? std::nullopt : std::optional<std::string>(std::strerror(errno));
    if (S_ISLNK(status.st_mode))
        return "it is a symbolic link, which a write would replace";
    if (!S_ISREG(status.st_mode))
        return "it is not a regular file";
    if (status.st_uid != ::geteuid())
        return "it belongs to another user";
    if (static_cast<std::uint64_t>(status.st_size) > kMaxEditorSettingsBytes)
        return "it is larger than " + std::to_string(kMaxEditorSettingsBytes / 1024) + " KiB";
    return std::nullopt;
}

std::string SettingsPath()
{
    const std::string configHome = ConfigHome();
    return configHome.empty() ? std::string() : configHome + "/vornalix/editors.conf";
}

// The path when the file may be opened, else empty (and the reason said).
std::string OpenablePath()
{
    const std::string file = SettingsPath();
    if (file.empty())
        return file;
    if (const std::optional<std::string> refusal = RefusalOf(file)) {
        SayOnce(file, *refusal);
        return std::string();
    }
    return file;
}

} // namespace

QString EditorSettingsFile()
{
    return QString::fromStdString(SettingsPath());
}

QString EditorSetting(const QString& key)
{
    const std::string file = OpenablePath();
    if (file.empty())
        return QString();
    return QSettings(QString::fromStdString(file), QSettings::IniFormat).value(key).toString();
}

void SetEditorSetting(const QString& key, const QString& value)
{
    const std::string file = OpenablePath();
    if (file.empty())
        return;
    if (!MakeBaseFolders(file.substr(0, file.find_last_of('/')))) {
        SayOnce(file, std::string("its folder cannot be made: ") + std::strerror(errno));
        return;
    }
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        SayOnce(file, "it could not be written");
}
