#pragma once

#include <memory>
#include <optional>

#include <QStringList>

class RecentFilesWriter;
class UserServices;

// The application object: allows one running instance and runs the launcher.
// It owns the program's background threads: InitInstance starts them and
// ExitInstance (or, failing that, the destructor) lets them finish their work
// and joins them, so that main ends them before the QApplication goes.
class CEditorApp
{
public:
    // The desktop's services unless others are given (tests).
    CEditorApp();
    explicit CEditorApp(UserServices& services);
    ~CEditorApp();
    CEditorApp(const CEditorApp&) = delete;
    CEditorApp& operator=(const CEditorApp&) = delete;

    // Returns false in every case: the program ends when the launcher closes,
    // or at once when another instance is running.
    bool InitInstance();
    // The same for the command line given: the program, then its arguments
    // without Qt's own options.
    // Names on it that are not valid UTF-8 come apart, as their bytes, to be
    // refused: decoded they would name a look-alike.
    bool InitInstance(const QStringList& arguments, const QList<QByteArray>& unnamableFiles = {});
    // Joins the threads InitInstance started, once their work is written;
    // returns the program's exit code.
    int ExitInstance();

private:
    UserServices& m_services;
    std::unique_ptr<RecentFilesWriter> m_pRecentFilesWriter;
};

// The files a command line names, in order, made absolute: every argument
// after "--", and before it every argument that is not an option. A name that
// begins with '-' is an option unless a file of that name exists.
QStringList FileArguments(const QStringList& arguments);
// The first of them, empty for none.
QString FileArgument(const QStringList& arguments);

// A command line as the bytes it was given in: the arguments that are valid
// UTF-8, and apart from them the names that are not (an option that is not
// is passed over).
struct CommandLine
{
    QStringList arguments;
    QList<QByteArray> unnamableFiles;
};
CommandLine ReadCommandLine(const QList<QByteArray>& arguments);

// What the program prints instead of running, as Qt programs do: the usage
// for "-h"/"--help", the version for "-v"/"--version" (both to standard
// output, exit 0, answered before any display is needed), or the usage to
// standard error for an option it does not know (exit 2). Only options before
// "--" count; a name beginning with '-' that names an existing file is a file.
struct CommandLineAnswer
{
    QString text;
    bool bError = false;
    int exitCode = 0;
};
// Before Qt has taken its own options: help and version only.
std::optional<CommandLineAnswer> InformationalAnswer(const QList<QByteArray>& arguments);
// After Qt has taken its own options: any other option is unknown.
std::optional<CommandLineAnswer> UnknownOptionAnswer(const QStringList& arguments);

extern CEditorApp theApp;
