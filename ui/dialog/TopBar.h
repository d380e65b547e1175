#pragma once
// What the bars at the top of an editor share: a tinted panel with a line of
// text and buttons that never take the focus from where the person types.

#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Makes the frame a bar, named for screen readers, hidden until it has
// something to say; returns its label, which stretches before the buttons.
QLabel* MakeTopBar(QFrame& bar, const QString& objectName, const QString& accessibleName);
// A button at the bar's end: reached with Tab, never the dialog's default.
QPushButton* AddTopBarButton(QFrame& bar, const QString& text);
