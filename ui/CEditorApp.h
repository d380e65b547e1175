#pragma once

#include <memory>

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
    bool InitInstance(const QStringList& arguments);
    // Joins the threads InitInstance started, once their work is written;
    // returns the program's exit code.
    int ExitInstance();

private:
    UserServices& m_services;
    std::unique_ptr<RecentFilesWriter> m_pRecentFilesWriter;
};

// The files a command line names, in order: every argument after "--", and
// before it every argument that is not an option. A name that begins with '-'
// is an option unless a file of that name exists.
QStringList FileArguments(const QStringList& arguments);
// The first of them, empty for none.
QString FileArgument(const QStringList& arguments);

extern CEditorApp theApp;
