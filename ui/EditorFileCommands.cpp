#include "EditorFileCommands.h"

#include <QFileInfo>

#include "Strings.h"
#include "TableTransfer.h"

FileDialogRequest TransferFileRequest(bool bOpen, bool bCsvLists)
{
    FileDialogRequest request;
    request.bOpen = bOpen;
    request.defaultExt = QStringLiteral("json");
    request.fileName = QStringLiteral("Vornalix");
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.filter = QString::fromLatin1(bCsvLists ? kChannelTransferFilter : kTunerTransferFilter);
    return request;
}

bool IsCsvFile(const QString& path)
{
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

void ShowTransferError(UserServices& services, QWidget* pOwner, bool bImport, const std::string& path,
                       const TransferError& error)
{
    const QString text = QString::fromLatin1(bImport ? kCannotImportText : kCannotExportText)
                             .arg(QString::fromStdString(TransferMessage(path, error)));
    services.ShowMessage(pOwner, text, MessageIcon::Exclamation);
}

void OpenRecentFile(UserServices& services, QWidget* pOwner, const QString& recentKind, int index,
                    const std::function<bool(const QString&)>& open)
{
    RecentFiles recent(recentKind);
    const QStringList files = recent.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files[index];
    if (!QFileInfo::exists(path)) {
        recent.Remove(path);
        services.ShowMessage(pOwner, QString::fromLatin1(kRecentFileMissingText).arg(path), MessageIcon::Exclamation);
        return;
    }
    open(path);
}
