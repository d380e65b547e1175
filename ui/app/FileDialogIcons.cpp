#include "ui/app/FileDialogIcons.h"

#include <QFileInfo>

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    // isDir asks the file system (stat), which never reads the file.
    return icon(info.isDir() ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QStringLiteral("Folder");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
}
