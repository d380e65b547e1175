#pragma once
// What assistive technologies learn of a display, the one-line static text
// that a dialog writes (a country name, a range, a path): its name is the
// caption a person reads beside it, and its value and text are what it shows
// now. A plain label would give only one of the two.

class QLabel;
class QString;

// Makes the label answer as a display from now on.
void MarkAsDisplay(QLabel* pLabel);
bool IsDisplay(const QLabel* pLabel);
// Tells listening assistive technologies that the display now shows newText.
void NotifyDisplayTextChanged(QLabel* pLabel, const QString& oldText, const QString& newText);
