// Table > Check Against Tuner... of the channel table editor: a tuner table
// chosen and read as the tuner editor reads one, one of its tuners chosen in
// the tuner chooser, and the table checked against that tuner. The editor
// keeps the choice while it is open: Check Table, the status line's summary
// and the band chart judge the table against it until another is chosen. The
// choice is no part of the table: undo and redo leave it, and no file or
// recovery copy holds it.

#include <QFile>
#include <QFileInfo>

#include "CFrequencyTableDlg.h"
#include "FileMessages.h"
#include "Strings.h"
#include "TableOperations.h"
#include "TunerCatalogue.h"
#include "TunerChooser.h"
#include "TunerCoverage.h"

namespace {

QString Text(const char* text)
{
    return QString::fromLatin1(text);
}

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::vector<TunerSpecEntry> EntriesOf(const TunerSpecTable& table)
{
    std::vector<TunerSpecEntry> entries;
    for (const TunerSpecNode& node : table.Entries())
        entries.push_back(node.entry);
    return entries;
}

// "3 channels outside", "1 channel outside", "no channel outside".
QString ChannelsOutsideText(std::size_t count)
{
    if (count == 0)
        return Text(kNoChannelOutsideText);
    return count == 1 ? Text(kOneChannelOutsideText) : Text(kChannelsOutsideText).arg(count);
}

} // namespace

void CFrequencyTableDlg::OnCheckAgainstTuner()
{
    if (!m_document.HasTable())
        return;
    FileDialogRequest request;
    request.bOpen = true;
    request.defaultExt = QStringLiteral("tsf");
    request.flags = OFN_HIDEREADONLY;
    request.filter = Text(kTunerFileFilter);
    request.title = Text(kCheckAgainstTunerTitle);
    // The tuner table chosen last, or the folder of the channel table's file.
    request.fileName = m_lastTunerTable;
    if (m_lastTunerTable.isEmpty() && !m_document.SavePath().empty())
        request.directory =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_document.SavePath()))).absolutePath();
    const std::optional<QString> path = Services().ChooseFile(request);
    if (!path)
        return;
    std::optional<TunerChoice> choice = AskTunerFrom(*path);
    if (!choice)
        return;
    m_lastTunerTable = *path;
    ChooseTuner(std::move(choice));
    // The findings as Check Table shows them, now with the tuner's.
    OnCheckTable();
}

std::optional<TunerChoice> CFrequencyTableDlg::AskTunerFrom(const QString& path)
{
    // Read as the tuner editor reads a file: a FIFO, a device or a directory
    // is refused unopened, a count above the largest table is refused
    // before anything is made, and the message is the tuner editor's.
    const std::string localPath = LocalPath(path);
    TunerSpecTable table(false);
    const TableLoadResult loaded = LoadTableFile(localPath, table, NonRegularFiles::Refuse);
    if (!loaded.Loaded()) {
        ShowFileError(Services(), this, FileAction::Load, path, loaded.error);
        return std::nullopt;
    }
    TunerChooserRequest request;
    request.title = Text(kCheckAgainstTunerTitle);
    request.tablePath = path;
    request.entries = EntriesOf(table);
    if (request.entries.empty()) {
        Services().ShowMessage(this, Text(kNoTunersText).arg(path), MessageIcon::Exclamation);
        return std::nullopt;
    }
    // The names the tuner editor would show; without a catalogue, codes only.
    TunerCatalogue catalogue;
    if (m_cataloguePath.empty() ? catalogue.Open() : catalogue.Open(m_cataloguePath))
        request.names = TunerNames::Read(catalogue, request.entries);
    if (m_chosenTuner)
        request.preselected = PreviousChoiceIn(request.entries, m_chosenTuner->entry);
    const std::optional<std::size_t> chosen = Services().ChooseTuner(this, request);
    if (!chosen || *chosen >= request.entries.size())
        return std::nullopt;
    const TunerSpecEntry& entry = request.entries[*chosen];
    return TunerChoice{localPath, entry, request.names.FactoryName(entry.iFactory()),
                       request.names.TypeName(entry.iFactory(), entry.iTunerType())};
}

std::optional<TunerFindings> CFrequencyTableDlg::ChosenTunerFindings() const
{
    if (!m_chosenTuner || !m_document.HasTable())
        return std::nullopt;
    TunerFindings findings;
    findings.tuner = m_chosenTuner->Bands();
    findings.uncovered = CoverTable(*m_document.Table(), findings.tuner).uncovered;
    findings.judgedAgainst =
        Text(kAgainstTunerText)
            .arg(QString::fromStdString(TunerLabel(*m_chosenTuner)), ChannelsOutsideText(findings.uncovered.size()));
    return findings;
}
