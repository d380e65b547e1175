#pragma once
// The copies of unsaved tables kept from earlier runs, as an editor offers
// them: how each is described to the person, what its preview shows, and
// restoring or discarding one. The bar at the top of an editor and the list
// its "Show All..." opens (through UserServices) both work on these.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "edit/RecoveryStore.h"

// What an editor does with kept copies; its DocumentRecovery gives these, so
// that restoring and discarding each happen, and are told, in one place.
struct RecoveryCopyActions
{
    bool bChannelTables = true;
    // The copies offered, newest first: never the editor's own.
    std::function<std::vector<RecoveryCopy>()> list;
    // Brings the copy back into the document as one step; false when it did not.
    std::function<bool(const RecoveryCopy&)> restore;
    // Removes these copies (never the editor's own) and says so.
    std::function<void(const std::vector<RecoveryCopy>&)> discard;
};

// One copy as the list shows it.
struct RecoveryListRow
{
    QString when;   // "2026-12-08 21:30"
    QString source; // the file's name, "new table" or "unknown file"
    QString counts; // "69 antenna and 107 cable channels", "3 tuner entries" or "damaged copy"
    bool bRestorable = false;
    bool bGone = false; // discarded while the list is open
    QString Text() const;
};

// The first rows of the selected copy, or why there are none.
struct RecoveryPreviewTable
{
    QStringList columns;
    std::vector<QStringList> rows;
    QString problem; // empty when the rows are the copy's
};

class RecoveryCopiesList
{
public:
    RecoveryCopiesList(const RecoveryCopyActions& actions, std::vector<RecoveryCopy> copies);

    std::size_t Count() const { return m_copies.size(); }
    RecoveryListRow Row(std::size_t index) const;
    // Read from the copy when it is asked for, so that opening the list reads no rows.
    RecoveryPreviewTable Preview(std::size_t index) const;
    // True when the copy came back into the editor: the list is done then.
    bool Restore(std::size_t index);
    // The copy goes from the folder and stays in the list as gone.
    void Discard(std::size_t index);

private:
    const RecoveryCopyActions& m_actions;
    std::vector<RecoveryCopy> m_copies;
    std::vector<bool> m_gone;
};

// The name of the copy's table as the person knows it: the file's name in
// printable form, its middle left out when it is long.
QString ShownSourceName(const RecoveryCopy& copy);
QString ShownCopyTime(const RecoveryCopy& copy);
QString ShownCopyCounts(const RecoveryCopy& copy, bool bChannelTables);
// "de.ccf, 2026-12-08 21:30, 69 antenna and 107 cable channels"
QString ShownCopy(const RecoveryCopy& copy, bool bChannelTables);
