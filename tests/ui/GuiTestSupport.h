#pragma once
// Driving dialogs through their real widgets, found by control id.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTreeView>

#include <ostream>
#include <vector>

#include "ui/dialog/CDialog.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/CTableFindingsWindow.h"

// Readable QStrings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

template <class Widget> Widget* Control(const CDialog& dialog, int id)
{
    auto* pWidget = dialog.findChild<Widget*>(QString::number(id));
    EXPECT_NE(pWidget, nullptr) << "no control " << id;
    return pWidget;
}

inline QString TextOf(const CDialog& dialog, int id)
{
    QWidget* pWidget = dialog.findChild<QWidget*>(QString::number(id));
    EXPECT_NE(pWidget, nullptr) << "no control " << id;
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
        return pLabel->text();
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        return pEdit->text();
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
        return pButton->text();
    return {};
}

inline bool EnabledOf(const CDialog& dialog, int id)
{
    QWidget* pWidget = dialog.findChild<QWidget*>(QString::number(id));
    EXPECT_NE(pWidget, nullptr) << "no control " << id;
    return pWidget && pWidget->isEnabled();
}

inline void Click(const CDialog& dialog, int id)
{
    auto* pButton = Control<QPushButton>(dialog, id);
    ASSERT_TRUE(pButton->isEnabled()) << "button " << id << " is disabled";
    QTest::mouseClick(pButton, Qt::LeftButton);
}

inline void TypeInto(const CDialog& dialog, int id, const QString& text)
{
    auto* pEdit = Control<QLineEdit>(dialog, id);
    pEdit->setFocus();
    pEdit->clear();
    QTest::keyClicks(pEdit, text);
}

inline void PressKey(QWidget* pWidget, Qt::Key key)
{
    QTest::keyClick(pWidget, key);
}

// Clicks a list row with the given button, as a person would (press and release).
inline void ClickRow(ListView* pList, int row, Qt::MouseButton button = Qt::LeftButton,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    pList->EnsureVisible(row);
    const QRect rect = pList->visualRect(pList->model()->index(row, 0));
    QTest::mouseClick(pList->viewport(), button, modifiers, rect.center());
}

// The rows the Table Check window lists, "|" between the columns.
inline std::vector<QString> FindingRows(const CTableFindingsWindow& window)
{
    std::vector<QString> rows;
    const QAbstractItemModel* pModel = window.FindingsView()->model();
    for (int row = 0; row < pModel->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < pModel->columnCount(); ++column)
            cells << pModel->data(pModel->index(row, column)).toString();
        rows.push_back(cells.join(QLatin1Char('|')));
    }
    return rows;
}

// Every row of a dialog's list, "|" between its columns.
inline std::vector<QString> ListRowTexts(const CDialog& dialog, int listId)
{
    ListView* pList = dialog.GetListView(listId);
    std::vector<QString> rows;
    const int columns = pList->model()->columnCount();
    for (int row = 0; row < pList->GetItemCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < columns; ++column)
            cells << pList->GetItemText(row, column);
        rows.push_back(cells.join(QLatin1Char('|')));
    }
    return rows;
}

// Runs the event loop, so that timers and queued work go on, until the
// condition holds or `ms` have passed; the condition's last answer.
template <class Condition> bool WaitFor(Condition condition, int ms = 5000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (condition())
            return true;
        QTest::qWait(20);
    }
    return condition();
}
