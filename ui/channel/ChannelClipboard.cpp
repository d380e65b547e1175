#include "ui/channel/ChannelClipboard.h"

#include <QWidget>

#include "edit/ChannelTableDocument.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/ChannelCsv.h"
#include "tables/text/PastedFrequencies.h"
#include "ui/app/ClipboardService.h"
#include "ui/app/UserServices.h"

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

const std::vector<PartCommand<ChannelClipboard>>& ChannelClipboard::Commands()
{
    // Both keep the desktop's keys, which a focused text field keeps for its
    // own text (KeyScope::Window). The clipboard is not asked whether it
    // holds text before the command runs: on X11 that is a round trip to
    // another program at every key.
    static const std::vector<PartCommand<ChannelClipboard>> commands = {
        {IDM_COPY_ROWS, "Cop&y", {StandardShortcut::Copy}, true, &ChannelClipboard::Copy},
        {IDM_PASTE_ROWS,
         "Pas&te",
         {StandardShortcut::Paste},
         false,
         [](ChannelClipboard& clipboard) { clipboard.Paste(false); }},
        // With a row selected, Paste goes before it: this appends.
        {IDM_PASTE_AT_END, "Paste at &End", {}, false, [](ChannelClipboard& clipboard) { clipboard.Paste(true); }},
    };
    return commands;
}

ChannelClipboard::ChannelClipboard(ChannelTableDocument& document, UserServices& services, QWidget& owner,
                                   ChannelListAccess list)
    : m_document(document), m_services(services), m_owner(owner), m_list(std::move(list))
{
}

void ChannelClipboard::ShowMessage(const QString& text) const
{
    m_services.ShowMessage(&m_owner, text, MessageIcon::Exclamation);
}

void ChannelClipboard::Copy()
{
    const std::vector<std::int32_t> channels = m_list.selected();
    if (!m_document.HasTable() || channels.empty())
        return;
    const std::vector<double> frequencies = m_document.CurrentFrequencies();
    const std::string tabs = ChannelRowsText(frequencies, channels, ChannelRowsForm::TabSeparated);
    const std::string csv = ChannelRowsText(frequencies, channels, ChannelRowsForm::Csv);
    m_services.Clipboard().PutRows(QString::fromStdString(tabs), QByteArray::fromStdString(csv));
    m_list.note(channels.size() == 1 ? QString::fromLatin1(kCopiedOneNote)
                                     : QString::fromLatin1(kCopiedNote).arg(channels.size()));
}

void ChannelClipboard::Paste(bool bAtEnd)
{
    if (!m_document.HasTable())
        return;
    // A stopped or hung owner would freeze the window: it is asked first.
    if (!m_services.Clipboard().Answers()) {
        m_list.note(QString::fromLatin1(kClipboardSilentNote));
        return;
    }
    const QString text = m_services.Clipboard().Text();
    if (text.trimmed().isEmpty())
        return;
    // No list's frequencies take so much: refused before it is converted.
    const QString tooLarge = QString::fromLatin1(kPasteTooLargeText).arg(kMaxPastedTextBytes / (1024 * 1024));
    if (static_cast<std::size_t>(text.size()) > kMaxPastedTextBytes) {
        ShowMessage(tooLarge);
        return;
    }
    const std::string utf8 = text.toStdString();
    if (utf8.size() > kMaxPastedTextBytes) {
        ShowMessage(tooLarge);
        return;
    }
    PastedFrequencies pasted;
    PastedTextFault fault;
    if (!ReadPastedFrequencies(utf8, pasted, fault)) {
        ShowMessage(QString::fromLatin1(kPasteFaultText)
                        .arg(static_cast<qulonglong>(fault.line))
                        .arg(QString::fromStdString(fault.reason)));
        return;
    }
    const std::vector<double>& frequencies = pasted.frequencies;
    if (frequencies.empty())
        return;
    if (pasted.bStoppedAtLimit) {
        ShowMessage(QString::fromLatin1(kPasteFarTooManyText).arg(kMaxPastedFrequencies));
        return;
    }
    const std::int32_t iCount = m_document.CurrentCount();
    if (frequencies.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels - iCount)) {
        ShowMessage(QString::fromLatin1(kPasteTooManyText)
                        .arg(iCount)
                        .arg(static_cast<qulonglong>(frequencies.size()))
                        .arg(ChannelTable::kMaxChannels));
        return;
    }
    // Before the current row's channel, else after the last.
    const std::int32_t iCurrent = m_list.current();
    const std::int32_t iTarget = iCurrent > 0 ? iCurrent : iCount + 1;
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> added =
        bAtEnd ? m_document.PasteChannels(iCount + 1, frequencies, ChannelTableDocument::kPasteAtEndStepName)
               : m_document.PasteChannels(iTarget, frequencies);
    if (added.empty())
        return;
    m_list.showSelected(added);
    m_list.note(PastedNote(added.size(), pasted.column));
}
