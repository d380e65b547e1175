// The floor for a Qt Widgets program on this machine: start, show one empty
// dialog, end. Start-up and memory of vornalix are measured against it.
#include <QApplication>
#include <QDialog>

#include "ExitWhenShown.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    if (ExitWhenShownRequested())
        new ExitWhenShown(&dialog, [&dialog] { dialog.reject(); });
    dialog.exec();
    return 0;
}
