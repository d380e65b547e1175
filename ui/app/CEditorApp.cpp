#include "ui/app/CEditorApp.h"

#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include "res/Strings.h"
#include "ui/app/ActivationChannel.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/app/RecentFiles.h"
#include "ui/app/SingleInstance.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/FileNames.h"

CEditorApp theApp;

QStringList FileArguments(const QStringList& arguments)
{
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--")) {
            for (const QString& file : arguments.mid(i + 1))
                files << AbsoluteFileName(file);
            return files;
        }
        if (!argument.startsWith(QLatin1Char('-')) || QFileInfo::exists(argument))
            files << AbsoluteFileName(argument);
    }
    return files;
}

QString FileArgument(const QStringList& arguments)
{
    const QStringList files = FileArguments(arguments);
    return files.isEmpty() ? QString() : files.front();
}

CommandLine ReadCommandLine(const QList<QByteArray>& arguments)
{
    CommandLine commandLine;
    bool bAfterOptions = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& bytes = arguments[i];
        const std::optional<QString> argument = DecodedFileName(bytes);
        // The program's own name is no file: it stays first, however named.
        if (i == 0)
            commandLine.arguments << QFile::decodeName(bytes);
        else if (argument)
            commandLine.arguments << *argument;
        else if (bAfterOptions || !bytes.startsWith('-'))
            commandLine.unnamableFiles << bytes;
        bAfterOptions = bAfterOptions || (i > 0 && bytes == "--");
    }
    return commandLine;
}

namespace {

QString UsageText()
{
    return QStringLiteral("Usage: vornalix [OPTION]... [FILE]...\n"
                          "Edits channel frequency tables (.ccf) and tuner specification tables (.tsf),\n"
                          "and converts old channel tables (.cft). Each FILE opens in the editor of its kind.\n"
                          "\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n"
                          "  --             every argument after it is a file\n"
                          "\n"
                          "Qt's own options (-platform, -style, -reverse...) are taken as Qt takes them.\n");
}

} // namespace

std::optional<CommandLineAnswer> InformationalAnswer(const QList<QByteArray>& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (argument == "--")
            break;
        if (argument == "-h" || argument == "--help" || argument == "-?")
            return CommandLineAnswer{UsageText(), false, 0};
        if (argument == "-v" || argument == "--version")
            return CommandLineAnswer{QStringLiteral("vornalix %1\n").arg(QString::fromLatin1(kVersionText)), false, 0};
    }
    return std::nullopt;
}

std::optional<CommandLineAnswer> UnknownOptionAnswer(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--"))
            break;
        if (argument.size() > 1 && argument.startsWith(QLatin1Char('-')) && !QFileInfo::exists(argument))
            return CommandLineAnswer{QStringLiteral("vornalix: unknown option %1\n").arg(PrintableFileName(argument)) +
                                         UsageText(),
                                     true, 2};
    }
    return std::nullopt;
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

bool CEditorApp::InitInstance(const QStringList& arguments, const QList<QByteArray>& unnamableFiles)
{
    SingleInstance token(QString::fromLatin1(kSingleInstanceName));
    const QString socketPath = token.LockPath() + QStringLiteral(".socket");
    const SingleInstance::Result held = token.TryAcquire();
    // Another instance running: ask it to come to the front and to open the
    // files named, if any, and end silently, without a window.
    if (held == SingleInstance::Result::HeldElsewhere) {
        // A name the running instance could not be sent is refused here, where
        // it was given.
        for (const QByteArray& name : unnamableFiles)
            std::fprintf(stderr, "vornalix: %s\n", UndecodableNameText(name).toUtf8().constData());
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
    if (!unnamableFiles.isEmpty())
        launcher.RefuseUnnamableFiles(unnamableFiles);
    const QString file = FileArgument(arguments);
    if (!file.isEmpty())
        launcher.SetStartupFile(file);
    launcher.DoModal();

    token.Release();
    return false;
}
