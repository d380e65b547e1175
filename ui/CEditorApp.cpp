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

QString FileArgument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--"))
            return i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (!argument.startsWith(QLatin1Char('-')) || QFileInfo::exists(argument))
            return argument;
    }
    return {};
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
    // Another instance running: ask it to come to the front and end silently,
    // without a window.
    if (held == SingleInstance::Result::HeldElsewhere) {
        ActivationChannel::NotifyRunningInstance(socketPath);
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
    const QString file = FileArgument(arguments);
    if (!file.isEmpty())
        launcher.SetStartupFile(file);
    launcher.DoModal();

    token.Release();
    return false;
}
