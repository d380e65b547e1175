#pragma once
// The File menu's commands that both editors take alike: "Save" to the file
// the table came from and the recent files of the editor's kind.

#include <functional>
#include <string>

#include <QFile>
#include <QString>

#include "FileIO.h"
#include "FileMessages.h"
#include "RecentFiles.h"
#include "UserServices.h"

// Writes the document to its save path, or asks for one (saveAs) when it has
// none; a file written goes to the top of the recent files.
template <class Document>
void SaveToKnownFile(Document& document, UserServices& services, QWidget* pOwner, const QString& recentKind,
                     const std::function<void()>& saveAs)
{
    if (!document.HasTable())
        return;
    const std::string target = document.SavePath();
    if (target.empty()) {
        saveAs();
        return;
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(target));
    FileError error;
    if (!document.Save(target, error)) {
        ShowFileError(services, pOwner, FileAction::Save, path, error);
        return;
    }
    RecentFiles(recentKind).Add(path);
}

// The file chooser of Import... and Export...: JSON tables, and for the
// channel table editor CSV lists too.
FileDialogRequest TransferFileRequest(bool bOpen, bool bCsvLists);
// Whether a chosen import or export file is a CSV list (by its name).
bool IsCsvFile(const QString& path);
// "Cannot import FILE: line L, column C: reason" with the exclamation icon.
struct TransferError;
void ShowTransferError(UserServices& services, QWidget* pOwner, bool bImport, const std::string& path,
                       const TransferError& error);

// Opens the recent file at this index with open; a file that is gone is
// taken off the list, and the person is told.
void OpenRecentFile(UserServices& services, QWidget* pOwner, const QString& recentKind, int index,
                    const std::function<bool(const QString&)>& open);
