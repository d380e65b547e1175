#include "ui/editor/EditorSettings.h"

#include <string>

#include "ui/editor/SettingsFiles.h"

namespace {

// A link is refused, never followed.
constexpr SettingsFileRules kRules{"editor settings", kMaxEditorSettingsBytes, true};

std::string SettingsPath()
{
    return SettingsFilePath("editors.conf");
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
    return ReadSetting(file, kRules, key).value_or(QVariant()).toString();
}

void SetEditorSetting(const QString& key, const QString& value)
{
    const std::string file = SettingsPath();
    if (file.empty())
        return;
    WriteSetting(file, kRules, key, value);
}
