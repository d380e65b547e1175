#pragma once

#include <QStringList>

class UserServices;

// The application object: allows one running instance and runs the launcher.
class CEditorApp
{
public:
    // The desktop's services unless others are given (tests).
    CEditorApp();
    explicit CEditorApp(UserServices& services) : m_services(services) {}

    // Returns false in every case: the program ends when the launcher closes,
    // or at once when another instance is running.
    bool InitInstance();
    // The same for the command line given: the program, then its arguments
    // without Qt's own options.
    bool InitInstance(const QStringList& arguments);

private:
    UserServices& m_services;
};

// The file a command line names, empty for none: the first argument after
// "--", or else the first argument that is not an option. A name that begins
// with '-' is an option unless a file of that name exists.
QString FileArgument(const QStringList& arguments);

extern CEditorApp theApp;
