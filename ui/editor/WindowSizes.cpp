#include "ui/editor/WindowSizes.h"

#include <string>

#include <QWidget>

#include "ui/editor/SettingsFiles.h"

namespace {

constexpr SettingsFileRules kRules{"window sizes", kMaxWindowSizesBytes, false};

std::string SizesPath()
{
    return SettingsFilePath("windows.conf");
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
    const QByteArray geometry = ReadSetting(file, kRules, KeyOf(dialogId)).value_or(QVariant()).toByteArray();
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
    WriteSetting(file, kRules, KeyOf(dialogId), geometry);
}

QSize OpeningSize(const QSize& minimum, const std::optional<QSize>& remembered, const QSize& available)
{
    QSize size = remembered.value_or(minimum);
    size = size.expandedTo(minimum);
    return size.boundedTo(available.expandedTo(QSize(1, 1)));
}
