#pragma once
// Assistive technologies name an edit, combo box, display or list by the label
// a person reads for it.

#include <functional>

#include "DialogTemplate.h"

class QWidget;

// Names each such control of the dialog by its labels: the label on its left
// in the same row, joined by a column heading aligned above it; without
// either, the frame around it. Labels are the dialog's direct QLabel children
// that carry their template index in the property "vornalixTemplateIndex".
void NameControlsByLabels(QWidget* pDialog, const DialogTemplate& tpl, const std::function<QWidget*(int id)>& control);
