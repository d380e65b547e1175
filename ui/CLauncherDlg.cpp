#include "CLauncherDlg.h"

#include "CFrequencyTableDlg.h"
#include "UserServices.h"
#include "resource.h"

CLauncherDlg::CLauncherDlg(QWidget* pParent) : CDialog(IDD_LAUNCHER, pParent)
{
    OnClicked(IDC_BUTTON_FREQUENCY_EDIT, [this] { OnFrequencyTableEdit(); });
    OnClicked(IDC_BUTTON_TUNER_EDIT, [this] { OnTunerSpecificationEdit(); });
}

void CLauncherDlg::OnFrequencyTableEdit()
{
    CFrequencyTableDlg dlg;
    Services().RunModal(dlg);
}

void CLauncherDlg::OnTunerSpecificationEdit() {}
