// The channel table editor's menu bar: the commands of the buttons and the
// dialog menu under File, Edit, Table and Help with the desktop's keys, and
// the commands only the bar offers (Save, Open Recent, Go to Channel, Find
// Frequency, Select All).

#include <cmath>

#include "CFrequencyTableDlg.h"
#include "DialogMenuBar.h"
#include "EditHistoryUi.h"
#include "EditorFileCommands.h"
#include "ListView.h"
#include "Numbers.h"
#include "RecentFiles.h"
#include "Strings.h"
#include "resource.h"

namespace {

const char* const kRecentKind = kChannelRecentKind;

QString Text(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

void CFrequencyTableDlg::InitMenus()
{
    AddMenuBar(ChannelEditorMenuBar()).SetRecentKind(Text(kRecentKind));
    OnClicked(IDM_NEW_FROM_PLAN, [this] { OnNewFromPlan(); });
    OnClicked(IDM_ABOUTBOX, [this] { OnSysCommand(IDM_ABOUTBOX); });
    OnClicked(IDM_SAVE, [this] { OnSave(); });
    OnClicked(IDM_IMPORT, [this] { OnImport(); });
    OnClicked(IDM_EXPORT, [this] { OnExport(); });
    OnClicked(IDM_CHECK_TABLE, [this] { OnCheckTable(); });
    OnClicked(IDM_GOTO_CHANNEL, [this] { OnGoToChannel(); });
    OnClicked(IDM_FIND_FREQUENCY, [this] { OnFindFrequency(); });
    OnClicked(IDM_SELECT_ALL, [this] { GetListView(IDC_LIST_CHANNELS)->selectAll(); });
    for (int command = IDM_RECENT_FIRST; command <= IDM_RECENT_LAST; ++command)
        OnClicked(command, [this, command] { OnOpenRecent(command - IDM_RECENT_FIRST); });
}

void CFrequencyTableDlg::UpdateCommandStates()
{
    DialogMenuBar* pBar = MenuBar();
    if (!pBar)
        return;
    const bool bTable = m_document.HasTable();
    for (int command : {IDM_SAVE, IDC_BUTTON_SAVE_TO_FILE, IDM_EXPORT, IDM_CHECK_TABLE, IDM_GOTO_CHANNEL,
                        IDM_FIND_FREQUENCY, IDM_SELECT_ALL, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_MOVE_TO_CHANNEL,
                        IDM_OFFSET_FREQUENCIES, IDM_CLEAR_TO_EMPTY, IDM_SORT_SELECTION, IDM_FILL_RASTER})
        pBar->SetEnabled(command, bTable);
    UpdateHistoryItems(*pBar, m_document.UndoName(), m_document.RedoName());
}

void CFrequencyTableDlg::RememberFile(const QString& path)
{
    RecentFiles(Text(kRecentKind)).Add(path);
}

void CFrequencyTableDlg::OnSave()
{
    SaveToKnownFile(m_document, Services(), this, Text(kRecentKind), [this] { OnSaveToFile(); });
}

void CFrequencyTableDlg::OnOpenRecent(int index)
{
    OpenRecentFile(Services(), this, Text(kRecentKind), index, [this](const QString& path) { return OpenFile(path); });
}

void CFrequencyTableDlg::SelectChannel(std::int32_t iChannel)
{
    ListView* pList = GetListView(IDC_LIST_CHANNELS);
    pList->SetSelectedRows({iChannel - 1});
    pList->EnsureVisible(iChannel - 1);
    pList->setFocus(Qt::ShortcutFocusReason);
    // As a click on the row: the channel is shown for "Save value".
    OnClickList();
}

void CFrequencyTableDlg::OnGoToChannel()
{
    if (!m_document.HasTable())
        return;
    const std::int32_t iCount = static_cast<std::int32_t>(m_document.CurrentFrequencies().size());
    if (iCount == 0) {
        Services().ShowMessage(this, Text(kEmptyListText), MessageIcon::Exclamation);
        return;
    }
    const QString current = m_document.EditIndex() > 0 ? QString::number(m_document.EditIndex()) : QString();
    const auto values = Services().AskValues(this, {Text(kGoToChannelTitle), {{Text(kGoToChannelLabel), current}}});
    if (!values || values->empty())
        return;
    const QString typed = values->front().trimmed();
    std::int64_t iChannel = 0;
    if (!ParseInteger(typed.toStdString(), iChannel) || iChannel < 1 || iChannel > iCount) {
        Services().ShowMessage(this, Text(kNoSuchChannelText).arg(typed).arg(iCount), MessageIcon::Exclamation);
        return;
    }
    SelectChannel(static_cast<std::int32_t>(iChannel));
}

void CFrequencyTableDlg::OnFindFrequency()
{
    if (!m_document.HasTable())
        return;
    const auto values = Services().AskValues(this, {Text(kFindFrequencyTitle), {{Text(kFindFrequencyLabel), {}}}});
    if (!values || values->empty())
        return;
    const QString typed = values->front().trimmed();
    double dbFrequency = 0.0;
    if (!ParseDouble(typed.toStdString(), dbFrequency) || !std::isfinite(dbFrequency)) {
        Services().ShowMessage(this, Text(kNotAFrequencyText).arg(typed), MessageIcon::Exclamation);
        return;
    }
    const std::int32_t iChannel = m_document.NearestChannel(dbFrequency);
    if (iChannel == 0) {
        Services().ShowMessage(this, Text(kNoFrequencyInListText), MessageIcon::Exclamation);
        return;
    }
    SelectChannel(iChannel);
}
