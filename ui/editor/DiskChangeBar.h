#pragma once
// The bar at the top of an editor that says when the file its table is tied
// to was changed on disk by someone else (another program, a conversion run
// again): "de.ccf changed on disk", with Reload and Keep This Version. It asks
// nothing and blocks nothing; the table on screen stays as it is until the
// person reloads, and a reload is one step that Undo takes back.

#include <functional>
#include <optional>
#include <string>

#include <QFileSystemWatcher>
#include <QFrame>

#include "platform/FileIdentity.h"

class QLabel;
class QPushButton;

class DiskChangeBar : public QFrame
{
    Q_OBJECT

public:
    // tiedFile gives the file the table is tied to now; reload loads it again
    // as the editor's own load does.
    DiskChangeBar(std::function<const TiedFile&()> tiedFile, std::function<void(const QString&)> reload,
                  QWidget* pParent);

    // The table changed: it may be tied to another file now, or the editor
    // wrote the file itself.
    void Follow();
    QString Text() const;

    // The buttons' work.
    void Reload();
    void KeepThisVersion();

private:
    void WatchTiedFile();
    void Check();

    std::function<const TiedFile&()> m_tiedFile;
    std::function<void(const QString&)> m_reload;
    QFileSystemWatcher m_watcher;
    std::string m_watchedPath;
    // The version on disk the person chose not to take: not told again.
    std::optional<FileIdentity> m_kept;
    QLabel* m_pText = nullptr;
};
