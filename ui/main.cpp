#include <QApplication>

#include "CDialog.h"
#include "CEditorApp.h"
#include "Strings.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
    QApplication::setWindowIcon(ApplicationIcon());
    return theApp.InitInstance() ? QApplication::exec() : 0;
}
