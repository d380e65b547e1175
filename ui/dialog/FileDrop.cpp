#include "ui/dialog/FileDrop.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "ui/app/CLauncherDlg.h"
#include "ui/app/FileKind.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/FileNames.h"

namespace {

// The program's launcher, which routes every file the program is handed.
CLauncherDlg* FileRouter()
{
    for (QWidget* pWindow : QApplication::topLevelWidgets()) {
        auto* pLauncher = qobject_cast<CLauncherDlg*>(pWindow);
        if (pLauncher && !pLauncher->IsDestroyed())
            return pLauncher;
    }
    return nullptr;
}

// The path of a file URL of this computer ("file:///x.ccf", also with the
// host "localhost" or this computer's name), empty for any other URL: one of
// another machine ("file://server/x.ccf") is not a path here.
QString LocalPathOf(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    const QString host = url.host();
    if (host.isEmpty())
        return url.toLocalFile();
    const bool bThisComputer = host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
                               host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
    // With a host, toLocalFile gives a network share's "//host/path".
    return bThisComputer ? url.path() : QString();
}

QString Refusal(const QString& name, const QString& why)
{
    return QStringLiteral("Cannot open \"%1\": %2.").arg(PrintableFileName(name), why);
}

// Why the path cannot be opened, empty when it is a table file to open. A
// dragged file is told by its name, and only a table's name is asked of the
// file system (by stat): no file is opened, so that neither a FIFO nor a
// drag of a whole folder's files holds the window up.
QString WhyNotOpened(const QString& path)
{
    if (KindOfFileByName(path) == FileKind::Unknown)
        return Refusal(path, QStringLiteral("not a channel table (.ccf), tuner table (.tsf) or old table (.cft)"));
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        // A loop of links is no missing file: the person would look in vain.
        const int error = errno;
        return Refusal(path, error == ENOENT ? QStringLiteral("no such file")
                                             : QString::fromLocal8Bit(std::strerror(error)).toLower());
    }
    if (S_ISDIR(status.st_mode))
        return Refusal(path, QStringLiteral("it is a folder"));
    if (!S_ISREG(status.st_mode))
        return Refusal(path, QStringLiteral("not a regular file"));
    return {};
}

// The bytes a file URL names: its percent-escapes undone as bytes, which
// decoding to text would turn into a look-alike where they are not UTF-8.
QByteArray PathBytesOf(const QUrl& url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

QString WhyNotOpened(const QUrl& url)
{
    const QString path = LocalPathOf(url);
    if (path.isEmpty())
        return Refusal(url.toDisplayString(), QStringLiteral("not a file on this computer"));
    const QByteArray bytes = PathBytesOf(url);
    if (!DecodedFileName(bytes))
        return UndecodableNameText(bytes);
    return WhyNotOpened(path);
}

// Whether the drag holds a file to open; the files after the first such one
// are not looked at.
bool HoldsTableFile(const QList<QUrl>& urls)
{
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return WhyNotOpened(url).isEmpty(); });
}

bool HoldsUrls(const QEvent* pEvent)
{
    const QMimeData* pData = static_cast<const QDropEvent*>(pEvent)->mimeData();
    return pData && pData->hasUrls();
}

// Opening a file never moves it: a file manager that is told "moved"
// removes its own copy.
bool TakeAsCopy(QDropEvent& event)
{
    if (!(event.possibleActions() & Qt::CopyAction))
        return false;
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

} // namespace

DraggedFiles SortDraggedFiles(const QList<QUrl>& urls)
{
    DraggedFiles files;
    for (const QUrl& url : urls) {
        const QString why = WhyNotOpened(url);
        if (why.isEmpty())
            files.tables << LocalPathOf(url);
        else
            files.refused << why;
    }
    return files;
}

FileDropTarget::FileDropTarget(QWidget& window, UserServices& services)
    : QObject(&window), m_window(window), m_services(services)
{
    // The text fields take drops of their own and would take a file's URL as
    // text: they are watched too, so that a table file dropped on one opens.
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    for (QWidget* pChild : window.findChildren<QWidget*>())
        if (pChild->acceptDrops())
            pChild->installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    switch (pEvent->type()) {
    case QEvent::DragEnter:
        if (!HoldsUrls(pEvent))
            break;
        OnDragEnter(*static_cast<QDropEvent*>(pEvent));
        return true;
    case QEvent::DragMove:
        if (!HoldsUrls(pEvent))
            break;
        OnDragMove(*static_cast<QDropEvent*>(pEvent));
        return true;
    case QEvent::DragLeave: ForgetDrag(); break;
    case QEvent::Drop:
        if (!HoldsUrls(pEvent))
            break;
        OnDrop(*static_cast<QDropEvent*>(pEvent));
        return true;
    default: break;
    }
    return QObject::eventFilter(pWatched, pEvent);
}

bool FileDropTarget::ReadDraggedUrls(const QMimeData& mimeData)
{
    // Under X the URLs are asked of the dragging program for each read, and
    // its answer depends on the position it sent last: a read while a newer
    // position is under way comes back empty. The URLs of one drag never
    // change, so a read that came through stands for the whole drag.
    const QList<QUrl> urls = mimeData.urls();
    if (!urls.isEmpty())
        m_draggedUrls = urls;
    return !m_draggedUrls.isEmpty();
}

void FileDropTarget::OnDragEnter(QDropEvent& event)
{
    ForgetDrag();
    if (!FileRouter()) {
        event.ignore();
        return;
    }
    // A drag whose URLs could not be read yet is taken until a move reads
    // them: refusing its entering would leave the window deaf to its moves.
    const bool bRead = ReadDraggedUrls(*event.mimeData());
    m_bTakingDrag = !bRead || HoldsTableFile(m_draggedUrls);
    if (!m_bTakingDrag || !TakeAsCopy(event)) {
        m_bTakingDrag = false;
        event.ignore();
    }
}

void FileDropTarget::OnDragMove(QDropEvent& event)
{
    if (m_bTakingDrag && m_draggedUrls.isEmpty() && ReadDraggedUrls(*event.mimeData()))
        m_bTakingDrag = HoldsTableFile(m_draggedUrls);
    if (!m_bTakingDrag || m_draggedUrls.isEmpty() || !TakeAsCopy(event))
        event.ignore();
}

void FileDropTarget::OnDrop(QDropEvent& event)
{
    // Told again: the files may have changed since the drag entered.
    ReadDraggedUrls(*event.mimeData());
    const DraggedFiles files = SortDraggedFiles(m_draggedUrls);
    ForgetDrag();
    CLauncherDlg* pRouter = FileRouter();
    if (!pRouter || files.tables.isEmpty() || !TakeAsCopy(event)) {
        event.ignore();
        Refuse(files.refused);
        return;
    }
    // The files refused are told first: the files to open wait while the
    // message is up, as they wait for any dialog on top. They open once the
    // file manager has its answer, since an editor opened for one runs a
    // modal loop of its own.
    Refuse(files.refused);
    pRouter->OpenFilesFromAnotherStart(files.tables);
}

void FileDropTarget::ForgetDrag()
{
    m_bTakingDrag = false;
    m_draggedUrls.clear();
}

void FileDropTarget::Refuse(const QStringList& reasons)
{
    if (reasons.isEmpty())
        return;
    // A whole folder's files dropped make a message that still fits the screen.
    QStringList lines = reasons.mid(0, kMaxRefusalsNamed);
    if (reasons.size() > kMaxRefusalsNamed)
        lines << QStringLiteral("%1 more files cannot be opened either.").arg(reasons.size() - kMaxRefusalsNamed);
    QTimer::singleShot(0, &m_window, [this, text = lines.join(QLatin1Char('\n'))] {
        m_services.ShowMessage(&m_window, text, MessageIcon::Exclamation);
    });
}
