#pragma once
// The bar at the top of an editor that offers the unsaved tables earlier runs
// left (a program killed, a window lost): what is there, and Restore, Show
// All... and Discard. It never blocks and never takes the focus: the person
// may go on working and leave it be. It hides once nothing is left to offer.

#include <functional>
#include <vector>

#include <QFrame>

#include "ui/editor/RecoveryCopiesList.h"

class QLabel;
class QPushButton;

class RecoveryBar : public QFrame
{
    Q_OBJECT

public:
    // showAll opens the list of every copy (the editor's "Restore Unsaved Table...").
    RecoveryBar(const RecoveryCopyActions& actions, std::function<void()> showAll, QWidget* pParent);

    // Offers these copies, kept from earlier runs: shown when there is any.
    void Offer(std::vector<RecoveryCopy> copies);
    // Drops what has gone from the folder (restored, discarded); hides when
    // nothing is left. Copies that came since are not offered.
    void Refresh();

    const std::vector<RecoveryCopy>& Offered() const { return m_offered; }
    QString Text() const;

    // The buttons' work.
    void RestoreNewest();
    void DiscardOffered();

private:
    void ShowOffer();

    const RecoveryCopyActions& m_actions;
    std::function<void()> m_showAll;
    std::vector<RecoveryCopy> m_offered;
    QLabel* m_pText = nullptr;
    QPushButton* m_pRestore = nullptr;
    QPushButton* m_pShowAll = nullptr;
    QPushButton* m_pDiscard = nullptr;
};
