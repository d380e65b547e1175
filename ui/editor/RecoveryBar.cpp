#include "ui/editor/RecoveryBar.h"

#include <algorithm>
#include <utility>

#include <QLabel>
#include <QPushButton>

#include "ui/dialog/TopBar.h"

RecoveryBar::RecoveryBar(const RecoveryCopyActions& actions, std::function<void()> showAll, QWidget* pParent)
    : QFrame(pParent), m_actions(actions), m_showAll(std::move(showAll))
{
    m_pText = MakeTopBar(*this, QStringLiteral("RecoveryBar"), QStringLiteral("Unsaved work"));
    m_pRestore = AddTopBarButton(*this, QStringLiteral("Restore"));
    m_pShowAll = AddTopBarButton(*this, QStringLiteral("Show All..."));
    m_pDiscard = AddTopBarButton(*this, QStringLiteral("Discard"));
    connect(m_pRestore, &QPushButton::clicked, this, [this] { RestoreNewest(); });
    connect(m_pShowAll, &QPushButton::clicked, this, [this] { m_showAll(); });
    connect(m_pDiscard, &QPushButton::clicked, this, [this] { DiscardOffered(); });
}

void RecoveryBar::Offer(std::vector<RecoveryCopy> copies)
{
    m_offered = std::move(copies);
    ShowOffer();
}

void RecoveryBar::Refresh()
{
    if (m_offered.empty())
        return;
    const std::vector<RecoveryCopy> now = m_actions.list();
    std::vector<RecoveryCopy> still;
    for (const RecoveryCopy& copy : now) {
        const bool bOffered = std::any_of(m_offered.begin(), m_offered.end(),
                                          [&copy](const RecoveryCopy& offered) { return offered.name == copy.name; });
        if (bOffered)
            still.push_back(copy);
    }
    m_offered = std::move(still);
    ShowOffer();
}

QString RecoveryBar::Text() const
{
    if (m_offered.size() == 1)
        return QStringLiteral("Unsaved work from an earlier session: ") +
               ShownCopy(m_offered.front(), m_actions.bChannelTables);
    return QStringLiteral("%1 unsaved tables from earlier sessions").arg(m_offered.size());
}

void RecoveryBar::RestoreNewest()
{
    // The copies are newest first; a damaged one cannot come back.
    const auto newest =
        std::find_if(m_offered.begin(), m_offered.end(), [](const RecoveryCopy& copy) { return !copy.bDamaged; });
    if (newest == m_offered.end())
        return;
    m_actions.restore(*newest);
    Refresh();
}

void RecoveryBar::DiscardOffered()
{
    // The person asked for it: no question. Only what the bar offered goes,
    // never a copy that came since.
    m_actions.discard(m_offered);
    Refresh();
}

void RecoveryBar::ShowOffer()
{
    if (m_offered.empty()) {
        hide();
        return;
    }
    m_pText->setText(Text());
    m_pRestore->setEnabled(
        std::any_of(m_offered.begin(), m_offered.end(), [](const RecoveryCopy& copy) { return !copy.bDamaged; }));
    show();
}
