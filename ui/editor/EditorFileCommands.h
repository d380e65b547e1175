#pragma once
// The File menu's commands that both editors take alike: "Save" to the file
// the table came from and the recent files of the editor's kind.

#include <functional>
#include <string>

#include <QFile>
#include <QString>

#include "platform/FileIO.h"
#include "ui/app/RecentFiles.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/FileMessages.h"

// Writes the document to its save path, or asks for one (saveAs) when it has
// none; a file written goes to the top of the recent files. True when it
// wrote the file itself (not through saveAs).
template <class Document>
bool SaveToKnownFile(Document& document, UserServices& services, QWidget* pOwner, const QString& recentKind,
                     const std::function<void()>& saveAs)
{
    if (!document.HasTable())
        return false;
    const std::string target = document.SavePath();
    if (target.empty()) {
        saveAs();
        return false;
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(target));
    FileError error;
    if (!document.Save(target, error)) {
        ShowFileError(services, pOwner, FileAction::Save, path, error);
        return false;
    }
    RecentFiles(recentKind).Add(path);
    return true;
}

// The commands that open a file dialog; each dialog is titled after its command.
enum class FileCommand
{
    Open,
    SaveAs,
    Import,
    Export,
};

// What the file dialogs propose for a table: the file it was loaded from or
// saved to (savePath), or for a table of no file a name of its own
// (newTableName, without extension: the channel table's country; empty for
// none).
struct TableFileNames
{
    std::string savePath;
    QString newTableName;
};

class ChannelTableDocument;
class TunerTableDocument;
// A channel table of no file is named after its country (by its country
// code, from the country catalogue); a tuner table of no file has no name.
TableFileNames FileNamesOf(const ChannelTableDocument& document);
TableFileNames FileNamesOf(const TunerTableDocument& document);

// The file chooser of a command, titled after it, with the filter and the
// extension given. Open and Import propose no name, so that their button
// waits for a file to be picked, but the folder of the table's file; Save As
// proposes the table's file, Export its name with the extension of the first
// filter (both, for a table of no file, newTableName with that extension).
FileDialogRequest CommandFileRequest(FileCommand command, const TableFileNames& names, const QString& filter,
                                     const QString& defaultExt);
// The chooser of one of the editors' own file buttons (Load From File, Save
// To File, Load File, Save File): the command's, with "Vornalix" as the name
// typed in.
FileDialogRequest ButtonFileRequest(FileDialogRequest request);
// The same for Import... and Export...: JSON tables, and for the channel
// table editor CSV lists too.
FileDialogRequest TransferFileRequest(FileCommand command, const TableFileNames& names, bool bCsvLists);

// The format of an import or export file.
enum class TransferFormat
{
    Json,
    Csv,
};
struct TransferTarget
{
    QString path;
    TransferFormat format = TransferFormat::Json;
};
// The file and format a transfer dialog's choice stands for. A name ending in
// .json or .csv (in any case) says its format, whatever filter was shown: a
// file's name never belies what it holds. Any other name takes the format of
// the chosen filter (JSON under "All Files"), and an export's name without an
// extension is given that format's.
TransferTarget ResolveTransferTarget(const FileDialogRequest& request, const FileChoice& choice);
// The format an image or a listing is exported in, of the two its filter
// offers by extension: the chosen name's (in any case) when it is either,
// else the chosen filter's, the first under any other; a name without an
// extension is given it.
QString ResolveExportFormat(const QString& filter, FileChoice& choice, const QString& first, const QString& second);
// Writes an export with the safe save; false, and "Cannot export FILE:
// reason" said, when it cannot.
bool WriteExportFile(UserServices& services, QWidget* pOwner, const QString& path, const char* pData, std::size_t size);
// "Cannot import FILE: line L, column C: reason" with the exclamation icon.
struct TransferError;
void ShowTransferError(UserServices& services, QWidget* pOwner, bool bImport, const std::string& path,
                       const TransferError& error);

// Opens the recent file at this index with open; a file that is gone is
// taken off the list, and the person is told.
void OpenRecentFile(UserServices& services, QWidget* pOwner, const QString& recentKind, int index,
                    const std::function<bool(const QString&)>& open);
