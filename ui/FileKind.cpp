#include "FileKind.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <vector>

#include "FileIO.h"

FileKind KindOfFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ccf"))
        return FileKind::ChannelTable;
    if (suffix == QLatin1String("tsf"))
        return FileKind::TunerTable;
    if (suffix == QLatin1String("cft"))
        return FileKind::LegacyTable;

    // Read as the tables read: a FIFO or a device is not looked into, since
    // opening it could block the program before any window is up.
    std::vector<std::uint8_t> head;
    if (!ReadFileBytes(QFile::encodeName(path).constData(), head, 8) || head.size() < 8)
        return FileKind::Unknown;
    const QByteArray magic(reinterpret_cast<const char*>(head.data()) + 4, 4);
    if (magic == "CHFQ")
        return FileKind::ChannelTable;
    if (magic == "TNSP")
        return FileKind::TunerTable;
    return FileKind::Unknown;
}
