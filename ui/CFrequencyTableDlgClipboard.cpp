// Copy and Paste of channel rows in the channel table editor. Copy puts the
// selected rows of the list shown on the clipboard, as tab-separated channel
// numbers and frequencies that a spreadsheet pastes into two columns and as
// the tool's CSV; Paste reads frequencies from the clipboard's text (a value
// per line, or a table copied from a spreadsheet or a CSV file) and inserts
// them before the current row as one step. Both keep the desktop's keys,
// which a focused text field keeps for its own text.
#include "CFrequencyTableDlg.h"

#include "ChannelBulkEdits.h"
#include "ChannelCsv.h"
#include "ClipboardService.h"
#include "EditorStatusLine.h"
#include "ListView.h"
#include "PastedFrequencies.h"
#include "Strings.h"
#include "resource.h"

namespace {

// "3 channels pasted from column 2 "Frequency (MHz)", decimal commas read".
QString PastedNote(std::size_t count, const PastedColumn& column)
{
    const QString channels = count == 1 ? QStringLiteral("channel") : QStringLiteral("channels");
    QString note = column.heading.empty()
                       ? QString::fromLatin1(kPastedNote).arg(count).arg(channels).arg(column.index + 1)
                       : QString::fromLatin1(kPastedHeadingNote)
                             .arg(count)
                             .arg(channels)
                             .arg(column.index + 1)
                             .arg(QString::fromStdString(column.heading));
    if (column.bDecimalComma)
        note += QString::fromLatin1(kPastedDecimalCommaNote);
    return note;
}

} // namespace

CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::ClipboardCommands()
{
    using Dialog = CFrequencyTableDlg;
    const auto hasRows = [](const Dialog& dialog) {
        return dialog.m_document.HasTable() && dialog.GetListView(IDC_LIST_CHANNELS)->GetNextSelected(-1) >= 0;
    };
    // The clipboard is not asked whether it holds text before the command
    // runs: on X11 that is a round trip to another program at every key.
    // KeyScope::Window: a focused field keeps Ctrl+C and Ctrl+V for its text.
    return {
        {IDM_COPY_ROWS, "Cop&y", {StandardShortcut::Copy}, hasRows, &Dialog::OnCopyRows},
        {IDM_PASTE_ROWS,
         "Pas&te",
         {StandardShortcut::Paste},
         SharedEditorCommands::HasTable<Dialog>,
         &Dialog::OnPasteRows},
        // With a row selected, Paste goes before it: this appends.
        {IDM_PASTE_AT_END, "Paste at &End", {}, SharedEditorCommands::HasTable<Dialog>, &Dialog::OnPasteRowsAtEnd},
    };
}

void CFrequencyTableDlg::OnCopyRows()
{
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (!m_document.HasTable() || channels.empty())
        return;
    const std::vector<double> frequencies = m_document.CurrentFrequencies();
    const std::string tabs = ChannelRowsText(frequencies, channels, ChannelRowsForm::TabSeparated);
    const std::string csv = ChannelRowsText(frequencies, channels, ChannelRowsForm::Csv);
    Services().Clipboard().PutRows(QString::fromStdString(tabs), QByteArray::fromStdString(csv));
    m_pStatusLine->ShowNote(channels.size() == 1 ? QString::fromLatin1(kCopiedOneNote)
                                                 : QString::fromLatin1(kCopiedNote).arg(channels.size()));
}

std::int32_t CFrequencyTableDlg::PasteTarget() const
{
    const QModelIndex current = GetListView(IDC_LIST_CHANNELS)->currentIndex();
    return current.isValid() ? current.row() + 1 : m_document.CurrentCount() + 1;
}

void CFrequencyTableDlg::OnPasteRows()
{
    PasteRows(false);
}

void CFrequencyTableDlg::OnPasteRowsAtEnd()
{
    PasteRows(true);
}

void CFrequencyTableDlg::PasteRows(bool bAtEnd)
{
    if (!m_document.HasTable())
        return;
    // A stopped or hung owner would freeze the window: it is asked first.
    if (!Services().Clipboard().Answers()) {
        m_pStatusLine->ShowNote(QString::fromLatin1(kClipboardSilentNote));
        return;
    }
    const QString text = Services().Clipboard().Text();
    if (text.trimmed().isEmpty())
        return;
    // No list's frequencies take so much: refused before it is converted.
    const QString tooLarge = QString::fromLatin1(kPasteTooLargeText).arg(kMaxPastedTextBytes / (1024 * 1024));
    if (static_cast<std::size_t>(text.size()) > kMaxPastedTextBytes) {
        m_pBulkEdits->ShowMessage(tooLarge);
        return;
    }
    const std::string utf8 = text.toStdString();
    if (utf8.size() > kMaxPastedTextBytes) {
        m_pBulkEdits->ShowMessage(tooLarge);
        return;
    }
    PastedFrequencies pasted;
    PastedTextFault fault;
    if (!ReadPastedFrequencies(utf8, pasted, fault)) {
        m_pBulkEdits->ShowMessage(QString::fromLatin1(kPasteFaultText)
                                      .arg(static_cast<qulonglong>(fault.line))
                                      .arg(QString::fromStdString(fault.reason)));
        return;
    }
    const std::vector<double>& frequencies = pasted.frequencies;
    if (frequencies.empty())
        return;
    if (pasted.bStoppedAtLimit) {
        m_pBulkEdits->ShowMessage(QString::fromLatin1(kPasteFarTooManyText).arg(kMaxPastedFrequencies));
        return;
    }
    const std::int32_t iCount = m_document.CurrentCount();
    if (frequencies.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels - iCount)) {
        m_pBulkEdits->ShowMessage(QString::fromLatin1(kPasteTooManyText)
                                      .arg(iCount)
                                      .arg(static_cast<qulonglong>(frequencies.size()))
                                      .arg(ChannelTable::kMaxChannels));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> added =
        bAtEnd ? m_document.PasteChannels(iCount + 1, frequencies, ChannelTableDocument::kPasteAtEndStepName)
               : m_document.PasteChannels(PasteTarget(), frequencies);
    if (added.empty())
        return;
    ShowBulkResult(added);
    m_pStatusLine->ShowNote(PastedNote(added.size(), pasted.column));
}
