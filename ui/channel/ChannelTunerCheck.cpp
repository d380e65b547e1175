#include "ui/channel/ChannelTunerCheck.h"

#include <utility>

#include <QFile>

#include "edit/ChannelTableDocument.h"
#include "edit/TableOperations.h"
#include "res/Strings.h"
#include "tables/analysis/TunerCoverage.h"
#include "tables/catalogue/TunerCatalogue.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/FileMessages.h"
#include "ui/dialog/FileNames.h"
#include "ui/tuner/TunerChooser.h"

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

ChannelTunerCheck::ChannelTunerCheck(const ChannelTableDocument& document, UserServices& services, QWidget& owner)
    : m_document(document), m_services(services), m_owner(owner)
{
}

TunerChoice TunerTableTuners::ChoiceOf(std::size_t index) const
{
    const TunerSpecEntry& entry = entries.at(index);
    return TunerChoice{LocalPath(path), entry, names.FactoryName(entry.iFactory()),
                       names.TypeName(entry.iFactory(), entry.iTunerType())};
}

std::optional<TunerChoice> ChannelTunerCheck::AskTuner()
{
    std::optional<TunerTableTuners> tuners = AskTunerTable(Text(kCheckAgainstTunerTitle));
    if (!tuners)
        return std::nullopt;
    // The chooser borrows the entries, 100,000 of them at the most, and
    // gives them back.
    TunerChooserRequest request;
    request.title = Text(kCheckAgainstTunerTitle);
    request.tablePath = tuners->path;
    request.entries = std::move(tuners->entries);
    request.names = tuners->names;
    if (m_chosen)
        request.preselected = PreviousChoiceIn(request.entries, m_chosen->entry);
    const std::optional<std::size_t> chosen = m_services.ChooseTuner(&m_owner, request);
    tuners->entries = std::move(request.entries);
    if (!chosen || *chosen >= tuners->entries.size())
        return std::nullopt;
    m_lastTunerTable = tuners->path;
    return tuners->ChoiceOf(*chosen);
}

std::optional<TunerTableTuners> ChannelTunerCheck::AskTunerTable(const QString& title)
{
    FileDialogRequest request;
    request.bOpen = true;
    request.defaultExt = QStringLiteral("tsf");
    request.flags = OFN_HIDEREADONLY;
    request.filter = Text(kTunerFileFilter);
    request.title = title;
    // The tuner table chosen last, or the folder of the channel table's file.
    request.fileName = m_lastTunerTable;
    if (m_lastTunerTable.isEmpty())
        request.directory = FolderOfFile(m_document.SavePath());
    const std::optional<QString> path = m_services.ChooseFile(request);
    if (!path)
        return std::nullopt;
    return ReadTunerTable(*path);
}

std::optional<TunerTableTuners> ChannelTunerCheck::ReadTunerTable(const QString& path)
{
    // Read as the tuner editor reads a file: a FIFO, a device or a directory
    // is refused unopened, a count above the largest table is refused
    // before anything is made, and the message is the tuner editor's.
    TunerSpecTable table(false);
    const TableLoadResult loaded = LoadTableFile(LocalPath(path), table, NonRegularFiles::Refuse);
    if (!loaded.Loaded()) {
        ShowFileError(m_services, &m_owner, FileAction::Load, path, loaded.error);
        return std::nullopt;
    }
    TunerTableTuners tuners{path, EntriesOf(table), {}};
    if (tuners.entries.empty()) {
        m_services.ShowMessage(&m_owner, Text(kNoTunersText).arg(path), MessageIcon::Exclamation);
        return std::nullopt;
    }
    // The names the tuner editor would show; without a catalogue, codes only.
    TunerCatalogue catalogue;
    if (m_cataloguePath.empty() ? catalogue.Open() : catalogue.Open(m_cataloguePath))
        tuners.names = TunerNames::Read(catalogue, tuners.entries);
    return tuners;
}

std::optional<TunerFindings> ChannelTunerCheck::Findings() const
{
    if (!m_chosen || !m_document.HasTable())
        return std::nullopt;
    TunerFindings findings;
    findings.tuner = m_chosen->Bands();
    findings.uncovered = CoverTable(*m_document.Table(), findings.tuner).uncovered;
    findings.judgedAgainst =
        Text(kAgainstTunerText)
            .arg(QString::fromStdString(TunerLabel(*m_chosen)), ChannelsOutsideText(findings.uncovered.size()));
    return findings;
}
