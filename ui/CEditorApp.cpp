#include "CEditorApp.h"

#include <QApplication>
#include <QFileInfo>

#include "ActivationChannel.h"
#include "CLauncherDlg.h"
#include "RecentFiles.h"
#include "SingleInstance.h"
#include "Strings.h"
#include "UserServices.h"

CEditorApp theApp;

QStringList FileArguments(const QStringList& arguments)
{
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--"))
            return files + arguments.mid(i + 1);
        if (!argument.startsWith(QLatin1Char('-')) || QFileInfo::exists(argument))
            files << argument;
    }
    return files;
}

QString FileArgument(const QStringList& arguments)
{
    const QStringList files = FileArguments(arguments);
    return files.isEmpty() ? QString() : files.front();
}

CEditorApp::CEditorApp() : m_services(DesktopServices()) {}

CEditorApp::CEditorApp(UserServices& services) : m_services(services) {}

CEditorApp::~CEditorApp()
{
    ExitInstance();
}

int CEditorApp::ExitInstance()
{
    m_pRecentFilesWriter.reset();
    return 0;
}

bool CEditorApp::InitInstance()
{
    return InitInstance(QApplication::arguments());
}

bool CEditorApp::InitInstance(const QStringList& arguments)
{
    SingleInstance token(QString::fromLatin1(kSingleInstanceName));
    const QString socketPath = token.LockPath() + QStringLiteral(".socket");
    const SingleInstance::Result held = token.TryAcquire();
    // Another instance running: ask it to come to the front and to open the
    // files named, if any, and end silently, without a window.
    if (held == SingleInstance::Result::HeldElsewhere) {
        ActivationChannel::NotifyRunningInstance(socketPath, FileArguments(arguments));
        return false;
    }

    // The editors keep their recent files in the background.
    m_pRecentFilesWriter = std::make_unique<RecentFilesWriter>();

    // The channel lies beside the token; without the token the program runs
    // unguarded and unreachable.
    ActivationChannel channel(socketPath);
    QObject::connect(&channel, &ActivationChannel::RaiseRequested, &ActivationChannel::BringToFront);
    if (held == SingleInstance::Result::Acquired)
        channel.Listen();

    CLauncherDlg launcher(m_services);
    QObject::connect(&channel, &ActivationChannel::OpenRequested, &launcher, &CLauncherDlg::OpenFilesFromAnotherStart);
    const QString file = FileArgument(arguments);
    if (!file.isEmpty())
        launcher.SetStartupFile(file);
    launcher.DoModal();

    token.Release();
    return false;
}
