#include "ui/channel/compare/ChannelTableCompare.h"

#include <memory>
#include <utility>

#include <QFile>
#include <QFileInfo>
#include <QTreeView>

#include "edit/ChannelTableDocument.h"
#include "edit/TableOperations.h"
#include "res/Strings.h"
#include "ui/app/UserServices.h"
#include "ui/channel/compare/ChannelCompareWindow.h"
#include "ui/dialog/FileMessages.h"
#include "ui/dialog/FileNames.h"
#include "ui/editor/CTableFindingsWindow.h"

namespace {

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

ChannelTableCompare::ChannelTableCompare(ChannelTableDocument& document, UserServices& services, QWidget& owner,
                                         std::function<void(std::int32_t, std::int32_t)> activate,
                                         std::function<void(const QString&, bool)> copied)
    : QObject(&owner), m_document(document), m_services(services), m_owner(owner), m_activate(std::move(activate)),
      m_copied(std::move(copied))
{
    // The document lives as long as the editor, and this part with it.
    m_document.Subscribe([this](const DocumentNews& news) { Follow(news); });
}

ChannelTableCompare::~ChannelTableCompare() = default;

ChannelCompareWindow* ChannelTableCompare::Window() const
{
    return m_pWindow;
}

void ChannelTableCompare::Ask()
{
    FileDialogRequest request;
    request.bOpen = true;
    request.defaultExt = QStringLiteral("ccf");
    request.filter = Latin1(kCompareFileFilter);
    request.title = Latin1(kCompareChooseTitle);
    request.fileName = m_lastPath;
    if (m_lastPath.isEmpty())
        request.directory = FolderOfFile(m_document.SavePath());
    if (const std::optional<QString> path = m_services.ChooseFile(request))
        CompareWith(*path);
}

bool ChannelTableCompare::CompareWith(const QString& path)
{
    // Read as the editor reads a table: a FIFO, a device or a directory is
    // refused unopened, and the message is the editor's.
    auto pOther = std::make_unique<ChannelTable>(false);
    const TableLoadResult loaded =
        LoadTableFile(QFile::encodeName(path).toStdString(), *pOther, NonRegularFiles::Refuse);
    if (!loaded.Loaded()) {
        ShowFileError(m_services, &m_owner, FileAction::Load, path, loaded.error);
        return false;
    }
    m_lastPath = path;
    const bool bNew = !m_pWindow;
    if (bNew) {
        m_pWindow = new ChannelCompareWindow(&m_owner);
        m_pWindow->onActivate = [this](std::int32_t iList, std::int32_t iChannel) { m_activate(iList, iChannel); };
        m_pWindow->onCopy = [this] { CopyToThisTable(); };
    }
    m_pWindow->SetOther(std::move(pOther), QFileInfo(path).fileName());
    m_pWindow->Follow(m_document);
    if (bNew)
        MoveBesideEditor(*m_pWindow);
    m_pWindow->show();
    m_pWindow->raise();
    m_pWindow->activateWindow();
    m_pWindow->View()->setFocus();
    return true;
}

void ChannelTableCompare::CopyToThisTable()
{
    if (!m_pWindow)
        return;
    bool bCountryCode = false;
    const std::vector<ChannelTableDocument::ChannelPlace> places = m_pWindow->ChosenPlaces(bCountryCode);
    const std::int32_t iCodeBefore = m_document.CountryCode();
    const std::int32_t changed = m_document.CopyFromTable(m_pWindow->Other(), places, bCountryCode);
    m_copied(changed > 0 ? Latin1(kCompareCopiedNote).arg(changed) : Latin1(kCompareNothingCopied),
             m_document.CountryCode() != iCodeBefore);
}

void ChannelTableCompare::Follow(const DocumentNews& news)
{
    if (m_pWindow && news.change == DocumentChange::Edited && news.ChangedTable())
        m_pWindow->Follow(m_document);
}
