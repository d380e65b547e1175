#include "ui/editor/EditorFileCommands.h"

#include <cstring>

#include <QDir>
#include <QFileInfo>

#include "edit/ChannelTableDocument.h"
#include "edit/TableTransfer.h"
#include "edit/TunerTableDocument.h"
#include "res/Strings.h"
#include "tables/catalogue/CountryCatalogue.h"

namespace {

const char* CommandTitle(FileCommand command)
{
    switch (command) {
    case FileCommand::Open: return "Open";
    case FileCommand::SaveAs: return "Save As";
    case FileCommand::Import: return "Import";
    case FileCommand::Export: return "Export";
    }
    return "";
}

// The proposed file of a table of no file: its own name with the extension,
// in the current folder; nothing without a name.
QString NewTableFileName(const QString& newTableName, const QString& extension)
{
    if (newTableName.isEmpty())
        return {};
    // A name is one file name: a slash in a country's name is no folder.
    QString name = newTableName;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    return name + QLatin1Char('.') + extension;
}

// The table's file with another extension: "fr.ccf" exported is "fr.json".
QString WithExtension(const QFileInfo& file, const QString& extension)
{
    return file.dir().filePath(file.completeBaseName() + QLatin1Char('.') + extension);
}

} // namespace

TableFileNames FileNamesOf(const ChannelTableDocument& document)
{
    TableFileNames names;
    names.savePath = document.SavePath();
    if (document.HasTable()) {
        const char* const pszCountry = LookupCountry(document.CountryCode()).pszCountry;
        if (std::strcmp(pszCountry, kUnknownCountryText) != 0)
            names.newTableName = QString::fromLatin1(pszCountry);
    }
    return names;
}

TableFileNames FileNamesOf(const TunerTableDocument& document)
{
    return TableFileNames{document.SavePath(), QString()};
}

FileDialogRequest CommandFileRequest(FileCommand command, const TableFileNames& names, const QString& filter,
                                     const QString& defaultExt)
{
    FileDialogRequest request;
    request.bOpen = command == FileCommand::Open || command == FileCommand::Import;
    request.defaultExt = defaultExt;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.filter = filter;
    request.title = QString::fromLatin1(CommandTitle(command));
    const bool bHasFile = !names.savePath.empty();
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(names.savePath)));
    if (bHasFile)
        request.directory = file.absolutePath();
    // The extension a name proposed for saving takes: the first filter's.
    QString extension = FilterExtension(filter, 0);
    if (extension.isEmpty())
        extension = defaultExt;
    switch (command) {
    case FileCommand::Open:
    case FileCommand::Import: break;
    case FileCommand::SaveAs:
        request.fileName = bHasFile ? file.absoluteFilePath() : NewTableFileName(names.newTableName, extension);
        break;
    case FileCommand::Export:
        request.fileName = bHasFile ? WithExtension(file, extension) : NewTableFileName(names.newTableName, extension);
        break;
    }
    return request;
}

FileDialogRequest ButtonFileRequest(FileDialogRequest request)
{
    request.fileName = QString::fromLatin1(kProductName);
    return request;
}

FileDialogRequest TransferFileRequest(FileCommand command, const TableFileNames& names, bool bCsvLists)
{
    return CommandFileRequest(command, names,
                              QString::fromLatin1(bCsvLists ? kChannelTransferFilter : kTunerTransferFilter),
                              QStringLiteral("json"));
}

TransferTarget ResolveTransferTarget(const FileDialogRequest& request, const FileChoice& choice)
{
    TransferTarget target;
    target.path = choice.path;
    const QString suffix = QFileInfo(choice.path).suffix();
    if (suffix.compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0) {
        target.format = TransferFormat::Csv;
        return target;
    }
    if (suffix.compare(QStringLiteral("json"), Qt::CaseInsensitive) == 0)
        return target;
    const QString filterExtension = FilterExtension(request.filter, choice.iFilter);
    target.format = filterExtension == QStringLiteral("csv") ? TransferFormat::Csv : TransferFormat::Json;
    if (!request.bOpen && suffix.isEmpty() && !choice.path.endsWith(QLatin1Char('.')))
        target.path += target.format == TransferFormat::Csv ? QStringLiteral(".csv") : QStringLiteral(".json");
    return target;
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

QString ResolveExportFormat(const QString& filter, FileChoice& choice, const QString& first, const QString& second)
{
    const QString suffix = QFileInfo(choice.path).suffix().toLower();
    if (suffix == first || suffix == second)
        return suffix;
    const QString format = FilterExtension(filter, choice.iFilter) == second ? second : first;
    if (suffix.isEmpty() && !choice.path.endsWith(QLatin1Char('.')))
        choice.path += QLatin1Char('.') + format;
    return format;
}

bool WriteExportFile(UserServices& services, QWidget* pOwner, const QString& path, const char* pData, std::size_t size)
{
    FileError error;
    if (WriteFileSafely(QFile::encodeName(path).constData(), reinterpret_cast<const std::uint8_t*>(pData), size,
                        &error))
        return true;
    services.ShowMessage(
        pOwner,
        QString::fromLatin1(kCannotExportText).arg(path + QStringLiteral(": ") + QString::fromStdString(error.text)),
        MessageIcon::Exclamation);
    return false;
}
