#pragma once
// The size each resizable window was last closed at, and whether it was
// maximized, kept in the user's config folder ($XDG_CONFIG_HOME/vornalix/
// window-sizes.conf, by default under ~/.config; WindowSizesText) by the
// window's dialog template id.
//
// The file is read as every file of the editors is, as hostile input: only a
// regular file (a symbolic link to one is followed), refused before it is
// opened otherwise, so that a FIFO put there never blocks; only up to
// kMaxWindowSizesBytes. A refused file is neither read nor written over, and
// the reason is said once on standard error. Sizes read back are only a wish:
// OpeningSize bounds them by the window's minimum and the screen.

#include <cstdint>
#include <optional>

#include <QSize>
#include <QString>

#include "platform/WindowSizesText.h"

// A few windows take a few dozen bytes; a larger file is not ours.
constexpr std::uint64_t kMaxWindowSizesBytes = 64 * 1024;

// The file as the environment names it now; empty when no config folder is known.
QString WindowSizesFile();
// The size remembered for the dialog; nothing when there is none, or no file,
// or the file is refused.
std::optional<WindowSize> RememberedWindowSize(int dialogId);
// Keeps the size for the dialog, the other windows' sizes kept; nothing is
// written when the file is refused.
void RememberWindowSize(int dialogId, const WindowSize& size);

// The size a window opens at: the remembered one, else its natural size; at
// least its minimum, and never more than the screen's available size (which
// wins over the minimum, so that every window fits the screen and scrolls).
QSize OpeningSize(const QSize& minimum, const std::optional<WindowSize>& remembered, const QSize& available);
