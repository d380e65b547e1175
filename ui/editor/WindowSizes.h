#pragma once
// The geometry each resizable window was last closed at, as QWidget's
// saveGeometry gives it, kept in the user's config folder ($XDG_CONFIG_HOME/vornalix/windows.conf,
// by default under ~/.config) through QSettings, by the window's dialog
// template id.
//
// The file is checked before QSettings opens it (SettingsFiles.h): only a
// regular file of the user's own (a symbolic link to one is followed), of at
// most kMaxWindowSizesBytes. A refused file is neither read nor written over,
// and the reason is said once on standard error. Of a geometry read back a
// window takes its size and whether it was maximized, not its place: the
// window manager places it, and the findings window beside it. The size is
// only a wish: OpeningSize bounds it by the window's minimum and the screen.

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QSize>
#include <QString>

// A few windows take a few hundred bytes; a larger file is not ours.
constexpr std::uint64_t kMaxWindowSizesBytes = 64 * 1024;

// The file as the environment names it now; empty when no config folder is known.
QString WindowSizesFile();
struct WindowSize
{
    QSize size;
    bool bMaximized = false;

    bool operator==(const WindowSize& other) const { return size == other.size && bMaximized == other.bMaximized; }
};

// The size remembered for the dialog, as restoreGeometry gives it; nothing
// when there is none, or no file, or the file is refused, or what it holds is
// no geometry.
std::optional<WindowSize> RememberedWindowSize(int dialogId);
// Keeps the geometry for the dialog, the other windows' kept; nothing is
// written when the file is refused.
void RememberWindowGeometry(int dialogId, const QByteArray& geometry);

// The size a window opens at: the remembered one, else its natural size; at
// least its minimum, and never more than the screen's available size (which
// wins over the minimum, so that every window fits the screen and scrolls).
QSize OpeningSize(const QSize& minimum, const std::optional<QSize>& remembered, const QSize& available);
