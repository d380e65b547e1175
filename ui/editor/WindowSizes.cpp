#include "ui/editor/WindowSizes.h"

#include <memory>
#include <string>

#include <QSettings>
#include <QWidget>

#include "platform/DataFolders.h"
#include "ui/editor/SettingsFiles.h"

namespace {

constexpr SettingsFileRules kRules{"window sizes", kMaxWindowSizesBytes, false};

std::string SizesPath()
{
    const std::string configHome = ConfigHome();
    return configHome.empty() ? std::string() : configHome + "/vornalix/windows.conf";
}

QString KeyOf(int dialogId)
{
    return QStringLiteral("geometry/%1").arg(dialogId);
}

} // namespace

QString WindowSizesFile()
{
    return QString::fromStdString(SizesPath());
}

std::optional<WindowSize> RememberedWindowSize(int dialogId)
{
    const std::string file = SizesPath();
    if (file.empty())
        return std::nullopt;
    const QSettings* const settings = SettingsToRead(file, kRules);
    if (!settings)
        return std::nullopt;
    const QByteArray geometry = settings->value(KeyOf(dialogId)).toByteArray();
    // Read by a window of its own, never shown, so that the dialog keeps the
    // place the window manager gives it.
    QWidget window;
    if (geometry.isEmpty() || !window.restoreGeometry(geometry))
        return std::nullopt;
    return WindowSize{window.size(), window.isMaximized()};
}

void RememberWindowGeometry(int dialogId, const QByteArray& geometry)
{
    const std::string file = SizesPath();
    if (file.empty())
        return;
    const std::unique_ptr<QSettings> settings = SettingsToWrite(file, kRules);
    if (!settings)
        return;
    settings->setValue(KeyOf(dialogId), geometry);
    WriteSettings(*settings, file, kRules);
}

QSize OpeningSize(const QSize& minimum, const std::optional<QSize>& remembered, const QSize& available)
{
    QSize size = remembered.value_or(minimum);
    size = size.expandedTo(minimum);
    return size.boundedTo(available.expandedTo(QSize(1, 1)));
}
