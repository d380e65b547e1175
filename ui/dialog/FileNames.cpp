#include "ui/dialog/FileNames.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Printable.h"

std::optional<QString> DecodedFileName(const QByteArray& bytes)
{
    QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes)
        return std::nullopt;
    return name;
}

QString AbsoluteFileName(const QString& path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    QString relative = path;
    while (relative.startsWith(QStringLiteral("./")))
        relative.remove(0, 2);
    return QDir::currentPath() + QLatin1Char('/') + relative;
}

QString CanonicalFileName(const QString& path)
{
    const QString absolute = AbsoluteFileName(path);
    const std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(QFile::encodeName(absolute).constData(), nullptr), &std::free);
    return resolved ? QFile::decodeName(resolved.get()) : absolute;
}

QString PrintableFileName(const QByteArray& bytes)
{
    return QString::fromStdString(PrintableName(bytes.toStdString()));
}

QString PrintableFileName(const QString& path)
{
    return PrintableFileName(QFile::encodeName(path));
}

QString UndecodableNameText(const QByteArray& bytes)
{
    return QStringLiteral("Cannot open \"%1\": its name is not valid UTF-8, so it would be taken for another file.")
        .arg(PrintableFileName(bytes));
}

QString FolderOfFile(const std::string& path)
{
    if (path.empty())
        return {};
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absolutePath();
}
