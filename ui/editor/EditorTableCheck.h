#pragma once
// Table > Check Table of an editor: the findings of the table as it stands in
// a window beside the editor. The open window follows the document: once
// edits pause it is checked again, without taking the focus; a save changes
// nothing it shows. Each editor's part says how its table is checked.

#include <cstdint>
#include <functional>

#include <QObject>
#include <QPointer>

#include "ui/editor/CTableFindingsWindow.h"

class QTimer;
class QWidget;
struct DocumentNews;

class EditorTableCheck : public QObject
{
public:
    // The command: the window opens (or comes forward) with the findings.
    void Show();
    CTableFindingsWindow* Window() const { return m_pWindow; }

protected:
    // activate selects the row a finding names (list, position).
    EditorTableCheck(QWidget& owner, std::function<void(std::int32_t, std::int32_t)> activate);

    // Subscribed to the document by the editor's part.
    void Follow(const DocumentNews& news);

private:
    virtual bool HasTable() const = 0;
    // The window's findings replaced by those of the table as it stands
    // (none without a table).
    virtual void Fill(CTableFindingsWindow& window) const = 0;
    void Refresh();

    QWidget& m_owner;
    std::function<void(std::int32_t, std::int32_t)> m_activate;
    QPointer<CTableFindingsWindow> m_pWindow;
    // Started by each edit while the window shows; the check runs when it ends.
    QTimer* m_pTimer = nullptr;
};
