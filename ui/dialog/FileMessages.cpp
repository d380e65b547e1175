#include "ui/dialog/FileMessages.h"

#include "platform/FileIO.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/FileNames.h"

QString FileErrorText(FileAction action, const QString& path, const FileError& error)
{
    const QString verb = action == FileAction::Load ? QStringLiteral("load") : QStringLiteral("save");
    return QStringLiteral("Cannot %1 \"%2\": %3")
        .arg(verb, PrintableFileName(path), QString::fromLocal8Bit(error.text.c_str()));
}

void ShowFileError(UserServices& services, QWidget* pOwner, FileAction action, const QString& path,
                   const FileError& error)
{
    services.ShowMessage(pOwner, FileErrorText(action, path, error), MessageIcon::Exclamation);
}
