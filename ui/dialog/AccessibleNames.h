#pragma once
// Assistive technologies name an edit, combo box, display or list by the label
// a person reads for it.

#include <functional>

#include "res/DialogTemplate.h"

class QString;
class QWidget;

// Names each such control of the dialog by its labels: the label on its left
// in the same row, joined by a column heading aligned above it; without
// either, the frame around it. Labels are the dialog's direct QLabel children
// that carry their template index in the property "vornalixTemplateIndex".
// A control the dialog's data names (kFixedAccessibleNames) takes that name.
void NameControlsByLabels(QWidget* pDialog, const DialogTemplate& tpl, const std::function<QWidget*(int id)>& control);

// What a screen reader reads for a cell of a channel list that shows the
// text shown: the frequency column's "--" (an empty slot) as "empty", a
// frequency such as "55.25000" in its shortest form with its unit,
// "55.25 MHz"; every other cell as shown.
QString SpokenChannelCell(int row, int column, const QString& shown);
