#pragma once
// Windows that open inside the screen's available area (the screen less its
// panels), whatever the scale factor: a window whose frame would reach past
// it is made smaller and moved in.

class QWidget;

// Fits the shown window now; a maximized or full-screen one is left as it is.
// Its minimum size gives way where it is larger than the area.
void KeepInsideAvailableArea(QWidget& window);

// Fits the window once, shortly after it is first shown: the window manager's
// frame is known only then.
void KeepInsideAvailableAreaOnceShown(QWidget& window);
