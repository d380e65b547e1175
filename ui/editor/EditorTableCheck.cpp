#include "ui/editor/EditorTableCheck.h"

#include <utility>

#include <QTimer>
#include <QWidget>

#include "edit/DocumentHistory.h"

EditorTableCheck::EditorTableCheck(QWidget& owner, std::function<void(std::int32_t, std::int32_t)> activate)
    : QObject(&owner), m_owner(owner), m_activate(std::move(activate))
{
    m_pTimer = new QTimer(this);
    m_pTimer->setSingleShot(true);
    m_pTimer->setInterval(150);
    connect(m_pTimer, &QTimer::timeout, this, [this] { Refresh(); });
}

void EditorTableCheck::Show()
{
    if (!HasTable())
        return;
    if (!m_pWindow) {
        m_pWindow = new CTableFindingsWindow(&m_owner);
        m_pWindow->onActivate = [this](int list, int position) { m_activate(list, position); };
    }
    Fill(*m_pWindow);
    m_pWindow->Present();
}

void EditorTableCheck::Follow(const DocumentNews& news)
{
    if (m_pWindow && m_pWindow->isVisible() && news.change == DocumentChange::Edited && news.ChangedTable())
        m_pTimer->start();
}

void EditorTableCheck::Refresh()
{
    if (m_pWindow && m_pWindow->isVisible())
        Fill(*m_pWindow);
}
