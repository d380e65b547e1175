#pragma once
// The accessibility tree of the program as a screen reader walks it, where
// Qt's own interfaces fall short:
// - an open popup that names the application as its parent (a row menu,
//   which belongs to no window; the window of an open drop-down list) is a
//   child of the application while it is open, and the application tells of
//   it coming and going, as it tells of its windows;
// - a dialog leaves the controls it keeps hidden out of its children;
// - a drop-down list is named by its label, not by the item it shows;
// - a window of our own made from a plain widget reads as a window.

class QComboBox;
class QWidget;

// Puts the application's own interface in place; once is enough, later
// calls do nothing. Needs the QApplication.
void InstallAccessibleTree();

// The widget's children in the tree are only those it does not keep hidden.
// A dialog reads as a dialog, any other widget as Qt's plain widgets do.
void LeaveHiddenChildrenOut(QWidget* pWidget);
// The drop-down list reads its accessible name as its name and the item it
// shows as its value.
void NameByLabel(QComboBox* pCombo);
// The widget, a window of its own, reads as a window named by its title.
void ReadAsWindow(QWidget* pWindow);
// The widget reads as a status bar.
void ReadAsStatusBar(QWidget* pWidget);
