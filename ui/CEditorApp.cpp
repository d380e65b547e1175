#include "CEditorApp.h"

#include "CLauncherDlg.h"
#include "SingleInstance.h"
#include "Strings.h"

CEditorApp theApp;

bool CEditorApp::InitInstance()
{
    SingleInstance token(QString::fromLatin1(kSingleInstanceName));
    // Another instance running: end silently, without a window.
    if (token.TryAcquire() == SingleInstance::Result::HeldElsewhere)
        return false;

    CLauncherDlg launcher;
    launcher.DoModal();

    token.Release();
    return false;
}
