#include "CLauncherDlg.h"

#include <QTimer>

#include "CConvertDlg.h"
#include "CFrequencyTableDlg.h"
#include "CTunerEditDlg.h"
#include "FileKind.h"
#include "UserServices.h"
#include "resource.h"

CLauncherDlg::CLauncherDlg(UserServices& services, QWidget* pParent) : CDialog(IDD_LAUNCHER, services, pParent)
{
    OnClicked(IDC_BUTTON_FREQUENCY_EDIT, [this] { OnFrequencyTableEdit(); });
    OnClicked(IDC_BUTTON_TUNER_EDIT, [this] { OnTunerSpecificationEdit(); });
}

void CLauncherDlg::OnFrequencyTableEdit()
{
    CFrequencyTableDlg dlg(Services());
    Services().RunModal(dlg);
}

void CLauncherDlg::OnTunerSpecificationEdit()
{
    CTunerEditDlg dlg(Services());
    Services().RunModal(dlg);
}

bool CLauncherDlg::OpenFile(const QString& path)
{
    const FileKind kind = KindOfFile(path);
    if (kind == FileKind::Unknown)
        return false;
    // The editor opens on top of the launcher once the launcher is on screen.
    QTimer::singleShot(0, this, [this, path, kind] { RunEditorFor(path, kind); });
    return true;
}

void CLauncherDlg::RunEditorFor(const QString& path, FileKind kind)
{
    switch (kind) {
    case FileKind::ChannelTable: {
        CFrequencyTableDlg dlg(Services());
        dlg.SetStartupFile(path);
        Services().RunModal(dlg);
        break;
    }
    case FileKind::TunerTable: {
        CTunerEditDlg dlg(Services());
        dlg.SetStartupFile(path);
        Services().RunModal(dlg);
        break;
    }
    case FileKind::LegacyTable: {
        CConvertDlg dlg(Services());
        dlg.SetStartupFile(path);
        Services().RunModal(dlg);
        break;
    }
    case FileKind::Unknown: break;
    }
}
