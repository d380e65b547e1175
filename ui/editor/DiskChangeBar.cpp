#include "ui/editor/DiskChangeBar.h"

#include <utility>

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "ui/dialog/FileNames.h"
#include "ui/dialog/TopBar.h"

DiskChangeBar::DiskChangeBar(std::function<const TiedFile&()> tiedFile, std::function<void(const QString&)> reload,
                             QWidget* pParent)
    : QFrame(pParent), m_tiedFile(std::move(tiedFile)), m_reload(std::move(reload))
{
    m_pText = MakeTopBar(*this, QStringLiteral("DiskChangeBar"), QStringLiteral("File changed on disk"));
    QPushButton* pReload = AddTopBarButton(*this, QStringLiteral("Reload"));
    QPushButton* pKeep = AddTopBarButton(*this, QStringLiteral("Keep This Version"));
    connect(pReload, &QPushButton::clicked, this, [this] { Reload(); });
    connect(pKeep, &QPushButton::clicked, this, [this] { KeepThisVersion(); });
    // A save by another program replaces the file by a rename, which only its
    // folder hears of; a write in place is heard on the file.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { Check(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Check(); });
}

void DiskChangeBar::Follow()
{
    if (m_tiedFile().Path() != m_watchedPath) {
        m_kept.reset();
        WatchTiedFile();
    }
    Check();
}

QString DiskChangeBar::Text() const
{
    const std::string& path = m_tiedFile().Path();
    const QByteArray name = QByteArray::fromStdString(path.substr(path.find_last_of('/') + 1));
    return QStringLiteral("%1 changed on disk").arg(PrintableFileName(name));
}

void DiskChangeBar::Reload()
{
    hide();
    // The load ties the table to the file as it is now, which ends the change.
    m_reload(QFile::decodeName(QByteArray::fromStdString(m_tiedFile().Path())));
    Check();
}

void DiskChangeBar::KeepThisVersion()
{
    m_kept = IdentityOf(m_tiedFile().Path());
    hide();
}

void DiskChangeBar::WatchTiedFile()
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_watchedPath = m_tiedFile().Path();
    if (m_watchedPath.empty())
        return;
    const QString file = QFile::decodeName(QByteArray::fromStdString(m_watchedPath));
    m_watcher.addPath(file);
    const std::string::size_type slash = m_watchedPath.find_last_of('/');
    if (slash != std::string::npos)
        m_watcher.addPath(QFile::decodeName(QByteArray::fromStdString(m_watchedPath.substr(0, slash + 1))));
}

void DiskChangeBar::Check()
{
    const TiedFile& file = m_tiedFile();
    if (file.Path().empty() || !file.Identity()) {
        hide();
        return;
    }
    const std::optional<FileIdentity> onDisk = IdentityOf(file.Path());
    // A file replaced by a rename is watched anew under its name.
    const QString watched = QFile::decodeName(QByteArray::fromStdString(file.Path()));
    if (onDisk && !m_watcher.files().contains(watched))
        m_watcher.addPath(watched);
    // A file gone is no other version to take: the next save makes it again.
    const bool bChanged = onDisk && *onDisk != *file.Identity() && onDisk != m_kept;
    if (!bChanged) {
        hide();
        return;
    }
    m_pText->setText(Text());
    show();
}
