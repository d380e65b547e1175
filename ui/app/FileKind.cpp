#include "ui/app/FileKind.h"

#include <QFile>

#include "tables/format/TableFormat.h"

namespace {

FileKind FileKindOf(const std::optional<TableKind>& kind)
{
    if (!kind)
        return FileKind::Unknown;
    switch (*kind) {
    case TableKind::Channel: return FileKind::ChannelTable;
    case TableKind::Tuner: return FileKind::TunerTable;
    case TableKind::Legacy: return FileKind::LegacyTable;
    }
    return FileKind::Unknown;
}

} // namespace

FileKind KindOfFile(const QString& path)
{
    // Told as the tool tells it; a FIFO or a device is not looked into, since
    // opening it could block the program before any window is up.
    return FileKindOf(DetectTableKind(QFile::encodeName(path).toStdString()));
}

FileKind KindOfFileByName(const QString& path)
{
    return FileKindOf(TableKindFromPath(QFile::encodeName(path).toStdString()));
}
