#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QFile>

#include "res/Strings.h"
#include "ui/app/ApplicationStyle.h"
#include "ui/app/CEditorApp.h"
#include "ui/app/ExitWhenShown.h"
#include "ui/dialog/CDialog.h"

namespace {

int Answer(const CommandLineAnswer& answer)
{
    std::fputs(answer.text.toLocal8Bit().constData(), answer.bError ? stderr : stdout);
    return answer.exitCode;
}

} // namespace

int main(int argc, char* argv[])
{
    // Help and version need no display: answered before Qt starts.
    QList<QByteArray> given;
    for (int i = 0; i < argc; ++i)
        given << QByteArray(argv[i]);
    if (const std::optional<CommandLineAnswer> answer = InformationalAnswer(given))
        return Answer(*answer);
    // Qt takes its own options (-platform, -style, -reverse...) out of the
    // command line it is given; what follows "--" are file names, so Qt is
    // given only what comes before.
    int qtArgc = 1;
    while (qtArgc < argc && std::strcmp(argv[qtArgc], "--") != 0)
        ++qtArgc;
    const int endOfOptions = qtArgc;
    QApplication app(qtArgc, argv);
    InstallApplicationStyle();
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
    QApplication::setWindowIcon(ApplicationIcon());
    CloseModalWindowsOnceShownWhenAsked(app);
    // The arguments as the bytes given, not as Qt decodes them: a name that
    // is not valid UTF-8 must not become a look-alike.
    QList<QByteArray> bytes;
    for (int i = 0; i < qtArgc; ++i)
        bytes << QByteArray(argv[i]);
    for (int i = endOfOptions; i < argc; ++i)
        bytes << QByteArray(argv[i]);
    const CommandLine commandLine = ReadCommandLine(bytes);
    if (const std::optional<CommandLineAnswer> answer = UnknownOptionAnswer(commandLine.arguments))
        return Answer(*answer);
    // The whole program runs inside InitInstance, which returns FALSE when
    // the launcher closes: there is no event loop left to enter.
    theApp.InitInstance(commandLine.arguments, commandLine.unnamableFiles);
    // The application object's threads end before the QApplication does.
    return theApp.ExitInstance();
}
