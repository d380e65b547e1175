#include "CLauncherDlg.h"

#include "CTunerEditDlg.h"
#include "UserServices.h"
#include "resource.h"

CLauncherDlg::CLauncherDlg(QWidget* pParent) : CDialog(IDD_LAUNCHER, pParent)
{
    OnClicked(IDC_BUTTON_FREQUENCY_EDIT, [this] { OnFrequencyTableEdit(); });
    OnClicked(IDC_BUTTON_TUNER_EDIT, [this] { OnTunerSpecificationEdit(); });
}

void CLauncherDlg::OnFrequencyTableEdit() {}

void CLauncherDlg::OnTunerSpecificationEdit()
{
    CTunerEditDlg dlg;
    Services().RunModal(dlg);
}
