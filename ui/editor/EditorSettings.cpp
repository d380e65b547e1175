#include "ui/editor/EditorSettings.h"

#include <memory>
#include <string>

#include <QSettings>

#include "platform/DataFolders.h"
#include "ui/editor/SettingsFiles.h"

namespace {

// A link is refused, never followed.
constexpr SettingsFileRules kRules{"editor settings", kMaxEditorSettingsBytes, true};

std::string SettingsPath()
{
    const std::string configHome = ConfigHome();
    return configHome.empty() ? std::string() : configHome + "/vornalix/editors.conf";
}

} // namespace

QString EditorSettingsFile()
{
    return QString::fromStdString(SettingsPath());
}

QString EditorSetting(const QString& key)
{
    const std::string file = SettingsPath();
    if (file.empty())
        return QString();
    const QSettings* const settings = SettingsToRead(file, kRules);
    return settings ? settings->value(key).toString() : QString();
}

void SetEditorSetting(const QString& key, const QString& value)
{
    const std::string file = SettingsPath();
    if (file.empty())
        return;
    const std::unique_ptr<QSettings> settings = SettingsToWrite(file, kRules);
    if (!settings)
        return;
    settings->setValue(key, value);
    WriteSettings(*settings, file, kRules);
}
