#include "ui/editor/SettingsFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>

#include "platform/DataFolders.h"
#include "platform/FileIO.h"

namespace {

const char kNotOurText[] = "it holds text this program did not write, which a write would lose";

// Why the settings are not kept, said once for each file and reason however
// often they are read or written.
void SayOnce(const SettingsFileRules& rules, const std::string& file, const std::string& reason)
{
    static std::mutex mutex;
    static std::set<std::string> said;
    const std::lock_guard<std::mutex> lock(mutex);
    if (said.insert(std::string(rules.pszWhat) + '\n' + file + '\n' + reason).second)
        std::fprintf(stderr, "vornalix: %s are not kept: %s: %s\n", rules.pszWhat, file.c_str(), reason.c_str());
}

std::string TooLarge(std::uint64_t maxBytes)
{
    constexpr std::uint64_t kMiB = 1024 * 1024;
    return maxBytes % kMiB == 0 ? "it is larger than " + std::to_string(maxBytes / kMiB) + " MiB"
                                : "it is larger than " + std::to_string(maxBytes / 1024) + " KiB";
}

// Why QSettings may not open the file, or nothing when it may (also when it
// is not there yet). The file is opened only when it is regular, so that a
// FIFO never blocks; its text is read into pText when asked for.
std::optional<std::string> RefusalOf(const std::string& file, const SettingsFileRules& rules, std::string* pText)
{
    struct stat status
    {
    };
    if (rules.bRefusesLinks && ::lstat(file.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        return "it is a symbolic link, which a write would replace";
    FileReader reader;
    FileError error;
    if (!reader.Open(file.c_str(), NonRegularFiles::Refuse, &error))
        return error.code == ENOENT ? std::nullopt : std::optional<std::string>(error.text);
    if (::stat(file.c_str(), &status) == 0 && status.st_uid != ::geteuid())
        return "it belongs to another user";
    if (reader.RegularFileSize().value_or(rules.maxBytes + 1) > rules.maxBytes)
        return TooLarge(rules.maxBytes);
    if (!pText)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    if (!reader.ReadUpTo(bytes, rules.maxBytes + 1, &error))
        return error.text;
    // It may have grown since it was opened.
    if (bytes.size() > rules.maxBytes)
        return TooLarge(rules.maxBytes);
    pText->assign(bytes.begin(), bytes.end());
    return std::nullopt;
}

// Whether QSettings writes back all the text holds: groups and "key=value"
// lines, no comments, no lines of another shape.
bool HoldsOnlySettings(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const bool bGroup = line.front() == '[' && line.back() == ']';
        const bool bComment = line.front() == ';' || line.front() == '#';
        if (!bGroup && (bComment || line.find('=') == std::string_view::npos))
            return false;
    }
    return true;
}

std::unique_ptr<QSettings> SettingsOf(const std::string& file)
{
    return std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat);
}

// The settings as the file holds them now. Qt does not keep a large file
// parsed between QSettings objects, so a new object parses it again: 10 ms
// for a recent-files file at its 1 MiB limit, at every opening of the File
// menu. The last few files read are kept open on each thread instead; sync()
// reads a file again only when it changed.
const QSettings& KeptSettings(const std::string& file)
{
    constexpr std::size_t kKeptFiles = 4;
    thread_local std::vector<std::pair<std::string, std::unique_ptr<QSettings>>> kept;
    auto it = std::find_if(kept.begin(), kept.end(), [&file](const auto& entry) { return entry.first == file; });
    if (it == kept.end()) {
        if (kept.size() == kKeptFiles)
            kept.pop_back();
        it = kept.emplace(kept.end(), file, SettingsOf(file));
    }
    std::rotate(kept.begin(), it, it + 1);
    kept.front().second->sync();
    return *kept.front().second;
}

} // namespace

std::string SettingsFilePath(const char* pszName)
{
    const std::string configHome = ConfigHome();
    return configHome.empty() ? std::string() : configHome + "/vornalix/" + pszName;
}

std::optional<QVariant> ReadSetting(const std::string& file, const SettingsFileRules& rules, const QString& key)
{
    if (const std::optional<std::string> refusal = RefusalOf(file, rules, nullptr)) {
        SayOnce(rules, file, *refusal);
        return std::nullopt;
    }
    return KeptSettings(file).value(key);
}

void WriteSetting(const std::string& file, const SettingsFileRules& rules, const QString& key, const QVariant& value)
{
    std::string text;
    if (const std::optional<std::string> refusal = RefusalOf(file, rules, &text)) {
        SayOnce(rules, file, *refusal);
        return;
    }
    if (!HoldsOnlySettings(text)) {
        SayOnce(rules, file, kNotOurText);
        return;
    }
    if (!MakeBaseFolders(file.substr(0, file.find_last_of('/')))) {
        SayOnce(rules, file, std::string("its folder cannot be made: ") + std::strerror(errno));
        return;
    }
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        SayOnce(rules, file, "it could not be written");
}
