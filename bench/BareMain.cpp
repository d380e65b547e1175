// The floor for a Qt Widgets program on this machine: start, show one empty
// dialog, end. Start-up and memory of vornalix are measured against it.
// Built a second time with VORNALIX_BARE_LOCAL_SERVER, it also listens on a
// QLocalServer before the dialog shows: what a second start's channel would
// cost through Qt's network module instead of our own Unix socket.
#include <QApplication>
#include <QDialog>
#ifdef VORNALIX_BARE_LOCAL_SERVER
#include <QCoreApplication>
#include <QLocalServer>
#endif

#include "ui/app/ExitWhenShown.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CloseModalWindowsOnceShownWhenAsked(app);
#ifdef VORNALIX_BARE_LOCAL_SERVER
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(QStringLiteral("vornalix-bare-%1").arg(QCoreApplication::applicationPid())))
        return 1;
#endif
    QDialog dialog;
    dialog.exec();
    return 0;
}
