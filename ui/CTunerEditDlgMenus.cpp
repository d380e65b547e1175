// The tuner editor's menu bar: the buttons' commands under File with the
// desktop's keys, Save to the file the table came from, the recent files,
// Undo, Redo and Select All, and the About box under Help.

#include "CAboutDlg.h"
#include "CTunerEditDlg.h"
#include "DialogMenuBar.h"
#include "EditHistoryUi.h"
#include "EditorFileCommands.h"
#include "ListView.h"
#include "Strings.h"
#include "resource.h"

void CTunerEditDlg::InitMenus()
{
    const QString recentKind = QString::fromLatin1(kTunerRecentKind);
    AddMenuBar(TunerEditorMenuBar()).SetRecentKind(recentKind);
    OnClicked(IDM_SAVE, [this, recentKind] {
        SaveToKnownFile(m_document, Services(), this, recentKind, [this] { OnSaveFile(); });
    });
    OnClicked(IDM_SELECT_ALL, [this] { GetListView(IDC_LIST_TUNERS)->selectAll(); });
    OnClicked(IDM_ABOUTBOX, [this] {
        CAboutDlg about(Services());
        Services().RunModal(about);
    });
    for (int command = IDM_RECENT_FIRST; command <= IDM_RECENT_LAST; ++command) {
        OnClicked(command, [this, recentKind, command] {
            OpenRecentFile(Services(), this, recentKind, command - IDM_RECENT_FIRST,
                           [this](const QString& path) { return OpenFile(path); });
        });
    }
}

void CTunerEditDlg::UpdateCommandStates()
{
    DialogMenuBar* pBar = MenuBar();
    if (!pBar)
        return;
    const bool bTable = m_document.HasTable();
    for (int command : {IDM_SAVE, IDC_BUTTON_SAVE_FILE, IDM_EXPORT, IDM_CHECK_TABLE, IDM_SELECT_ALL})
        pBar->SetEnabled(command, bTable);
    UpdateHistoryItems(*pBar, m_document.UndoName(), m_document.RedoName());
}
