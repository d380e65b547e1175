#pragma once
// What the editors say when a table file cannot be read or written: the file
// and the system's reason, with the exclamation icon, through the user services.

#include <QString>

class QWidget;
class UserServices;
struct FileError;

enum class FileAction
{
    Load,
    Save,
};

// "Cannot load "<path>": <reason>" or "Cannot save "<path>": <reason>".
QString FileErrorText(FileAction action, const QString& path, const FileError& error);
void ShowFileError(UserServices& services, QWidget* pOwner, FileAction action, const QString& path,
                   const FileError& error);
