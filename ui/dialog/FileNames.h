#pragma once
// File names as the program is handed them: on the command line, from a
// second start, in a dropped URL. A name stays the bytes it was given, made
// absolute by joining it to the working folder and never by removing ".." as
// text, which after a linked folder names another file than the kernel does.

#include <optional>
#include <string>

#include <QByteArray>
#include <QString>

// The name whose bytes these are, or nothing when they are not valid UTF-8:
// such a name decodes to a look-alike (U+FFFD) that may name another file.
std::optional<QString> DecodedFileName(const QByteArray& bytes);

// The path joined to the working folder when it is relative; "./" before it
// goes, which crosses no link.
QString AbsoluteFileName(const QString& path);

// The folder of a file named by its bytes, where a file dialog about it
// begins; empty for no name.
QString FolderOfFile(const std::string& path);

// The one name of the file reached, links and ".." resolved by the kernel;
// the absolute name when it cannot be reached.
QString CanonicalFileName(const QString& path);

// A name as a message, a title or the status line shows it: control
// characters, backslashes and bytes that are not UTF-8 as C escapes
// ("bad\xff.ccf"), so that it stays on one line and says what it is.
QString PrintableFileName(const QByteArray& bytes);
QString PrintableFileName(const QString& path);

// "Cannot open "NAME": its name is not valid UTF-8, ...".
QString UndecodableNameText(const QByteArray& bytes);
