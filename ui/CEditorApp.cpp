#include "CEditorApp.h"

#include <QApplication>
#include <QStringList>

#include "ActivationChannel.h"
#include "CLauncherDlg.h"
#include "SingleInstance.h"
#include "Strings.h"

CEditorApp theApp;

namespace {

// The first argument that is not an option: a file to open.
QString FileArgument()
{
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(QLatin1Char('-')))
            return arguments[i];
    }
    return {};
}

} // namespace

bool CEditorApp::InitInstance()
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

    // The channel lies beside the token; without the token the program runs
    // unguarded and unreachable.
    ActivationChannel channel(socketPath);
    QObject::connect(&channel, &ActivationChannel::RaiseRequested, &ActivationChannel::BringToFront);
    if (held == SingleInstance::Result::Acquired)
        channel.Listen();

    CLauncherDlg launcher;
    const QString file = FileArgument();
    if (!file.isEmpty())
        launcher.SetStartupFile(file);
    launcher.DoModal();

    token.Release();
    return false;
}
