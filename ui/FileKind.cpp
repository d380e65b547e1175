#include "FileKind.h"

#include <QFile>
#include <QFileInfo>

FileKind KindOfFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ccf"))
        return FileKind::ChannelTable;
    if (suffix == QLatin1String("tsf"))
        return FileKind::TunerTable;
    if (suffix == QLatin1String("cft"))
        return FileKind::LegacyTable;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::Unknown;
    const QByteArray head = file.read(8);
    if (head.size() < 8)
        return FileKind::Unknown;
    const QByteArray magic = head.mid(4, 4);
    if (magic == "CHFQ")
        return FileKind::ChannelTable;
    if (magic == "TNSP")
        return FileKind::TunerTable;
    return FileKind::Unknown;
}
