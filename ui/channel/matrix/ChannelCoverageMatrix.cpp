#include "ui/channel/matrix/ChannelCoverageMatrix.h"

#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableView>

#include "edit/ChannelTableDocument.h"
#include "res/Strings.h"
#include "tables/analysis/CoverageMatrixOutput.h"
#include "ui/app/RecentFiles.h"
#include "ui/app/UserServices.h"
#include "ui/channel/ChannelTunerCheck.h"
#include "ui/channel/matrix/CoverageMatrixModel.h"
#include "ui/channel/matrix/CoverageMatrixWindow.h"
#include "ui/dialog/FileNames.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/EditorFileCommands.h"

namespace {

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

ChannelCoverageMatrix::ChannelCoverageMatrix(ChannelTableDocument& document, ChannelTunerCheck& tunerCheck,
                                             UserServices& services, QWidget& owner,
                                             std::function<bool(const QString&)> open,
                                             std::function<void(TunerChoice)> check)
    : QObject(&owner), m_document(document), m_tunerCheck(tunerCheck), m_services(services), m_owner(owner),
      m_open(std::move(open)), m_check(std::move(check))
{
    // The document lives as long as the editor, and this part with it.
    document.Subscribe([this](const DocumentNews& news) { Follow(news); });
}

ChannelCoverageMatrix::~ChannelCoverageMatrix() = default;

CoverageMatrixWindow* ChannelCoverageMatrix::Window() const
{
    return m_pWindow;
}

void ChannelCoverageMatrix::Ask()
{
    std::optional<TunerTableTuners> tuners = m_tunerCheck.AskTunerTable(Latin1(kMatrixTitle));
    if (!tuners)
        return;
    const bool bNew = !m_pWindow;
    if (bNew)
        OpenWindow();
    m_pWindow->SetTuners(std::move(*tuners));
    m_pWindow->ShowOpenTable(m_document, true);
    if (bNew) {
        // The recent tables follow the open one, whose own entry it already shows.
        m_pWindow->AddTables(RecentFiles(Latin1(kChannelRecentKind)).Files());
        MoveBesideEditor(*m_pWindow);
    }
    m_pWindow->show();
    m_pWindow->raise();
    m_pWindow->activateWindow();
    m_pWindow->View()->setFocus();
}

void ChannelCoverageMatrix::OpenWindow()
{
    m_pWindow = new CoverageMatrixWindow(&m_owner);
    m_pWindow->onActivate = [this](int row, std::optional<std::size_t> tuner) { Activate(row, tuner); };
    m_pWindow->onAddTables = [this] { AddTables(); };
    m_pWindow->onAddFolder = [this] { AddFolder(); };
    m_pWindow->onExport = [this] { Export(); };
}

void ChannelCoverageMatrix::AddTables()
{
    FileDialogRequest request;
    request.bOpen = true;
    request.defaultExt = QStringLiteral("ccf");
    request.flags = OFN_HIDEREADONLY;
    // The channel tables, as Compare With... offers them.
    request.filter = Latin1(kCompareFileFilter);
    request.title = Latin1(kMatrixAddTablesTitle);
    request.directory = m_lastFolder.isEmpty() ? FolderOfFile(m_document.SavePath()) : m_lastFolder;
    const std::optional<QStringList> paths = m_services.ChooseFiles(request);
    if (!paths || paths->isEmpty() || !m_pWindow)
        return;
    m_lastFolder = QFileInfo(paths->constFirst()).absolutePath();
    m_pWindow->AddTables(*paths);
}

void ChannelCoverageMatrix::AddFolder()
{
    FileDialogRequest request;
    request.bOpen = true;
    request.title = Latin1(kMatrixAddFolderTitle);
    request.directory = m_lastFolder.isEmpty() ? FolderOfFile(m_document.SavePath()) : m_lastFolder;
    const std::optional<QString> folder = m_services.ChooseFolder(request);
    if (!folder || !m_pWindow)
        return;
    m_lastFolder = *folder;
    // The folder's own tables, not those of the folders in it.
    const QDir dir(*folder);
    QStringList paths;
    for (const QString& name : dir.entryList({QStringLiteral("*.ccf")}, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    m_pWindow->AddTables(paths);
}

void ChannelCoverageMatrix::Export()
{
    if (!m_pWindow)
        return;
    const QString filter = Latin1(kMatrixExportFilter);
    // Named after the tuner table, beside it.
    const TableFileNames names{QFile::encodeName(m_pWindow->Tuners().path).toStdString(), {}};
    std::optional<FileChoice> chosen =
        m_services.ChooseFileAndFilter(CommandFileRequest(FileCommand::Export, names, filter, QStringLiteral("csv")));
    if (!chosen || !m_pWindow)
        return;
    const NamedCoverageMatrix matrix = m_pWindow->Model().CountedMatrix();
    const bool bSvg =
        ResolveExportFormat(filter, *chosen, QStringLiteral("csv"), QStringLiteral("svg")) == QLatin1String("svg");
    const std::string text =
        bSvg ? CoverageMatrixSvg(matrix, m_pWindow->windowTitle().toStdString()) : CoverageMatrixCsv(matrix);
    WriteExportFile(m_services, m_pWindow, chosen->path, text.data(), text.size());
}

void ChannelCoverageMatrix::Activate(int row, std::optional<std::size_t> tuner)
{
    if (!m_pWindow || row < 0 || row >= m_pWindow->Model().RowCount())
        return;
    const CoverageMatrixModel::Row& shown = m_pWindow->Model().RowAt(row);
    if (shown.state == CoverageMatrixModel::RowState::Unreadable)
        return;
    const QString path = shown.path;
    // The tuner's choice is taken before the open, which may count the rows anew.
    std::optional<TunerChoice> choice;
    if (tuner && *tuner < m_pWindow->Tuners().entries.size())
        choice = m_pWindow->Tuners().ChoiceOf(*tuner);
    // The first row is the open table, which stays, as does a row of its
    // file; another row's file is opened as the editor's Open opens it, and
    // the first row follows.
    const bool bOpenAlready =
        row == 0 || CanonicalFileName(path) ==
                        CanonicalFileName(QFile::decodeName(QByteArray::fromStdString(m_document.SavePath())));
    if (!bOpenAlready && !m_open(path))
        return;
    if (choice && m_document.HasTable())
        m_check(std::move(*choice));
}

void ChannelCoverageMatrix::Follow(const DocumentNews& news)
{
    // A save changes no list, only the name the row shows.
    if (m_pWindow && news.change == DocumentChange::Edited)
        m_pWindow->ShowOpenTable(m_document, news.ChangedTable());
}
